// The main window's side of the meter thread: starting and stopping it, and
// its status changes.
#include "dlvmain.h"

#include "dlvdownload.h"
#include "dlvmeter.h"

#include <QWidget>

namespace dlv {

void TformMain::StartMeterThread()
{
    TCfg *pCfg = Cfg; // outlives the thread (freed after StopMeterThread)
    slm = std::make_unique<TMeterThread>(
        MakeVolumeSource(), [this](int nSlmStat) { MeterStatusChange(nSlmStat); },
        [this]() -> IDownloadProgress * { return formDownload; },
        [pCfg] { return pCfg ? pCfg->BaseDir() : QString(); });
    slm->start();
}

void TformMain::StopMeterThread()
{
    // Waits for a download under way; its last status changes are handled
    // here meanwhile, so the folder tree and settings must still exist.
    if (slm)
        slm->Stop();
    slm.reset();
}

void TformMain::MeterStatusChange(int nSlmStat)
{
    if (!slm)
        return;
    if (nSlmStat & 1)
        panelSlmCnx->setVisible(slm->Connected());
    if (nSlmStat & 2) {
        if (slm->Downloading()) {
            if (formDownload)
                formDownload->ShowDownload();
        } else {
            if (formDownload)
                formDownload->Finished();
            if (nSlmStat & 4) {
                ShowMeters();
                ShowFolders();
            }
        }
    }
}

} // namespace dlv
