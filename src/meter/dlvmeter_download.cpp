// The recording download: which folders and files are copied, where to, and
// how a copy is made.
#include "dlvmeter.h"

#include "dlvfilesys630.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <tuple>
#include <utility>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <unistd.h>
#endif

namespace dlv {

Q_DECLARE_LOGGING_CATEGORY(lcMeter)

namespace {

constexpr qsizetype kCopyBufferSize = 1 << 20;

// Offset and size of the serial number in a run header.
constexpr qint64 kSerialOffset = offsetof(TBinFile, abySerNum);
constexpr qint64 kSerialSize = sizeof(TBinFile::abySerNum);

bool AllDigits(QStringView sv)
{
    return !sv.isEmpty() && std::all_of(sv.begin(), sv.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// Copies the rest of in to out; false on a read or write error.
bool CopyData(QFile &in, QFile &out, QByteArray &abyBuffer)
{
#ifdef Q_OS_LINUX
    // In-kernel copy where the file systems allow it, as cp does.
    for (bool bFirst = true;; bFirst = false) {
        const ssize_t n = ::copy_file_range(
            in.handle(), nullptr, out.handle(), nullptr, kCopyBufferSize * 16, 0);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (bFirst
                && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP
                    || errno == EPERM))
                break; // fall back to reading and writing
            return false;
        }
    }
#endif
    if (abyBuffer.size() < kCopyBufferSize)
        abyBuffer.resize(kCopyBufferSize);
    for (;;) {
        const qint64 nRead = in.read(abyBuffer.data(), abyBuffer.size());
        if (nRead < 0)
            return false;
        if (nRead == 0)
            return true;
        if (out.write(abyBuffer.constData(), nRead) != nRead)
            return false;
    }
}

// Every entry of a day folder, in directory order: the one listing both the
// serial number and the copy are taken from.
QFileInfoList ListFolder(const QString &sFolder)
{
    QFileInfoList aEntries;
    QDirIterator it(sFolder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        aEntries << it.fileInfo();
    }
    return aEntries;
}

// The serial number of the folder's first run header: the first entry named
// R*.BIN in any letter case, as the meter's own file system matches, that a
// listing of files (QDir::Files) gives, i.e. a file or a link to anything but
// a folder, and no broken link.
bool FolderSerial(const QFileInfoList &aEntries, QString &sSerial)
{
    const QRegularExpression reRunHeader
        = QRegularExpression::fromWildcard(u"R*.BIN", Qt::CaseInsensitive);
    for (const QFileInfo &fi : aEntries) {
        if (reRunHeader.match(fi.fileName()).hasMatch() && !fi.isDir()
            && (fi.isFile() || (fi.isSymLink() && fi.exists())))
            return TRecordingDownload::ReadBinSerial(fi.filePath(), sSerial);
    }
    return false;
}

} // namespace

TRecordingDownload::TRecordingDownload(
    const QString &sDriveRoot, const QString &sBaseDir, const QString &sArchiveHome)
    : m_sDriveRoot(sDriveRoot)
    , m_sBaseDir(sBaseDir)
    , m_sArchiveHome(sArchiveHome)
{
    for (QString *ps : { &m_sDriveRoot, &m_sBaseDir }) {
        if (!ps->isEmpty() && !ps->endsWith(QLatin1Char('/')) && !ps->endsWith(QLatin1Char('\\')))
            *ps += QLatin1Char('/');
    }
}

bool TRecordingDownload::Run()
{
    m_bSelected = false;
    // Without a data folder every destination would be relative to whatever
    // the working folder is: nothing is copied.
    if (m_sBaseDir.isEmpty() || m_sDriveRoot.isEmpty())
        return false;

    // Scan: dated folders with a readable serial number. Each folder is filed
    // under the serial number its own run header carries; its listing is kept
    // for the copy.
    struct TFolder
    {
        QString sName;
        QString sSerial;
        QFileInfoList aEntries;
    };
    std::vector<TFolder> aFolders;
    QDirIterator itRoot(m_sDriveRoot, QDir::Dirs | QDir::NoDotAndDotDot);
    while (itRoot.hasNext()) {
        itRoot.next();
        const QString sName = itRoot.fileName();
        if (IsDateFolder(sName)) {
            QFileInfoList aEntries = ListFolder(m_sDriveRoot + sName);
            QString sSerial;
            if (FolderSerial(aEntries, sSerial))
                aFolders.push_back({ sName, sSerial, std::move(aEntries) });
        }
        if (Cancelled())
            break;
    }
    std::sort(aFolders.begin(), aFolders.end(), [](const TFolder &a, const TFolder &b) {
        return std::tie(a.sName, a.sSerial) < std::tie(b.sName, b.sSerial);
    });

    for (const TFolder &folder : aFolders) {
        if (Cancelled())
            break;
        const QString sDestination = m_sBaseDir + folder.sSerial + QLatin1Char('/') + folder.sName;
        if (!QFileInfo(sDestination).isDir() && !QDir().mkpath(sDestination)) {
            qCDebug(lcMeter) << "cannot create" << sDestination;
            continue;
        }
        CopyFolderFiles(folder.sName, folder.aEntries, sDestination);
    }
    return m_bSelected;
}

bool TRecordingDownload::IsDateFolder(const QString &sName)
{
    if (sName.size() < 8 || !AllDigits(QStringView(sName).left(8)))
        return false;
    const int y = QStringView(sName).mid(0, 4).toInt();
    const int m = QStringView(sName).mid(4, 2).toInt();
    const int d = QStringView(sName).mid(6, 2).toInt();
    return y > 2010 && y < 2060 && m > 0 && m < 13 && d > 0 && d < 32;
}

bool TRecordingDownload::ReadFolderSerial(const QString &sFolder, QString &sSerial)
{
    return FolderSerial(ListFolder(sFolder), sSerial);
}

bool TRecordingDownload::ReadBinSerial(const QString &sFile, QString &sSerial)
{
    sSerial.clear();
    QFile f(sFile);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(kSerialOffset))
        return false;
    const QByteArray aby = f.read(kSerialSize);
    if (aby.size() < kSerialSize)
        return false;
    const qsizetype nEnd = aby.indexOf('\0');
    sSerial = QString::fromLatin1(aby.left(nEnd < 0 ? kSerialSize : nEnd));
    // The serial number becomes a folder name: digits only.
    return AllDigits(sSerial);
}

bool TRecordingDownload::IsRecordingFile(const QString &sName)
{
    const qsizetype nDot = sName.indexOf(QLatin1Char('.'));
    if (nDot < 0)
        return false;
    const QStringView svExt = QStringView(sName).mid(nDot, 4);
    for (const char *psz : { ".BIN", ".EVT", ".PRF", ".WAV", ".MKR", ".EPR" }) {
        if (svExt == QLatin1String(psz))
            return true;
    }
    return false;
}

bool TRecordingDownload::NeedsCopy(const QString &sDestination, const QFileInfo &entry)
{
    const QFileInfo fiTarget(sDestination + QLatin1Char('/') + entry.fileName());
    return !fiTarget.exists() || fiTarget.size() != entry.size();
}

void TRecordingDownload::CopyFolderFiles(
    const QString &sDay, const QFileInfoList &aEntries, const QString &sDestination)
{
    const QString sSource = m_sDriveRoot + sDay;
    QStringList slCopy;
    for (const QFileInfo &fi : aEntries) {
        if (!fi.isDir() && IsRecordingFile(fi.fileName()) && NeedsCopy(sDestination, fi))
            slCopy << fi.fileName();
        if (Cancelled())
            break;
    }

    const int nFileCount = int(slCopy.size()) - 1;
    for (int i = 0; i < slCopy.size(); ++i) {
        if (Cancelled())
            break;
        if (fnProgress)
            fnProgress(sDay, i, nFileCount);
        m_bSelected = true;
        const QString &sName = slCopy.at(i);
        const QString sSourceFile = sSource + QLatin1Char('/') + sName;
        const QString sTarget = sDestination + QLatin1Char('/') + sName;
        const bool bOk = CopyFileSafely(sSourceFile, sTarget, true);
        if (fnFileCopied)
            fnFileCopied(sSourceFile, sTarget, bOk);
        // An archive copy stamped now of a file that was not copied would
        // archive the old contents under a new time.
        if (bOk)
            ArchiveCopy(sTarget);
        else
            qCDebug(lcMeter) << "copy failed:" << sSourceFile;
    }
}

QString TRecordingDownload::ArchiveName(const QString &sFileName, const QDateTime &dt)
{
    return dt.toString(QStringLiteral("yyyyMMddhhmmsszzz")) + QLatin1Char('-') + sFileName;
}

void TRecordingDownload::ArchiveCopy(const QString &sFile)
{
    if (m_sArchiveHome.isEmpty())
        return;
    const QFileInfo fi(sFile);
    const QString sFolder = fi.path();
    // The folder below the data folder: serial/day.
    if (!sFolder.startsWith(m_sBaseDir) || sFolder.size() <= m_sBaseDir.size())
        return;
    const QString sRelative = sFolder.mid(m_sBaseDir.size());
    const QString sArchiveDir = m_sArchiveHome + QStringLiteral("/Quorvex/dlv/") + sRelative;
    if (sArchiveDir != m_sArchiveDirMade) {
        if (!QFileInfo(sArchiveDir).isDir() && !QDir().mkpath(sArchiveDir))
            return;
        m_sArchiveDirMade = sArchiveDir;
    }
    const QString sTarget
        = sArchiveDir + QLatin1Char('/') + ArchiveName(fi.fileName(), QDateTime::currentDateTime());
    if (!CopyFileSafely(sFile, sTarget, false))
        qCDebug(lcMeter) << "archive copy failed:" << sTarget;
}

bool TRecordingDownload::CopyFileSafely(
    const QString &sSource, const QString &sTarget, bool bReplace)
{
    if (!bReplace && QFileInfo::exists(sTarget))
        return false;
    QFile in(sSource);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    const qint64 nSize = in.size();

    // A hidden temporary name beside the target: the same file system, so the
    // final rename is atomic, and never a name the copy rule looks at.
    const QFileInfo fiTarget(sTarget);
    QFile out;
    for (int nTry = 0; nTry < 8 && !out.isOpen(); ++nTry) {
        out.setFileName(fiTarget.path() + QStringLiteral("/.") + fiTarget.fileName()
            + QLatin1Char('.') + QString::number(QRandomGenerator::global()->generate(), 36)
            + QStringLiteral(".part"));
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (!QFileInfo::exists(out.fileName()))
                return false; // not a name clash: the folder cannot be written
        }
    }
    if (!out.isOpen())
        return false;
    const QString sTemp = out.fileName();

    bool bOk = CopyData(in, out, m_abyBuffer);
    // A source that shrank or could not be read to its end is not complete.
    bOk = bOk && out.size() == nSize;
    out.close();
    bOk = bOk && out.error() == QFileDevice::NoError;
    if (bOk) {
        if (bReplace) {
            std::error_code ec;
            std::filesystem::rename(std::filesystem::path(QFile::encodeName(sTemp).toStdString()),
                std::filesystem::path(QFile::encodeName(sTarget).toStdString()), ec);
            bOk = !ec;
        } else {
            bOk = QFile::rename(sTemp, sTarget); // never over an existing file
        }
    }
    if (!bOk)
        QFile::remove(sTemp);
    return bOk;
}

} // namespace dlv
