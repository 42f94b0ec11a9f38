#pragma once

#include <qcustomplot.h>

namespace dlv {

// The day's time-history chart (chartPrf). Owned by the main window.
class TChartPrf : public QCustomPlot
{
    Q_OBJECT
public:
    explicit TChartPrf(QWidget *pParent = nullptr);
};

} // namespace dlv
