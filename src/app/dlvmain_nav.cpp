#include "dlvmain.h"

namespace dlv {

void TformMain::ConnectNavigation() {}
void TformMain::ShowMeters() {}
void TformMain::ShowFolders() {}
void TformMain::LoadDay(int) {}
void TformMain::ShowMeterDetails() {}
void TformMain::comboMetersChange() {}
void TformMain::listboxFoldersClick() {}
void TformMain::menuDataFoldersClick() {}
void TformMain::btnMeterDetailsClick() {}

} // namespace dlv
