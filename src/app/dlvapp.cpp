#include "dlvapp.h"

#include "dlvdownload.h"
#include "dlvcfg.h"
#include "dlvhelp.h"
#include "dlvmain.h"
#include "dlvmessages.h"

#include <QApplication>
#include <QFont>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace dlv {

TAppWindows::TAppWindows()
{
    formMain = std::make_unique<TformMain>();
    formDownload = std::make_unique<TformDownload>(formMain.get());
    formMain->SetDownloadForm(formDownload.get());
    formHelp = new TformHelp(Cfg->ProgDir(), formMain.get());
    formMain->SetHelpForm(formHelp);
    // Later windows (printing, about, help, data folders, export)
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
    // The windows are designed for Tahoma 8 pt. Where it is missing, prefer a
    // face of similar width so the fixed column widths still hold their texts.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
}

#ifdef Q_OS_UNIX
namespace {
int g_aSignalFds[2] = {-1, -1};

void OnQuitSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_aSignalFds[0], &c, 1);
}

// SIGTERM or SIGINT (logout, Ctrl+C in a terminal) ends the event loop like
// closing the window does, so the settings are still saved and the meter
// thread still stops cleanly.
void InstallQuitSignals(QApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_aSignalFds) != 0)
        return;
    auto *pNotifier = new QSocketNotifier(g_aSignalFds[1], QSocketNotifier::Read, &app);
    QObject::connect(pNotifier, &QSocketNotifier::activated, &app, [&app] {
        char c;
        [[maybe_unused]] const auto n = ::read(g_aSignalFds[1], &c, 1);
        app.quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = OnQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}
} // namespace
#endif

int RunDalvane(QApplication &app)
{
    InitApplication(app);
#ifdef Q_OS_UNIX
    InstallQuitSignals(app);
#endif
    TAppWindows windows;
    windows.formMain->show();
    const int nRc = app.exec();
    return nRc;
}

} // namespace dlv
