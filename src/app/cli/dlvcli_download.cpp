// dalvane-cli download: the program's download, from a folder that stands for
// the meter drive's root.
#include "dlvcli.h"

#include "dlvmeter.h"

#include <QDir>
#include <QFileInfo>

namespace dlv::cli {

int CmdDownload(const QStringList &slArgs, QTextStream &out, QTextStream &err)
{
    QStringList slPos;
    QString sArchiveHome = DefaultArchiveHome();
    for (int i = 0; i < slArgs.size(); ++i) {
        const QString &s = slArgs.at(i);
        if (s == QLatin1String("--archive-dir")) {
            if (i + 1 >= slArgs.size() || slArgs.at(i + 1).isEmpty()) {
                err << "download: --archive-dir needs a folder\n";
                return kExitUsage;
            }
            sArchiveHome = QFileInfo(slArgs.at(++i)).absoluteFilePath();
        } else if (s.startsWith(QLatin1String("--"))) {
            err << "download: unknown option '" << s << "'\n";
            return kExitUsage;
        } else {
            slPos << s;
        }
    }
    if (slPos.size() != 2 || slPos.at(0).isEmpty() || slPos.at(1).isEmpty()) {
        err << "usage: dalvane-cli download DRIVE_ROOT DATA_DIR [--archive-dir DIR]\n";
        return kExitUsage;
    }
    const QFileInfo fiDrive(slPos.at(0));
    if (!fiDrive.isDir()) {
        err << "download: no such folder: " << slPos.at(0) << '\n';
        return kExitError;
    }
    const QString sBaseDir = QFileInfo(slPos.at(1)).absoluteFilePath() + QLatin1Char('/');

    TRecordingDownload dl(fiDrive.absoluteFilePath(), sBaseDir, sArchiveHome);
    int nFailed = 0;
    dl.fnFileCopied = [&](const QString &sSource, const QString &sTarget, bool bOk) {
        if (bOk) {
            out << QDir::toNativeSeparators(sTarget) << '\n';
        } else {
            ++nFailed;
            err << "cannot copy " << QDir::toNativeSeparators(sSource) << '\n';
        }
        out.flush();
    };
    dl.Run();
    // The program passes over a failed copy quietly and tries again at the
    // next connection; a script must still learn that the download is not whole.
    return nFailed ? kExitError : kExitOk;
}

} // namespace dlv::cli
