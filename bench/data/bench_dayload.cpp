// Loading a heavy day and saving its annotations.
//
// The heavy day: three one-second runs that together cover the whole day and
// overlap (86400+ records), 1001 events of 5 to 60 seconds, an evtx.csv of 300
// rows. Loading it (LoadBin + LoadProfiles + LoadEvents) is compared with
// merely reading the same files' bytes into memory, in the same binary and,
// for LoadVsRead, in the same iterations: the "ratio" counter is load time over
// read time (target: at most 2); TimeHistoryFloorVsRead gives the same ratio
// for the least work the time history alone needs. SaveEvtNotes of the 1001
// entries has a target of 2 ms.
#include "dlvfilesys630.h"
#include "dlvmeterfiles.h"
#include "dlvutils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

namespace {

using namespace dlv;

const QString kMeter = QStringLiteral("1234567");
const QString kDate = QStringLiteral("20160315");

// The heavy day, written once per process into a temporary data folder.
class THeavyDay
{
public:
    // sRoot empty: the system's temporary folder.
    explicit THeavyDay(const QString &sRoot = QString())
        : m_dir(sRoot.isEmpty() ? QDir::tempPath() + QStringLiteral("/dlv-bench-XXXXXX")
                                : sRoot + QStringLiteral("/dlv-bench-XXXXXX"))
    {
        m_sBase = m_dir.path() + QLatin1Char('/');
        const QString sDay = m_sBase + kMeter + QLatin1Char('/') + kDate + QLatin1Char('/');
        QDir().mkpath(sDay);
        struct TRun {
            int nFrom, nTo;
            bool bLong;
        } aRuns[3] = {{0, 10 * 3600, false}, {9 * 3600 + 1800, 18 * 3600, true}, {17 * 3600 + 1800, 86400, false}};
        std::mt19937 rng(1);
        std::uniform_real_distribution<double> uni(0.0, 1.0);
        std::vector<TEvtRecord> aEvt[3];
        for (int i = 0; i < 1001; ++i) {
            const int nRun = i % 3;
            const int nAt = aRuns[nRun].nFrom + 10 + (aRuns[nRun].nTo - aRuns[nRun].nFrom - 100) * (i / 3) / 334;
            const int nLen = 5 + static_cast<int>(uni(rng) * 55);
            aEvt[nRun].push_back({nAt / 3600, nAt / 60 % 60, nAt % 60, 0, nLen / 60, nLen % 60, i / 3 + 1});
        }
        for (int r = 0; r < 3; ++r) {
            const QString sRun = sDay + QString::asprintf("R%03d", r + 1);
            TBinFile bin = MakeRunHeader(r + 1, kMeter, QStringLiteral("632A"),
                                         QDateTime(QDate(2016, 3, 15), QTime(0, 0).addSecs(aRuns[r].nFrom % 86400)),
                                         1, aRuns[r].bLong);
            SetCalibration(bin, false, QDateTime(QDate(2016, 3, 15), QTime(0, 0)));
            SetCalibration(bin, true, QDateTime(QDate(2016, 3, 15), QTime(23, 59, 59)));
            WriteBinFile(sRun + QStringLiteral(".BIN"), bin);
            // Levels as a meter logs them: a slow daily swing, a wander and
            // second-to-second scatter (not white noise over the whole range).
            std::vector<TPrfRecord> aPrf;
            std::normal_distribution<double> gauss(0.0, 1.0);
            double flWander = 0.0;
            for (int s = aRuns[r].nFrom; s <= aRuns[r].nTo; ++s) {
                flWander = 0.999 * flWander + 0.06 * gauss(rng);
                const double fl = 52.0 - 10.0 * std::cos(2 * M_PI * s / 86400.0) + flWander
                    + 1.5 * gauss(rng);
                aPrf.push_back({s / 3600, s / 60 % 60, s % 60, fl, fl + 1.0 + 3.0 * uni(rng)});
            }
            WritePrfFile(sRun + QStringLiteral(".PRF"), aPrf, aRuns[r].bLong);
            WriteEvtFile(sRun + QStringLiteral(".EVT"), 3, aEvt[r]);
            m_slFiles << sRun + QStringLiteral(".BIN") << sRun + QStringLiteral(".PRF")
                      << sRun + QStringLiteral(".EVT");
        }
        // 300 annotated events.
        TFileSys630 fs([this] { return m_sBase; });
        fs.LoadBin(kMeter, kDate);
        fs.LoadProfiles();
        fs.LoadEvents();
        for (int i = 0; i < fs.EventCount(); i += 3)
            fs.aevt[static_cast<size_t>(i)].sNotes = QStringLiteral("passing lorry, \"loud\" %1").arg(i);
        fs.SaveEvtNotes(); // 334 rows; keep 300
        QFile f(sDay + QStringLiteral("evtx.csv"));
        f.open(QIODevice::ReadOnly);
        QList<QByteArray> aLines = f.readAll().split('\n');
        f.close();
        QByteArray ab;
        for (int i = 0; i < 301; ++i)
            ab += aLines[i] + '\n';
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(ab);
        f.close();
        m_slFiles << sDay + QStringLiteral("evtx.csv");
    }
    QString Base() const { return m_sBase; }
    const QStringList &Files() const { return m_slFiles; }

private:
    QTemporaryDir m_dir;
    QString m_sBase;
    QStringList m_slFiles;
};

THeavyDay &Day()
{
    static THeavyDay day;
    return day;
}

// The same day in RAM (/dev/shm) where the machine has it: saving there
// measures the code, not the disk's sync.
THeavyDay *RamDay()
{
    static std::unique_ptr<THeavyDay> pDay = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
        ? std::make_unique<THeavyDay>(QStringLiteral("/dev/shm"))
        : nullptr;
    return pDay.get();
}

// The baseline: every byte of the day's files into memory, nothing else.
qint64 ReadAllBytes(const QStringList &slFiles, std::vector<char> &abBuf)
{
    qint64 nTotal = 0;
    for (const QString &s : slFiles) {
        QFile f(s);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            continue;
        const qint64 nSize = f.size();
        if (static_cast<qint64>(abBuf.size()) < nSize)
            abBuf.resize(static_cast<size_t>(nSize));
        nTotal += f.read(abBuf.data(), nSize);
    }
    return nTotal;
}

void LoadDay(TFileSys630 &fs)
{
    if (fs.LoadBin(kMeter, kDate)) {
        fs.LoadProfiles();
        fs.LoadEvents();
    }
}

void BM_ReadDayFiles(benchmark::State &state)
{
    THeavyDay &day = Day();
    std::vector<char> abBuf;
    qint64 nBytes = 0;
    for (auto _ : state) {
        nBytes = ReadAllBytes(day.Files(), abBuf);
        benchmark::DoNotOptimize(abBuf.data());
    }
    state.counters["bytes"] = static_cast<double>(nBytes);
}
BENCHMARK(BM_ReadDayFiles)->Unit(benchmark::kMillisecond);

void BM_LoadDay(benchmark::State &state)
{
    THeavyDay &day = Day();
    auto fs = std::make_unique<TFileSys630>([&day] { return day.Base(); });
    LoadDay(*fs);
    for (auto _ : state) {
        LoadDay(*fs);
        benchmark::DoNotOptimize(fs->aflLeq.data());
    }
    state.counters["events"] = fs->EventCount();
    double flSecs = 0;
    for (int i = 0; i < fs->EventCount(); ++i)
        flSecs += fs->aevt[static_cast<size_t>(i)].nDuration + 1;
    state.counters["event_secs"] = flSecs;
}
BENCHMARK(BM_LoadDay)->Unit(benchmark::kMillisecond);

// The parts of a day load, to see where its time goes.
void BM_LoadPart(benchmark::State &state)
{
    THeavyDay &day = Day();
    auto fs = std::make_unique<TFileSys630>([&day] { return day.Base(); });
    if (state.range(0) == 3)
        fs->LoadBin(kMeter, kDate);
    else
        LoadDay(*fs);
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            fs->LoadBin(kMeter, kDate);
            break;
        case 1:
            fs->LoadProfiles();
            break;
        default:
            fs->LoadEvents();
            break;
        }
        benchmark::DoNotOptimize(fs->aflLeq.data());
    }
    state.SetLabel(state.range(0) == 0 ? "LoadBin" : state.range(0) == 1 ? "LoadProfiles" : "LoadEvents");
}
BENCHMARK(BM_LoadPart)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// The same files read the plain way: QFile::readAll into a new array each.
void BM_ReadDayFilesReadAll(benchmark::State &state)
{
    THeavyDay &day = Day();
    for (auto _ : state) {
        qint64 nTotal = 0;
        for (const QString &s : day.Files()) {
            QFile f(s);
            if (f.open(QIODevice::ReadOnly))
                nTotal += f.readAll().size();
        }
        benchmark::DoNotOptimize(nTotal);
    }
}
BENCHMARK(BM_ReadDayFilesReadAll)->Unit(benchmark::kMillisecond);

// Times the plain read and then fnWork in every iteration, so their ratio is
// not skewed by the shared machine's drift between benchmarks. Counters:
// "ratio" (the median of work over read), "read_ms" and pWorkCounter (means).
template <typename TFn>
void TimeAgainstRead(benchmark::State &state, const char *pWorkCounter, TFn fnWork)
{
    using TClock = std::chrono::steady_clock;
    THeavyDay &day = Day();
    std::vector<char> abBuf;
    ReadAllBytes(day.Files(), abBuf);
    std::vector<double> aRatio;
    double flWork = 0, flRead = 0;
    for (auto _ : state) {
        const auto t0 = TClock::now();
        ReadAllBytes(day.Files(), abBuf);
        const auto t1 = TClock::now();
        fnWork();
        const auto t2 = TClock::now();
        const double flR = std::chrono::duration<double>(t1 - t0).count();
        const double flW = std::chrono::duration<double>(t2 - t1).count();
        flRead += flR;
        flWork += flW;
        aRatio.push_back(flW / flR);
    }
    std::sort(aRatio.begin(), aRatio.end());
    state.counters["ratio"] = aRatio.empty() ? 0.0 : aRatio[aRatio.size() / 2];
    state.counters["read_ms"] = flRead * 1e3 / static_cast<double>(state.iterations());
    state.counters[pWorkCounter] = flWork * 1e3 / static_cast<double>(state.iterations());
}

void BM_LoadVsRead(benchmark::State &state)
{
    THeavyDay &day = Day();
    auto fs = std::make_unique<TFileSys630>([&day] { return day.Base(); });
    LoadDay(*fs);
    TimeAgainstRead(state, "load_ms", [&fs] {
        LoadDay(*fs);
        benchmark::DoNotOptimize(fs->aflLeq.data());
    });
}
BENCHMARK(BM_LoadVsRead)->Unit(benchmark::kMillisecond);

// The least any loader of these files has to do for the time history alone,
// against the same plain read in the same iterations: the read itself, the
// NaN fill of the two arrays and one lookup and two stores per record; no
// checks, no events, no notes. Its "ratio" is the floor under LoadVsRead's.
// Like the loader it releases the wide vector registers before its loop.
void BM_TimeHistoryFloorVsRead(benchmark::State &state)
{
    THeavyDay &day = Day();
    auto fs = std::make_unique<TFileSys630>([&day] { return day.Base(); });
    fs->LoadBin(kMeter, kDate);
    struct TPrf {
        QString sPath;
        qint64 nRecLen;
    };
    std::vector<TPrf> aPrf;
    for (const TBinFile &bin : fs->BinFiles())
        aPrf.push_back({fs->DayFolder() + RunFileName(bin.wRunNumber, QLatin1String(".PRF")),
                        PrfRecordLength(bin)});
    std::vector<double> aflLevel(65536);
    for (int w = 0; w < 65536; ++w)
        aflLevel[static_cast<size_t>(w)] = w / 320.0;
    std::vector<char> abChunk(TFileSys630::kPrfChunk);
    int anBcd[256];
    for (int i = 0; i < 256; ++i)
        anBcd[i] = (i >> 4) * 10 + (i & 15);
    double *pLeq = fs->aflLeq.data();
    double *pMax = fs->aflMax.data();
    const double *pLevel = aflLevel.data();
    TimeAgainstRead(state, "floor_ms", [&] {
        std::memset(pLeq, 0xFF, sizeof(double) * TFileSys630::kSlots);
        std::memset(pMax, 0xFF, sizeof(double) * TFileSys630::kSlots);
        for (const TPrf &prf : aPrf) {
            QFile f(prf.sPath);
            if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                continue;
            for (;;) {
                const qint64 nGot = f.read(abChunk.data(), static_cast<qint64>(abChunk.size()));
                const auto *p = reinterpret_cast<const uint8_t *>(abChunk.data());
                ReleaseVectorUpper();
                for (qint64 r = 0; r < nGot / prf.nRecLen; ++r, p += prf.nRecLen) {
                    const unsigned nSlot = static_cast<unsigned>(anBcd[p[0]] * 3600 + anBcd[p[1]] * 60
                                                                 + anBcd[p[2]]);
                    if (nSlot < TFileSys630::kSlots) {
                        pLeq[nSlot] = pLevel[p[6] | (p[7] << 8)];
                        pMax[nSlot] = pLevel[p[10] | (p[11] << 8)];
                    }
                }
                if (nGot < static_cast<qint64>(abChunk.size()))
                    break;
            }
        }
        benchmark::DoNotOptimize(pLeq);
    });
}
BENCHMARK(BM_TimeHistoryFloorVsRead)->Unit(benchmark::kMillisecond);

// Arg 0: the day in the temporary folder (on disk here); 1: in RAM.
void BM_SaveEvtNotes(benchmark::State &state)
{
    THeavyDay *pDay = state.range(0) == 0 ? &Day() : RamDay();
    if (pDay == nullptr) {
        state.SkipWithError("no /dev/shm");
        return;
    }
    THeavyDay &day = *pDay;
    auto fs = std::make_unique<TFileSys630>([&day] { return day.Base(); });
    LoadDay(*fs);
    for (int i = 0; i < fs->EventCount(); ++i)
        fs->aevt[static_cast<size_t>(i)].sNotes = QStringLiteral("note %1, with a comma").arg(i);
    const QString sPath = fs->DayFolder() + QStringLiteral("evtx.csv");
    const QString sKeep = sPath + QStringLiteral(".keep");
    QFile::copy(sPath, sKeep);
    for (auto _ : state) {
        if (!fs->SaveEvtNotes())
            state.SkipWithError("SaveEvtNotes failed");
    }
    state.counters["entries"] = fs->EventCount();
    QFile::remove(sPath);
    QFile::rename(sKeep, sPath);
}
BENCHMARK(BM_SaveEvtNotes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Day();
    RamDay();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
