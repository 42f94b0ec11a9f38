#include "dlvmain.h"

namespace dlv {

void TformMain::ConnectEvents() {}
void TformMain::ShowEvents() {}
void TformMain::LoadSelectedEvent(int) {}
void TformMain::ToggleEvtParam() {}
void TformMain::CommitEvtNotes() {}
void TformMain::SetNotesEditing(bool) {}
void TformMain::gridEventsSelectCell(int, int) {}

} // namespace dlv
