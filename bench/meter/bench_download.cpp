// Downloading a month of recordings (30 day folders, about 200 MB) into an
// empty data folder, against copying the same folders twice with cp -r (the
// data copy and the archive copy); and a second download that finds nothing
// new. Writes are noisy on shared machines: the two sides run interleaved in
// one process, alternating which goes first, each after a sync, and the
// medians are compared.
#include "dlvmeter.h"
#include "dlvmeterfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kSerial = QStringLiteral("1234567");
constexpr int kDays = 30;
constexpr int kRunsPerDay = 3;
constexpr int kWavsPerRun = 4;

QTemporaryDir *g_pDir = nullptr;
qint64 g_nDriveBytes = 0;
std::vector<double> g_aDownloadMs, g_aCpMs, g_aSecondMs;

QString Drive()
{
    return g_pDir->filePath("drive");
}

bool WriteBytes(const QString &sPath, const QByteArray &ab)
{
    QFile f(sPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(ab) != ab.size())
        return false;
    g_nDriveBytes += ab.size();
    return true;
}

// A month on the meter: per day three runs with header, one-second time
// history for a third of the day, events, four recordings of about 400 kB,
// a voice note and the marker files.
bool WriteMonth()
{
    std::vector<int16_t> aSamples(200000);
    for (size_t i = 0; i < aSamples.size(); ++i)
        aSamples[i] = int16_t(8000 * std::sin(i * 0.0628) + (i * 7919 % 601) - 300);
    const QByteArray abyWav = dlv::WavBytes(aSamples, 16000);
    const QByteArray abyNote = dlv::WavBytes(std::vector<int16_t>(50000, 100), 16000);
    QByteArray abyPrf;
    for (int s = 0; s < 28800; ++s)
        abyPrf += dlv::PrfRecordBytes(dlv::PrfAt(s, 50.0 + s % 13, 60.0), false);
    std::vector<dlv::TEvtRecord> aEvt;
    for (int i = 1; i <= kWavsPerRun; ++i)
        aEvt.push_back({ 9, i, 0, 0, 0, 12, i });
    const QByteArray abyEvt = dlv::EvtFileBytes(2, aEvt);

    for (int nDay = 0; nDay < kDays; ++nDay) {
        const QDate d = QDate(2016, 3, 1).addDays(nDay);
        const QString sDir = Drive() + "/" + d.toString("yyyyMMdd") + "/";
        if (!QDir().mkpath(sDir))
            return false;
        for (int nRun = 1; nRun <= kRunsPerDay; ++nRun) {
            const QString sRun = sDir + QStringLiteral("R%1").arg(nRun, 3, 10, QLatin1Char('0'));
            const dlv::TBinFile bin
                = dlv::MakeRunHeader(nRun, kSerial, "632A", QDateTime(d, QTime(nRun * 6, 0)));
            bool bOk = WriteBytes(sRun + ".BIN", dlv::BinFileBytes(bin))
                && WriteBytes(sRun + ".PRF", abyPrf) && WriteBytes(sRun + ".EVT", abyEvt)
                && WriteBytes(sRun + "NOTE.WAV", abyNote)
                && WriteBytes(sRun + ".MKR", QByteArray(1024, 'm'))
                && WriteBytes(sRun + ".EPR", QByteArray(4096, 'e'));
            for (int i = 1; i <= kWavsPerRun && bOk; ++i)
                bOk = WriteBytes(sDir + dlv::RecordingFileName(nRun, i), abyWav);
            if (!bOk)
                return false;
        }
    }
    return true;
}

void Clear(const QStringList &sl)
{
    for (const QString &s : sl)
        QDir(g_pDir->filePath(s)).removeRecursively();
    ::sync();
}

double TimeDownload()
{
    Clear({ "data", "home" });
    QElapsedTimer t;
    t.start();
    dlv::TRecordingDownload dl(Drive(), g_pDir->filePath("data") + "/", g_pDir->filePath("home"));
    dl.Run();
    return t.nsecsElapsed() / 1e6;
}

double TimeCpTwice()
{
    Clear({ "cp1", "cp2" });
    QElapsedTimer t;
    t.start();
    for (const char *psz : { "cp1", "cp2" }) {
        if (QProcess::execute("cp", { "-r", Drive() + "/.", g_pDir->filePath(psz) }) != 0)
            return NAN;
    }
    return t.nsecsElapsed() / 1e6;
}

void BM_FirstDownloadVsCpTwice(benchmark::State &state)
{
    for (auto _ : state) {
        // Alternate the order so neither side always inherits the other's
        // write-back.
        const bool bDownloadFirst = g_aDownloadMs.size() % 2 == 0;
        double flDownload = 0, flCp = 0;
        if (bDownloadFirst) {
            flDownload = TimeDownload();
            flCp = TimeCpTwice();
        } else {
            flCp = TimeCpTwice();
            flDownload = TimeDownload();
        }
        g_aDownloadMs.push_back(flDownload);
        g_aCpMs.push_back(flCp);
        state.SetIterationTime(flDownload / 1000.0);
        state.counters["cp_twice_ms"] = flCp;
        state.counters["ratio"] = flDownload / flCp;
    }
    state.counters["MB"] = double(g_nDriveBytes) / 1e6;
}
BENCHMARK(BM_FirstDownloadVsCpTwice)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9);

void BM_SecondDownloadNothingNew(benchmark::State &state)
{
    const QString sData = g_pDir->filePath("data") + "/";
    const QString sHome = g_pDir->filePath("home");
    dlv::TRecordingDownload dlFirst(Drive(), sData, sHome);
    dlFirst.Run();
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        dlv::TRecordingDownload dl(Drive(), sData, sHome);
        if (dl.Run())
            state.SkipWithError("a file was copied again");
        g_aSecondMs.push_back(t.nsecsElapsed() / 1e6);
    }
}
BENCHMARK(BM_SecondDownloadNothingNew)->Unit(benchmark::kMillisecond)->Repetitions(7);

double Median(std::vector<double> a)
{
    if (a.empty())
        return NAN;
    std::sort(a.begin(), a.end());
    return a.size() % 2 ? a[a.size() / 2] : (a[a.size() / 2 - 1] + a[a.size() / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QDir::tempPath() + "/dlv-bench-download-XXXXXX");
    g_pDir = &dir;
    if (!dir.isValid() || !WriteMonth()) {
        std::fprintf(stderr, "cannot write the sample month\n");
        return 1;
    }
    ::sync();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double flDownload = Median(g_aDownloadMs), flCp = Median(g_aCpMs);
    if (!g_aDownloadMs.empty())
        std::printf("\nmonth of %.0f MB, medians of %zu interleaved runs: download %.0f ms, "
                    "cp -r twice %.0f ms, ratio %.2f (target at most 1.30)\n",
            g_nDriveBytes / 1e6, g_aDownloadMs.size(), flDownload, flCp, flDownload / flCp);
    if (!g_aSecondMs.empty())
        std::printf("second download with nothing new: median %.2f ms over %zu runs "
                    "(target under 50 ms)\n",
            Median(g_aSecondMs), g_aSecondMs.size());
    return 0;
}
