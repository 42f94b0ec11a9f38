// Time-history chart of the main window: rebuild at the chosen rate, zoom,
// and the event markers.
#include "dlvmain.h"

#include "dlvchartprf.h"
#include "dlverror.h"
#include "dlvfilesys630.h"
#include "dlvmessages.h"
#include "dlvprofile.h"
#include "dlvutils.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QToolButton>

namespace dlv {

void TformMain::ConnectPrfChart()
{
    connect(groupTHRate, &QActionGroup::triggered, this, &TformMain::PrfPeriodClick);
    connect(chartPrf, &TChartPrf::zoomed, this, &TformMain::chartPrfZoom);
    connect(chartPrf, &TChartPrf::zoomUndone, this, &TformMain::chartPrfUndoZoom);
    connect(btnZoomOut, &QToolButton::clicked, this, &TformMain::btnZoomOutClick);
}

void TformMain::PlotProfile()
{
    if (!fs630 || !fs630->Loaded())
        return;
    const int nRate = Cfg->PrfRate();
    const int nPoints = PrfPointCount(nRate);
    // The period levels go straight into the chart's buffer: nothing else
    // keeps a copy of a rebuild.
    PeriodLevels(fs630->aflLeq, nRate, chartPrf->LevelBuffer(nPoints));
    chartPrf->UndoZoom(); // hides the zoom-out button
    const TLevelScan scan = chartPrf->ShowLevels(nRate);
    const TAxisRange rgTime = TimeAxisRange(scan, nPoints);
    chartPrf->xAxis->setRange(rgTime.flMin, rgTime.flMax);
    if (const auto rgLevel = LevelAxisRange(scan))
        chartPrf->yAxis->setRange(rgLevel->flMin, rgLevel->flMax);
    // The heading names the loaded day. That is the day selected in the day
    // list whenever one is; after the list was refilled (no row selected) the
    // chart still shows the loaded day, and so does its heading.
    panelPrfHead->setText(QStringLiteral("Time History - ") + DayText(fs630->Date()));
    ShowPrfMarkers();
    chartPrf->replot();
}

void TformMain::ShowPrfMarkers()
{
    std::vector<TPrfMarker> aMarkers;
    const int nCount = (fs630 && fs630->Loaded()) ? fs630->EventCount() : 0;
    aMarkers.reserve(size_t(std::max(nCount, 0)));
    for (int i = 0; i < nCount && i < TFileSys630::kMaxEvents; ++i) {
        const TEvent &evt = fs630->aevt[size_t(i)];
        TPrfMarker m;
        // A start that cannot be read leaves out that marker, not the others.
        try {
            m.nStartSec = evt.StartSec();
            m.nDuration = evt.nDuration;
        } catch (const EDlvError &) {
            m.bShown = false;
        }
        aMarkers.push_back(m);
    }
    chartPrf->SetMarkers(aMarkers, iEvtSel);
    chartPrf->RedrawMarkers();
}

void TformMain::PrfPeriodClick(QAction *pItem)
{
    if (!pItem)
        return;
    Cfg->SetPrfPeriod(pItem->data().toInt());
    const TWaitCursor waitCursor;
    PlotProfile();
}

void TformMain::chartPrfZoom()
{
    const QCPRange rg = chartPrf->xAxis->range();
    if (const auto rgLevel = ZoomLevelRange(chartPrf->Levels(), rg.lower, rg.upper))
        chartPrf->yAxis->setRange(rgLevel->flMin, rgLevel->flMax);
    btnZoomOut->show();
}

void TformMain::btnZoomOutClick()
{
    chartPrf->UndoZoom();
    chartPrf->replot();
}

void TformMain::chartPrfUndoZoom()
{
    btnZoomOut->hide();
}

} // namespace dlv
