#pragma once

#include "dlvmeter.h"

#include <QPointer>
#include <QWidget>
#include <atomic>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace dlv {

// The download progress window: "Checking for new recordings", then the day
// being copied with a bar for its files, and a Cancel button. One instance
// (formDownload), created at start after the main window and kept until after
// the meter thread has ended. Main thread only, except Cancelled, which the
// meter thread reads directly.
class TformDownload : public QWidget, public IDownloadProgress
{
    Q_OBJECT

public:
    // pCentreOn: the window it is centred on when shown (the main window).
    explicit TformDownload(QWidget *pCentreOn = nullptr);

    // The main window's way to show it at the start of a download: a window
    // still up from the previous download (its close timer running) is reset
    // as if shown anew.
    void ShowDownload();
    // The download has ended: the window hides itself 1000 ms later.
    void Finished();

    void UpdateProgress(const QString &sDirProgress, int nFileProgress, int nFileCount) override;
    bool Cancelled() const override { return bCancelTransfer.load(std::memory_order_acquire); }

    QLabel *lblDirDate = nullptr;
    QLabel *lblFileProgress = nullptr;
    QProgressBar *progressFile = nullptr;
    QPushButton *btnCancel = nullptr;
    QTimer *timerClose = nullptr;

protected:
    void showEvent(QShowEvent *pEvent) override; // FormShow
    void changeEvent(QEvent *pEvent) override; // FormDeactivate
    void keyPressEvent(QKeyEvent *pEvent) override;
    void closeEvent(QCloseEvent *pEvent) override;

private:
    void FormShow();
    void FormDeactivate();
    void btnCancelClick();
    void timerCloseTimer();
    void CentreOnOwner();

    std::atomic<bool> bCancelTransfer { false };
    QPointer<QWidget> m_pCentreOn;
};

} // namespace dlv
