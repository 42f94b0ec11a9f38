#include "dlvmain.h"

namespace dlv {

void TformMain::ConnectEvtChart() {}
void TformMain::PlotEvent(int, TChartEvt *) {}
void TformMain::gridEventsDblClick() {}
void TformMain::SyncPlayCursor(bool) {}
void TformMain::timerWavTimer() {}
void TformMain::MoveEvtCursor(qint64) {}
void TformMain::chartEvtMouseDown(int) {}

} // namespace dlv
