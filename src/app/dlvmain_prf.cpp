#include "dlvmain.h"

namespace dlv {

void TformMain::ConnectPrfChart() {}
void TformMain::PlotProfile() {}
void TformMain::ShowPrfMarkers() {}
void TformMain::PrfPeriodClick(QAction *) {}
void TformMain::chartPrfZoom() {}
void TformMain::btnZoomOutClick() {}
void TformMain::chartPrfUndoZoom() {}

} // namespace dlv
