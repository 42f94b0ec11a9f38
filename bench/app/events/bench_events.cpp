// Selecting an event in the event list of the real main window: the commit of
// pending notes, the chart of a 120-second event and the opening of its
// recording in the player, on the offscreen platform.
//
// The player runs without its media backend here: Open still reads and
// checks the WAV header (our own work), but the file is not handed to Qt
// Multimedia, whose asynchronous pipeline set-up is not the window's cost and
// is measured on its own (BM_BackendOpen) for reference.
#include "dlvcfg.h"
#include "dlvchartevt.h"
#include "dlvfilesys630.h"
#include "dlvgridevents.h"
#include "dlvmain.h"
#include "dlvmeterfiles.h"
#include "dlvplayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

const QString kMeter = QStringLiteral("1234567");
const QString kDate = QStringLiteral("20160315");

// A day with two 120-second events (09:01:00 and 09:05:00), each with a
// two-second recording, and levels for every second from 09:00 to 09:10.
QString WriteDay(const QString &sBase)
{
    const QString sDay = sBase + kMeter + "/" + kDate + "/";
    QDir().mkpath(sDay);
    dlv::WriteBinFile(sDay + "R001.BIN",
        dlv::MakeRunHeader(1, kMeter, "632A", QDateTime(QDate(2016, 3, 15), QTime(9, 0, 0))));
    std::vector<dlv::TPrfRecord> aPrf;
    for (int s = 9 * 3600; s <= 9 * 3600 + 600; ++s)
        aPrf.push_back(dlv::PrfAt(s, 50.0 + (s % 17), 60.0 + (s % 17)));
    dlv::WritePrfFile(sDay + "R001.PRF", aPrf, false);
    // Lead time 2: stored 09:01:02 lasting 1:58 starts at 09:01:00 and lasts 120 s.
    dlv::WriteEvtFile(sDay + "R001.EVT", 2, { { 9, 1, 2, 0, 1, 58, 1 }, { 9, 5, 2, 0, 1, 58, 2 } });
    dlv::WriteToneWav(sDay + "R001E001.WAV", 2.0, 440);
    dlv::WriteToneWav(sDay + "R001E002.WAV", 2.0, 440);
    return sDay;
}

struct TBenchWindow
{
    TBenchWindow()
    {
        sDay = WriteDay(dir.path() + "/");
        form = std::make_unique<dlv::TformMain>(std::make_unique<dlv::TCfg>());
        dlv::Cfg->SetBaseDir(dir.path() + "/");
        form->mplayer->SetBackendEnabled(false);
        form->show();
        QCoreApplication::processEvents();
        form->ShowMeters();
        form->ShowFolders();
        form->LoadDay(0);
        QCoreApplication::processEvents();
    }
    QTemporaryDir dir;
    QString sDay;
    std::unique_ptr<dlv::TformMain> form;
};

// Rows 1 and 2 in turn, each selected as a click on its first cell selects it.
void BM_SelectEvent(benchmark::State &state)
{
    TBenchWindow w;
    dlv::TGridEvents *g = w.form->gridEvents;
    const bool bDraw = state.range(0) != 0;
    int nRow = 1;
    for (auto _ : state) {
        nRow = 3 - nRow;
        g->MoveTo(dlv::TGridEvents::kColTime, nRow);
        if (bDraw)
            QCoreApplication::processEvents(); // the queued chart redraw and the grid repaint
    }
    if (w.form->chartEvt->PointCount() != 121 || !w.form->mplayer->IsOpen())
        state.SkipWithError("the event was not shown");
    state.SetLabel(bDraw ? "with drawing" : "handler only");
}
BENCHMARK(BM_SelectEvent)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The same with a note typed before: the commit rewrites evtx.csv.
void BM_SelectEventCommittingNotes(benchmark::State &state)
{
    TBenchWindow w;
    dlv::TGridEvents *g = w.form->gridEvents;
    int nRow = 1;
    for (auto _ : state) {
        state.PauseTiming();
        // A key in the Notes column of the current row marks the notes edited.
        g->SetCurrentQuietly(dlv::TGridEvents::kColNotes, nRow);
        emit g->KeyDown(Qt::Key_A);
        g->SetCurrentQuietly(dlv::TGridEvents::kColTime, nRow);
        nRow = 3 - nRow;
        state.ResumeTiming();
        g->MoveTo(dlv::TGridEvents::kColTime, nRow);
    }
    if (!QFileInfo::exists(w.sDay + "evtx.csv"))
        state.SkipWithError("the notes were not saved");
}
BENCHMARK(BM_SelectEventCommittingNotes)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// For reference: handing a recording to Qt Multimedia (the call only; the
// pipeline then loads asynchronously).
void BM_BackendOpen(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString sDay = WriteDay(dir.path() + "/");
    dlv::TMediaPlayer player;
    int n = 0;
    for (auto _ : state) {
        const bool b = player.Open(sDay + (++n % 2 ? "R001E001.WAV" : "R001E002.WAV"));
        benchmark::DoNotOptimize(b);
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    player.Close();
}
BENCHMARK(BM_BackendOpen)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
