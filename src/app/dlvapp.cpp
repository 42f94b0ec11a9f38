#include "dlvapp.h"

#include "dlvmain.h"
#include "dlvmessages.h"

#include <QApplication>

namespace dlv {

TAppWindows::TAppWindows()
{
    formMain = std::make_unique<TformMain>();
    // Later windows (download, printing, about, help, data folders, export)
    // are created here, in that order, as they are built.
}

// The main window goes last: it stops the meter thread, which may still report
// to the other windows while it ends.
TAppWindows::~TAppWindows()
{
    formMain.reset();
}

void InitApplication(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Dalvane"));
    app.setApplicationDisplayName(QStringLiteral("Dalvane"));
    app.setOrganizationName(QStringLiteral("Quorvex"));
    app.setApplicationVersion(QStringLiteral(DLV_VERSION));
    InstallGuiErrorReporter();
}

int RunDalvane(QApplication &app)
{
    InitApplication(app);
    TAppWindows windows;
    windows.formMain->show();
    const int nRc = app.exec();
    return nRc;
}

} // namespace dlv
