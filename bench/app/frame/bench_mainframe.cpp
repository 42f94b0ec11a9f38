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

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home; // never touch the real settings
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + "/.config");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
