#pragma once

#include "dlvfiles.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace dlv {

// One mounted volume: its root folder and its volume label (empty when it has
// none or the label cannot be read).
struct TVolume
{
    QString sRoot;
    QString sLabel;
};

// Where the detection thread gets the computer's drives from. The real source
// lists the mounted volumes; tests supply their own. Volumes() is called on the
// meter thread only, once per poll.
class IVolumeSource
{
public:
    virtual ~IVolumeSource() = default;
    // Every mounted volume, in root-path order.
    virtual std::vector<TVolume> Volumes() = 0;
};

// The mounted volumes of this computer (QStorageInfo). A volume's label is the
// one the system knows (QStorageInfo::name()); when that is empty (no
// /dev/disk/by-label without udev) it is read from the volume's device with
// libblkid. Stateless; used on the meter thread.
class TSystemVolumeSource : public IVolumeSource
{
public:
    std::vector<TVolume> Volumes() override;
    // The label stored on a block device ("/dev/..."), empty when there is
    // none or the device cannot be read.
    static QString DeviceLabel(const QByteArray &sDevice);
};

// The volume source the main window's meter thread uses: the system's volumes,
// unless a test installed a factory of its own (set it before the main window
// is created; an empty function restores the default). Main thread only.
using TVolumeSourceFactory = std::function<std::unique_ptr<IVolumeSource>()>;
void SetVolumeSourceFactory(TVolumeSourceFactory fn);
std::unique_ptr<IVolumeSource> MakeVolumeSource();

// The download window as the download sees it; TformDownload implements it.
// UpdateProgress runs on the main thread only (the meter thread waits while it
// runs); Cancelled is read on the meter thread directly, so it must be safe to
// call from any thread.
class IDownloadProgress
{
public:
    virtual ~IDownloadProgress() = default;
    virtual void UpdateProgress(const QString &sDirProgress, int nFileProgress, int nFileCount) = 0;
    virtual bool Cancelled() const = 0;
};

// The folder under which archive copies are kept (followed by Quorvex/dlv/):
// the user's roaming application-data folder.
QString DefaultArchiveHome();

// One download of a meter drive's recordings into the data folder, filed by
// serial number and day, with a time-stamped archive copy of every file copied.
// A plain object, created for one download by whoever runs it (the meter
// thread, dalvane-cli download, the benchmarks) and used on that thread only;
// its hooks are called on that thread too.
class TRecordingDownload
{
public:
    // sDriveRoot: the meter drive's root folder. sBaseDir: the data folder (the
    // value of BaseDir when the download starts). sArchiveHome: the folder that
    // receives Quorvex/dlv/...; empty means no archive copies.
    TRecordingDownload(
        const QString &sDriveRoot, const QString &sBaseDir, const QString &sArchiveHome);

    // Asked between directory entries and before every folder and file; a file
    // copy under way is never interrupted.
    std::function<bool()> fnCancelled;
    // Called before each file is copied with the day folder's name, the
    // file's index among the folder's files to copy and the last index.
    std::function<void(const QString &sDirProgress, int nFileProgress, int nFileCount)> fnProgress;
    // Called after each data copy with its source, target and outcome.
    std::function<void(const QString &sSource, const QString &sTarget, bool bOk)> fnFileCopied;

    // Scans the drive for dated folders, then copies the new and changed
    // recording files of each into BaseDir/serial/folder. Returns true when at
    // least one file was selected for copying, copied or not (status bit 4).
    bool Run();

    // The folder name test: the first eight characters are digits giving a
    // year 2011..2059, a month 1..12 and a day 1..31.
    static bool IsDateFolder(const QString &sName);
    // The serial number of the first run header (R*.BIN) in the folder.
    static bool ReadFolderSerial(const QString &sFolder, QString &sSerial);
    // The serial number of one run header: bytes 32..38, up to the first zero
    // byte; it names a folder, so it must be one to seven ASCII digits. On
    // failure sSerial holds the text read (empty when nothing could be read).
    static bool ReadBinSerial(const QString &sFile, QString &sSerial);
    // The copy rule: the target is missing or its size differs.
    static bool NeedsCopy(const QString &sDestination, const QFileInfo &entry);
    // The extension test: the four characters from the first "." are one of
    // the recording extensions, upper case.
    static bool IsRecordingFile(const QString &sName);

    // Copies the recording files of the drive's day folder sDay, listed in
    // aEntries, that NeedsCopy selects into sDestination.
    void CopyFolderFiles(
        const QString &sDay, const QFileInfoList &aEntries, const QString &sDestination);
    void ArchiveCopy(const QString &sFile);

    // Copies sSource to sTarget through a temporary file beside the target
    // that is renamed onto it at the end, so a copy that fails part-way never
    // leaves a file that looks complete. bReplace false keeps an existing
    // target (the copy then fails).
    bool CopyFileSafely(const QString &sSource, const QString &sTarget, bool bReplace);

    // The archive copy's name for a file copied at dt: "yyyyMMddhhmmsszzz-" +
    // name, local time.
    static QString ArchiveName(const QString &sFileName, const QDateTime &dt);

private:
    bool Cancelled() const { return fnCancelled && fnCancelled(); }

    QString m_sDriveRoot;
    QString m_sBaseDir;
    QString m_sArchiveHome;
    QString m_sArchiveDirMade; // the archive folder created last
    bool m_bSelected = false;
    QByteArray m_abyBuffer; // reused by every copy that cannot be made in the kernel
};

// The meter detection thread: polls the drives once a second, tells the main
// window when the meter's drive comes or goes and downloads its recordings when
// it comes. Owned by the main window (created in FormCreate, stopped and joined
// before anything it reports to is destroyed). Its reports run on the thread
// that created it (the main thread) while it waits for them.
class TMeterThread : public QThread
{
    Q_OBJECT

public:
    using TStatusFn = std::function<void(int nSlmStat)>;
    using TProgressFn = std::function<IDownloadProgress *()>;

    // fnStatus: MeterStatusChange of the main window (main thread).
    // fnProgress: the download window, asked on the main thread when a
    // download starts (may return null). fnBaseDir: the data folder, read on
    // this thread once per download; must be thread-safe. sArchiveHome: see
    // TRecordingDownload.
    TMeterThread(std::unique_ptr<IVolumeSource> pVolumes, TStatusFn fnStatus,
        TProgressFn fnProgress, TBaseDirFn fnBaseDir,
        const QString &sArchiveHome = DefaultArchiveHome(), QObject *pParent = nullptr);
    // Stops the thread (see Stop) and joins it.
    ~TMeterThread() override;

    bool Connected() const { return bMassConnected; }
    bool Downloading() const { return bDownloading; }
    // Root of the meter drive found last (with a trailing separator); kept
    // after the meter goes away. Read it while the thread waits or is stopped.
    QString SlmDrive() const { return sSlmDrive; }

    // Time between polls; set before start().
    void SetPollInterval(int nMs) { m_nPollMs = nMs; }

    // Asks the thread to end and waits for it, handling its reports meanwhile
    // when called on the thread that created it. A download under way runs to
    // its end (or until cancelled) first.
    void Stop();

    // One poll, the body of Execute's loop. Tests run it on the main thread,
    // where the reports are then direct calls.
    void Poll();
    bool FindMeterDrive();
    void GetDriveList(std::vector<TVolume> &aDrives);
    static bool IsMeterLabel(const QString &sLabel);
    // The whole download with its start and end status.
    void CopyRawFiles();

protected:
    void run() override { Execute(); }

private:
    void Execute();
    void NotifyStatus();
    void NotifyProgress(const QString &sDirProgress, int nFileProgress, int nFileCount);
    void RunOnOwnerThread(const std::function<void()> &fn);

    std::atomic<bool> bMassConnected { false };
    std::atomic<bool> bDownloading { false };
    QString sSlmDrive;
    int nSlmStat = 0;

    std::unique_ptr<IVolumeSource> m_pVolumes;
    TStatusFn m_fnStatus;
    TProgressFn m_fnProgress;
    TBaseDirFn m_fnBaseDir;
    QString m_sArchiveHome;
    IDownloadProgress *m_pProgress = nullptr; // set on the owner thread at download start
    int m_nPollMs = 1000;
    // The pause between polls; Stop wakes it.
    QMutex m_mxPause;
    QWaitCondition m_cvPause;
};

} // namespace dlv
