#include "dlvchartprf.h"

namespace dlv {

TChartPrf::TChartPrf(QWidget *pParent) : QCustomPlot(pParent) {}

} // namespace dlv
