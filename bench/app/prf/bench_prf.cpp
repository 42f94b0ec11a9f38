// Time-history chart: building the one-second chart of a full day with its
// first rendering at the window's designed chart size, and the period levels
// of the other rates from the per-second arrays.
#include "dlvchartprf.h"
#include "dlvprofile.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// A realistic day: levels over the whole day with a daily pattern and noise,
// a few minutes without records here and there, as the meter leaves them.
std::vector<double> SampleDay()
{
    std::vector<double> afl(86401, std::numeric_limits<double>::quiet_NaN());
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 3.0);
    for (int s = 0; s < 86400; ++s) {
        if ((s / 60) % 97 == 13) // a gap of a minute every 97 minutes
            continue;
        const double flDay = 45.0 + 12.0 * std::sin((s - 6 * 3600) * 3.14159265 / 43200.0);
        // Stored levels are 1/320 dB steps.
        afl[size_t(s)] = std::round((flDay + noise(rng)) * 320.0) / 320.0;
    }
    return afl;
}

const std::vector<double> &Day()
{
    static const std::vector<double> afl = SampleDay();
    return afl;
}

// What a day load does to the chart at one second: the point levels, the
// series, the axis ranges; then the first rendering at 928 x 546.
void BM_OneSecondChartBuildAndFirstRender(benchmark::State &state)
{
    dlv::TChartPrf chart;
    chart.resize(928, 546);
    for (auto _ : state) {
        dlv::PeriodLevels(Day(), 1, chart.LevelBuffer(86400));
        chart.UndoZoom();
        const dlv::TLevelScan scan = chart.ShowLevels(1);
        const dlv::TAxisRange rgTime = dlv::TimeAxisRange(scan, 86400);
        chart.xAxis->setRange(rgTime.flMin, rgTime.flMax);
        if (const auto rg = dlv::LevelAxisRange(scan))
            chart.yAxis->setRange(rg->flMin, rg->flMax);
        QPixmap pm = chart.toPixmap(928, 546);
        benchmark::DoNotOptimize(pm);
    }
}
BENCHMARK(BM_OneSecondChartBuildAndFirstRender)->Unit(benchmark::kMillisecond);

void BM_PeriodLevels(benchmark::State &state)
{
    const int nRate = int(state.range(0));
    std::vector<double> aOut(size_t(dlv::PrfPointCount(nRate)));
    for (auto _ : state) {
        dlv::PeriodLevels(Day(), nRate, aOut);
        benchmark::DoNotOptimize(aOut.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PeriodLevels)->Arg(300)->Arg(900)->Arg(3600)->Unit(benchmark::kMicrosecond);

} // namespace
