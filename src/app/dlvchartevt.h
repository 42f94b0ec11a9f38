#pragma once

#include <qcustomplot.h>

namespace dlv {

// The selected event's per-second chart (chartEvt). Owned by the main window.
class TChartEvt : public QCustomPlot
{
    Q_OBJECT
public:
    explicit TChartEvt(QWidget *pParent = nullptr);
};

} // namespace dlv
