#pragma once

#include <QTableWidget>

namespace dlv {

// The event list (gridEvents). Owned by the main window.
class TGridEvents : public QTableWidget
{
    Q_OBJECT
public:
    explicit TGridEvents(QWidget *pParent = nullptr);
};

} // namespace dlv
