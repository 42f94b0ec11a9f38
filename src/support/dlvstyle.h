#pragma once

#include <QFont>

namespace dlv {

// The font every window of the program is designed for: Tahoma 8 pt (the
// program registers a face of similar width where Tahoma is missing).
inline QFont DesignFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace dlv
