// Start-up cost of the main window: construction (settings load, folder tree,
// threads, menus, layout) plus the first show, on the offscreen platform.
#include "dlvcfg.h"
#include "dlvmain.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BM_CreateAndShowMainWindow(benchmark::State &state)
{
    for (auto _ : state) {
        auto pForm = std::make_unique<dlv::TformMain>(std::make_unique<dlv::TCfg>());
        pForm->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(pForm.get());
        state.PauseTiming();
        pForm.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreateAndShowMainWindow)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
