#include "dlvmetertest.h"

#include "dlvmeterfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace dlv::test {

bool WriteRunHeader(const QString &sPath, const QString &sSerial, int nRun)
{
    TBinFile bin = MakeRunHeader(
        nRun, QString(), QStringLiteral("632A"), QDateTime(QDate(2016, 3, 15), QTime(8, 0, 0)));
    std::memset(bin.abySerNum, 0, sizeof bin.abySerNum);
    const QByteArray aby = sSerial.toLatin1().left(sizeof bin.abySerNum);
    std::memcpy(bin.abySerNum, aby.constData(), size_t(aby.size()));
    return WriteBinFile(sPath, bin);
}

QStringList WriteRun(const QString &sDayFolder, const QString &sSerial, int nRun, int nWavs)
{
    const QString sBase = QStringLiteral("R%1").arg(nRun, 3, 10, QLatin1Char('0'));
    const QString sDir = sDayFolder + QLatin1Char('/');
    QStringList sl;
    if (WriteRunHeader(sDir + sBase + ".BIN", sSerial, nRun))
        sl << sBase + ".BIN";
    std::vector<TPrfRecord> aPrf;
    for (int i = 0; i < 60; ++i)
        aPrf.push_back({ 8, 0, i, 45.0 + i % 7, 52.0 + i % 5 });
    if (WritePrfFile(sDir + sBase + ".PRF", aPrf, false))
        sl << sBase + ".PRF";
    std::vector<TEvtRecord> aEvt;
    for (int i = 1; i <= nWavs; ++i)
        aEvt.push_back({ 8, 0, 10 * i, 0, 0, 5, i });
    if (WriteEvtFile(sDir + sBase + ".EVT", 2, aEvt))
        sl << sBase + ".EVT";
    for (int i = 1; i <= nWavs; ++i) {
        const QString sWav = RecordingFileName(nRun, i);
        if (WriteToneWav(sDir + sWav, 0.2, 440.0 + 100 * i))
            sl << sWav;
    }
    if (WriteSized(sDir + sBase + ".MKR", 16, 'm'))
        sl << sBase + ".MKR";
    if (WriteSized(sDir + sBase + ".EPR", 64, 'e'))
        sl << sBase + ".EPR";
    return sl;
}

bool WriteSized(const QString &sPath, qint64 nSize, char c)
{
    QDir().mkpath(QFileInfo(sPath).absolutePath());
    QFile f(sPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(QByteArray(nSize, c)) == nSize;
}

QStringList FileNames(const QString &sFolder)
{
    return QDir(sFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

namespace {
class TSharedSource : public IVolumeSource
{
public:
    TSharedSource(std::shared_ptr<std::mutex> p, std::shared_ptr<std::vector<TVolume>> a)
        : m_pMutex(std::move(p))
        , m_pVolumes(std::move(a))
    {
    }
    std::vector<TVolume> Volumes() override
    {
        std::lock_guard lock(*m_pMutex);
        return *m_pVolumes;
    }

private:
    std::shared_ptr<std::mutex> m_pMutex;
    std::shared_ptr<std::vector<TVolume>> m_pVolumes;
};
} // namespace

void TTestVolumes::Set(std::vector<TVolume> a)
{
    std::lock_guard lock(*m_pMutex);
    *m_pVolumes = std::move(a);
}

std::vector<TVolume> TTestVolumes::Get()
{
    std::lock_guard lock(*m_pMutex);
    return *m_pVolumes;
}

std::unique_ptr<IVolumeSource> TTestVolumes::Source()
{
    return std::make_unique<TSharedSource>(m_pMutex, m_pVolumes);
}

} // namespace dlv::test
