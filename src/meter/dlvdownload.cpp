#include "dlvdownload.h"

#include "dlvstyle.h"
#include "dlvutils.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace dlv {

namespace {
constexpr int kClientWidth = 260;
constexpr int kClientHeight = 107;
} // namespace

TformDownload::TformDownload(QWidget *pCentreOn)
    : QWidget(nullptr,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , m_pCentreOn(pCentreOn)
{
    setObjectName(QStringLiteral("formDownload"));
    setWindowTitle(QStringLiteral("Dalvane"));
    // Shown at exit while the last download ends: it must not keep the
    // program from quitting when the main window closes.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(DesignFont());
    setFixedSize(kClientWidth, kClientHeight);

    lblDirDate = new QLabel(QStringLiteral("Checking for new recordings"), this);
    lblDirDate->setObjectName(QStringLiteral("lblDirDate"));
    lblDirDate->setGeometry(8, 12, 244, 16);
    lblDirDate->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    QFont fontBold = DesignFont();
    fontBold.setBold(true);
    lblDirDate->setFont(fontBold);

    lblFileProgress = new QLabel(QStringLiteral("Transfering"), this);
    lblFileProgress->setObjectName(QStringLiteral("lblFileProgress"));
    lblFileProgress->move(8, 39);
    lblFileProgress->adjustSize();
    lblFileProgress->hide();

    progressFile = new QProgressBar(this);
    progressFile->setObjectName(QStringLiteral("progressFile"));
    progressFile->setGeometry(69, 36, 183, 17);
    progressFile->setTextVisible(false);
    progressFile->setRange(0, 100);
    progressFile->hide();

    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(177, 74, 75, 25);
    btnCancel->setDefault(true);

    timerClose = new QTimer(this);
    timerClose->setObjectName(QStringLiteral("timerClose"));
    timerClose->setInterval(1000);
    timerClose->setSingleShot(true);

    connect(btnCancel, &QPushButton::clicked, this, &TformDownload::btnCancelClick);
    connect(timerClose, &QTimer::timeout, this, &TformDownload::timerCloseTimer);
}

void TformDownload::ShowDownload()
{
    if (isVisible())
        FormShow();
    else
        show();
    raise();
    activateWindow();
}

void TformDownload::showEvent(QShowEvent *pEvent)
{
    QWidget::showEvent(pEvent);
    if (!pEvent->spontaneous())
        FormShow();
}

void TformDownload::FormShow()
{
    timerClose->stop();
    lblDirDate->setText(QStringLiteral("Checking for new recordings"));
    lblFileProgress->hide();
    progressFile->hide();
    bCancelTransfer.store(false, std::memory_order_release);
    CentreOnOwner();
}

void TformDownload::CentreOnOwner()
{
    QRect rcOwner;
    if (m_pCentreOn)
        rcOwner = m_pCentreOn->frameGeometry();
    else if (const QScreen *pScreen = QGuiApplication::primaryScreen())
        rcOwner = pScreen->availableGeometry();
    if (!rcOwner.isValid())
        return;
    // The frame is known once the window is mapped; before that the client
    // area stands for the whole window.
    const QSize sz = frameGeometry().size().expandedTo(size());
    move(rcOwner.center() - QPoint(sz.width() / 2, sz.height() / 2));
}

void TformDownload::changeEvent(QEvent *pEvent)
{
    QWidget::changeEvent(pEvent);
    if (pEvent->type() == QEvent::ActivationChange && !isActiveWindow())
        FormDeactivate();
}

void TformDownload::FormDeactivate()
{
    if (!isVisible())
        return;
    // Taken back once the deactivation has been handled by the window system.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isActiveWindow()) {
            raise();
            activateWindow();
        }
    });
}

void TformDownload::keyPressEvent(QKeyEvent *pEvent)
{
    // Escape never closes the window; like the button, it asks the download
    // to stop.
    if (pEvent->key() == Qt::Key_Escape) {
        btnCancelClick();
        pEvent->accept();
        return;
    }
    QWidget::keyPressEvent(pEvent);
}

void TformDownload::closeEvent(QCloseEvent *pEvent)
{
    // Only the close timer hides the window; the user's way out is Cancel.
    pEvent->ignore();
}

void TformDownload::btnCancelClick()
{
    bCancelTransfer.store(true, std::memory_order_release);
}

void TformDownload::Finished()
{
    timerClose->start();
}

void TformDownload::timerCloseTimer()
{
    timerClose->stop();
    hide();
}

void TformDownload::UpdateProgress(const QString &sDirProgress, int nFileProgress, int nFileCount)
{
    // Day folders may carry more after their eight date digits.
    lblDirDate->setText(DayLabel(DirNameToDate(sDirProgress.left(8))));
    if (nFileCount > 0) {
        progressFile->setMaximum(nFileCount);
        progressFile->setValue(nFileProgress);
        lblFileProgress->show();
        progressFile->show();
    }
}

} // namespace dlv
