#pragma once

#include <memory>

class QApplication;

namespace dlv {

class TformDownload;
class TformHelp;
class TformMain;

// The program's windows, created in their fixed order at start and kept until
// exit. The main window comes first; its creation loads the settings.
struct TAppWindows
{
    TAppWindows();
    ~TAppWindows();
    // Declared before the main window so that it is destroyed after it: the
    // main window stops the meter thread, which reads the download window.
    std::unique_ptr<TformDownload> formDownload;
    std::unique_ptr<TformMain> formMain;
    TformHelp *formHelp = nullptr; // owned by the main window (its Qt parent)
};

// Sets the application's names and font; call once after QApplication exists.
void InitApplication(QApplication &app);

// Program entry: creates the windows, shows the main window and runs the event
// loop until it closes.
int RunDalvane(QApplication &app);

} // namespace dlv
