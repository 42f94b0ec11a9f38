#pragma once

#include "dlvfilesys630.h"
#include "dlvmeterfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace dlv::test {

// Template for temporary folders of the data tests: in RAM when the machine
// has /dev/shm, so the thousands of small writes and synced saves of the
// corruption tests do not wait for the disk.
inline QString FastTempTemplate()
{
    const QString sShm = QStringLiteral("/dev/shm");
    const QString sRoot = QFileInfo(sShm).isDir() && QFileInfo(sShm).isWritable() ? sShm
                                                                                  : QDir::tempPath();
    return sRoot + QStringLiteral("/dlv-data-test-XXXXXX");
}

// A data folder in a temporary directory with one day folder of one meter,
// and a day measurement reading from it. Tests write the meter's files into
// Day() with the dlvmeterfiles writers.
class TDayFixture
{
public:
    explicit TDayFixture(const QString &sMeter = QStringLiteral("1234567"),
                         const QString &sDate = QStringLiteral("20160315"))
        : m_sMeter(sMeter), m_sDate(sDate)
    {
        QDir().mkpath(Day());
        fs = std::make_unique<TFileSys630>([this] { return Base(); });
    }
    QString Base() const { return m_dir.path() + QLatin1Char('/'); }
    QString Day() const { return Base() + m_sMeter + QLatin1Char('/') + m_sDate + QLatin1Char('/'); }
    QString Path(const QString &sName) const { return Day() + sName; }
    bool Load() { return fs->LoadBin(m_sMeter, m_sDate); }
    // The day loader's sequence.
    bool LoadDay()
    {
        if (!Load())
            return false;
        fs->LoadProfiles();
        fs->LoadEvents();
        return true;
    }

    static QDateTime At(int h, int m, int s, int nDay = 15)
    {
        return QDateTime(QDate(2016, 3, nDay), QTime(h, m, s));
    }
    // A one-second run header for run n started at the given time.
    void WriteRun(int nRun, const QDateTime &dtStart = At(8, 0, 0), int nCode = 1,
                  bool bLong = false)
    {
        WriteBinFile(Path(RunFileName(nRun, QLatin1String(".BIN"))),
                     MakeRunHeader(nRun, m_sMeter, QStringLiteral("632A"), dtStart, nCode, bLong));
    }

    std::unique_ptr<TFileSys630> fs;

private:
    QTemporaryDir m_dir{FastTempTemplate()};
    QString m_sMeter, m_sDate;
};

} // namespace dlv::test
