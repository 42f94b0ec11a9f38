#include "dlvmain.h"

namespace dlv {

void TformMain::StartMeterThread() {}
void TformMain::StopMeterThread() {}
void TformMain::MeterStatusChange(int) {}

} // namespace dlv
