#include "dlvchartevt.h"

namespace dlv {

TChartEvt::TChartEvt(QWidget *pParent) : QCustomPlot(pParent) {}

} // namespace dlv
