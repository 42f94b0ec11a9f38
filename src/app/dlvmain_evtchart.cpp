// The event chart and the playback of the event's recording, with the cursor
// bar that follows the playback across the chart.
#include "dlvmain.h"

#include "dlvchartevt.h"
#include "dlverror.h"
#include "dlvfilesys630.h"
#include "dlvgridevents.h"
#include "dlvplayer.h"

#include <QMouseEvent>
#include <QTimer>

namespace dlv {

void TformMain::ConnectEvtChart()
{
    connect(gridEvents, &TGridEvents::DblClick, this, &TformMain::gridEventsDblClick);
    connect(mplayer, &TMediaPlayer::Click, this, &TformMain::mplayerClick);
    // A recording the backend refuses after all is hidden like one that
    // could not be opened.
    connect(mplayer, &TMediaPlayer::OpenFailed, mplayer, &QWidget::hide);
    connect(timerWav, &QTimer::timeout, this, &TformMain::timerWavTimer);
    connect(chartEvt, &QCustomPlot::mousePress, this,
        [this](QMouseEvent *pEvent) { chartEvtMouseDown(qRound(pEvent->position().x())); });
}

void TformMain::PlotEvent(int iEvt, TChartEvt *pChart)
{
    if (!pChart)
        return;
    // Only the window's own chart carries the cursor; plotting into a chart
    // borrowed for a picture leaves the cursor of this one alone.
    if (pChart == chartEvt)
        nEvtCursor = -1;
    const TEvent *pEvt = EventAt(iEvt);
    if (!pEvt) {
        pChart->SetEvent(TEvtPlot());
        return;
    }
    const TEvent &evt = *pEvt;
    int nStart = 0;
    try {
        nStart = evt.StartSec();
    } catch (const EDlvError &) {
        pChart->SetEvent(TEvtPlot()); // a start that is no time has no seconds to show
        return;
    }
    pChart->SetEvent(
        EventPlotPoints(fs630->aflLeq.data(), TFileSys630::kSlots, nStart, evt.nDuration));
}

void TformMain::gridEventsDblClick()
{
    const TEvent *pEvt = EventAt(iEvtSel);
    if (!pEvt || pEvt->sWavFile.isEmpty())
        return;
    // The player does nothing when its recording is not open.
    SyncPlayCursor(true);
    mplayer->Rewind();
    mplayer->Play();
}

void TformMain::mplayerClick(TMPBtnType btn)
{
    SyncPlayCursor(btn == TMPBtnType::btPlay);
}

void TformMain::SyncPlayCursor(bool bPlay)
{
    const TEvent *pEvt = EventAt(iEvtSel);
    if (!pEvt || pEvt->evttype == TEventType::etVoiceNotes)
        return;
    MoveEvtCursor(-1);
    if (bPlay)
        timerWav->start();
    else
        mplayer->Rewind();
}

void TformMain::timerWavTimer()
{
    const TMPModes mode = mplayer->Mode();
    if (mode == TMPModes::mpPlaying || mode == TMPModes::mpPaused) {
        MoveEvtCursor(mplayer->Position());
    } else {
        timerWav->stop();
        MoveEvtCursor(-1);
    }
}

void TformMain::MoveEvtCursor(qint64 nPos)
{
    if (!fs630 || !fs630->HasProfile())
        return;
    if (nEvtCursor != -1)
        chartEvt->SetCursorBar(nEvtCursor, 0.0);
    if (nPos == -1) {
        nEvtCursor = -1;
        return;
    }
    // The whole recording spans the whole event, whatever its real length.
    nEvtCursor = CursorPoint(nPos, chartEvt->PointCount(), mplayer->Length());
    if (nEvtCursor != -1)
        chartEvt->SetCursorBar(nEvtCursor, chartEvt->yAxis->range().upper);
}

void TformMain::chartEvtMouseDown(int nX)
{
    const TMPModes mode = mplayer->Mode();
    if (!mplayer->IsOpen()
        || (mode != TMPModes::mpPlaying && mode != TMPModes::mpPaused
            && mode != TMPModes::mpStopped))
        return;
    const int a = NearestPoint(chartEvt->xAxis->pixelToCoord(nX));
    const qint64 nLength = mplayer->Length();
    mplayer->Stop();
    mplayer->SetPosition(PointPosition(nLength, a, chartEvt->LeqSeries()->dataCount()));
    mplayer->Play();
    timerWav->start();
}

} // namespace dlv
