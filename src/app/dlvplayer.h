#pragma once

#include <QWidget>

namespace dlv {

// The player strip (mplayer) with Play, Pause and Stop. Owned by the main window.
class TMediaPlayer : public QWidget
{
    Q_OBJECT
public:
    explicit TMediaPlayer(QWidget *pParent = nullptr);
};

} // namespace dlv
