#include "dlvmeter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <map>

#include <blkid/blkid.h>

namespace dlv {

Q_LOGGING_CATEGORY(lcMeter, "dlv.meter")

namespace {

TVolumeSourceFactory &VolumeSourceFactory()
{
    static TVolumeSourceFactory fn;
    return fn;
}

QString WithSep(const QString &s)
{
    if (s.isEmpty() || s.endsWith(QLatin1Char('/')) || s.endsWith(QLatin1Char('\\')))
        return s;
    return s + QLatin1Char('/');
}

} // namespace

// ---------------------------------------------------------------------------
// Volumes

QString TSystemVolumeSource::DeviceLabel(const QByteArray &sDevice)
{
    // Only real block devices: probing "tmpfs" or "overlay" would open a file
    // of that name in the working folder.
    if (!sDevice.startsWith("/dev/"))
        return QString();
    blkid_probe pr = blkid_new_probe_from_filename(sDevice.constData());
    if (!pr)
        return QString();
    QString sLabel;
    blkid_probe_enable_superblocks(pr, 1);
    blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_LABEL);
    if (blkid_do_safeprobe(pr) == 0) {
        const char *psz = nullptr;
        size_t nLen = 0;
        if (blkid_probe_lookup_value(pr, "LABEL", &psz, &nLen) == 0 && psz)
            sLabel = QString::fromUtf8(psz);
    }
    blkid_free_probe(pr);
    return sLabel;
}

std::vector<TVolume> TSystemVolumeSource::Volumes()
{
    std::vector<TVolume> aVolumes;
    // A device mounted at several places is probed once per poll.
    std::map<QByteArray, QString> mapLabels;
    for (const QStorageInfo &si : QStorageInfo::mountedVolumes()) {
        if (!si.isValid())
            continue;
        TVolume v { si.rootPath(), si.name() };
        if (v.sLabel.isEmpty()) {
            const QByteArray sDevice = si.device();
            auto it = mapLabels.find(sDevice);
            if (it == mapLabels.end())
                it = mapLabels.emplace(sDevice, DeviceLabel(sDevice)).first;
            v.sLabel = it->second;
        }
        aVolumes.push_back(std::move(v));
    }
    std::sort(aVolumes.begin(), aVolumes.end(),
        [](const TVolume &a, const TVolume &b) { return a.sRoot < b.sRoot; });
    return aVolumes;
}

void SetVolumeSourceFactory(TVolumeSourceFactory fn)
{
    VolumeSourceFactory() = std::move(fn);
}

std::unique_ptr<IVolumeSource> MakeVolumeSource()
{
    if (const auto &fn = VolumeSourceFactory())
        return fn();
    return std::make_unique<TSystemVolumeSource>();
}

QString DefaultArchiveHome()
{
#ifdef Q_OS_WIN
    // The roaming profile folder; Qt's data locations are the local one.
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
}

// ---------------------------------------------------------------------------
// The thread

TMeterThread::TMeterThread(std::unique_ptr<IVolumeSource> pVolumes, TStatusFn fnStatus,
    TProgressFn fnProgress, TBaseDirFn fnBaseDir, const QString &sArchiveHome, QObject *pParent)
    : QThread(pParent)
    , m_pVolumes(std::move(pVolumes))
    , m_fnStatus(std::move(fnStatus))
    , m_fnProgress(std::move(fnProgress))
    , m_fnBaseDir(std::move(fnBaseDir))
    , m_sArchiveHome(sArchiveHome)
{
    setObjectName(QStringLiteral("slm"));
}

TMeterThread::~TMeterThread()
{
    Stop();
}

void TMeterThread::Stop()
{
    requestInterruption();
    {
        // Under the lock: the thread checks for the request under it before
        // every pause, so the wake-up cannot fall between check and pause.
        QMutexLocker lock(&m_mxPause);
        m_cvPause.wakeAll();
    }
    if (QThread::currentThread() == thread() && QCoreApplication::instance()) {
        // The thread may be waiting for one of its reports, which only this
        // thread can run: keep handling events until it has ended. All of
        // them, so that the download window repaints and its Cancel button
        // works while the program waits at exit.
        while (!wait(QDeadlineTimer(5))) {
            // Its own calls explicitly: when Stop runs inside an event handler
            // the event loop may not deliver posted events again.
            QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    wait();
}

void TMeterThread::Execute()
{
    bMassConnected = false;
    bDownloading = false;
    nSlmStat = 0;
    while (!isInterruptionRequested()) {
        Poll();
        // Stop ends the pause at once; a download (inside Poll) is never cut
        // short by it.
        const QDeadlineTimer dlNext(m_nPollMs);
        QMutexLocker lock(&m_mxPause);
        while (!isInterruptionRequested() && !dlNext.hasExpired())
            m_cvPause.wait(&m_mxPause, dlNext);
    }
}

void TMeterThread::Poll()
{
    const bool bPresent = FindMeterDrive();
    if (bPresent != bMassConnected) {
        bMassConnected = bPresent;
        nSlmStat = 1;
        NotifyStatus();
        if (bPresent)
            CopyRawFiles();
    }
}

bool TMeterThread::FindMeterDrive()
{
    std::vector<TVolume> aDrives;
    GetDriveList(aDrives);
    for (const TVolume &v : aDrives) {
        if (IsMeterLabel(v.sLabel)) {
            // Written only when it changes: the owner reads it while this
            // thread waits for a report.
            const QString sRoot = WithSep(v.sRoot);
            if (sRoot != sSlmDrive)
                sSlmDrive = sRoot;
            return true;
        }
    }
    return false;
}

void TMeterThread::GetDriveList(std::vector<TVolume> &aDrives)
{
    aDrives = m_pVolumes ? m_pVolumes->Volumes() : std::vector<TVolume>();
}

bool TMeterThread::IsMeterLabel(const QString &sLabel)
{
    if (sLabel.size() < 8)
        return false;
    const QStringView svModel = QStringView(sLabel).left(7);
    if (svModel != QLatin1String("ZOD-632") && svModel != QLatin1String("ROZ-633"))
        return false;
    const QChar c = sLabel.at(7);
    return c == QLatin1Char('A') || c == QLatin1Char('B') || c == QLatin1Char('C');
}

void TMeterThread::CopyRawFiles()
{
    bDownloading = true;
    nSlmStat += 2;
    NotifyStatus();

    // One value of the data folder for the whole download, even when the user
    // switches folders meanwhile.
    const QString sBaseDir = m_fnBaseDir ? m_fnBaseDir() : QString();
    TRecordingDownload dl(sSlmDrive, sBaseDir, m_sArchiveHome);
    IDownloadProgress *pProgress = m_pProgress;
    dl.fnCancelled = [pProgress] { return pProgress && pProgress->Cancelled(); };
    dl.fnProgress = [this](const QString &sDir, int nFile, int nCount) {
        NotifyProgress(sDir, nFile, nCount);
    };
    bool bSelected = false;
    try {
        bSelected = dl.Run();
    } catch (const std::exception &e) {
        // The end of the download is delivered whatever happened.
        qCWarning(lcMeter) << "download stopped:" << e.what();
        bSelected = true;
    }
    if (bSelected)
        nSlmStat |= 4;

    bDownloading = false;
    nSlmStat |= 2;
    NotifyStatus();
}

void TMeterThread::RunOnOwnerThread(const std::function<void()> &fn)
{
    if (QThread::currentThread() == thread())
        fn();
    else
        QMetaObject::invokeMethod(this, fn, Qt::BlockingQueuedConnection);
}

void TMeterThread::NotifyStatus()
{
    RunOnOwnerThread([this] {
        if (nSlmStat & 2)
            m_pProgress = bDownloading && m_fnProgress ? m_fnProgress() : nullptr;
        if (m_fnStatus)
            m_fnStatus(nSlmStat);
        nSlmStat = 0;
    });
}

void TMeterThread::NotifyProgress(const QString &sDirProgress, int nFileProgress, int nFileCount)
{
    // The values are used while this thread waits for the call to end.
    RunOnOwnerThread([&] {
        if (m_pProgress)
            m_pProgress->UpdateProgress(sDirProgress, nFileProgress, nFileCount);
    });
}

} // namespace dlv
