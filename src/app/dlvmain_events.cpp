// The event list: the day's events and voice notes, notes typed in place and
// report flags, both saved into the day's evtx.csv at once.
#include "dlvmain.h"

#include "dlvchartevt.h"
#include "dlvfilesys630.h"
#include "dlvgridevents.h"
#include "dlvplayer.h"
#include "dlvutils.h"

#include <QAction>
#include <QMenu>

namespace dlv {

namespace {

const QString sLAeq = QStringLiteral("laeq");
const QString sLAFmax = QStringLiteral("lafmax");

// Names the day and the items that the rows were filled from.
QString DayKey(const TFileSys630 &fs)
{
    return fs.Meter() + QLatin1Char('/') + fs.Date() + QLatin1Char('|')
        + QString::number(fs.EventCount());
}

} // namespace

void TformMain::ConnectEvents()
{
    gridEvents->SetMarkSource([this](int nRow) {
        const int i = nRow - 1;
        const TEvent *pEvt = i < gridEvents->ItemRows() ? EventAt(i) : nullptr;
        if (!pEvt || pEvt->evttype == TEventType::etVoiceNotes)
            return 2;
        return pEvt->bReport ? 0 : 1;
    });
    connect(gridEvents, &TGridEvents::SelectCell, this, &TformMain::gridEventsSelectCell);
    connect(gridEvents, &TGridEvents::KeyDown, this, &TformMain::gridEventsKeyDown);
    connect(gridEvents, &TGridEvents::GridMouseDown, this, &TformMain::gridEventsMouseDown);
    connect(gridEvents, &TGridEvents::FixedCellClick, this, &TformMain::gridEventsFixedCellClick);
    connect(gridEvents, &TGridEvents::GridExit, this, &TformMain::gridEventsExit);
    // Closing the window leaves the grid too.
    installEventFilter(gridEvents);
    connect(menuEvtLAeq, &QAction::triggered, this, &TformMain::menuEvtParamClick);
    connect(menuEvtLAFmax, &QAction::triggered, this, &TformMain::menuEvtParamClick);
}

bool TformMain::GridHoldsLoadedDay() const
{
    return fs630 && fs630->Loaded() && !gridEvents->DayKey().isEmpty()
        && gridEvents->DayKey() == DayKey(*fs630) && gridEvents->ItemRows() == fs630->EventCount();
}

const TEvent *TformMain::EventAt(int i) const
{
    if (!fs630 || i < 0 || i >= fs630->EventCount())
        return nullptr;
    return &fs630->aevt[size_t(i)];
}

void TformMain::ShowEvents()
{
    // Notes typed but not yet committed: kept when the rows are refilled for
    // the same day (the parameter switch), since users expect typed text not
    // to vanish; dropped when the rows belonged to another day, whose items
    // are no longer loaded (CommitEvtNotes tells the two apart, and leaves
    // no edit pending either way).
    CommitEvtNotes();
    // The editor is closed before the cells change, so it cannot write its
    // text back into a refilled cell.
    SetNotesEditing(false);

    const bool bLoaded = fs630 && fs630->Loaded();
    const int nItems = bLoaded ? qBound(0, fs630->EventCount(), int(TFileSys630::kMaxEvents)) : 0;
    const bool bLAFmax = Cfg->EvtParam() == sLAFmax;
    gridEvents->SetHeadings({ QStringLiteral("Time"), QStringLiteral("Duration"),
        bLAFmax ? QStringLiteral("LAFmax dB") : QStringLiteral("LAeq dB"), QStringLiteral("Notes"),
        QStringLiteral("Report") });

    if (nItems == 0) {
        gridEvents->ShowPlaceholder();
        gridEvents->setEnabled(false);
        chartEvt->hide();
        mplayer->Close(); // nothing of the previous day keeps playing
        mplayer->hide();
    } else {
        gridEvents->SetItemRows(nItems);
        const bool bLevels = fs630->HasProfile();
        for (int i = 0; i < nItems; ++i) {
            const TEvent &evt = fs630->aevt[i];
            const bool bVoice = evt.evttype == TEventType::etVoiceNotes;
            gridEvents->SetCellText(i, TGridEvents::kColTime, evt.sStart);
            gridEvents->SetCellText(i, TGridEvents::kColDuration,
                bVoice ? QStringLiteral("Voice note")
                       : QString::number(evt.nDuration) + QStringLiteral(" s"));
            if (!bVoice && bLevels)
                gridEvents->SetCellText(i, TGridEvents::kColLevel,
                    QLatin1Char(' ') + FormatLevel(bLAFmax ? evt.flLAFMax : evt.flLAeq));
            gridEvents->SetCellText(i, TGridEvents::kColNotes, evt.sNotes);
        }
        gridEvents->setEnabled(true);
        chartEvt->show();
        mplayer->show();
    }
    gridEvents->SetDayKey(bLoaded ? DayKey(*fs630) : QString());
    gridEvents->viewport()->update();

    // Row 1 already current (the first load, or a list that stayed there):
    // its item is shown but not selected. Otherwise the move to row 1 selects
    // it as a click on its first cell would.
    const int nRow = gridEvents->Row();
    if (nRow == 1 || nRow == -1) {
        gridEvents->SetCurrentQuietly(TGridEvents::kColTime, 1);
        LoadSelectedEvent(0);
    } else {
        gridEvents->MoveTo(TGridEvents::kColTime, 1);
    }
}

void TformMain::LoadSelectedEvent(int iEvt)
{
    CommitEvtNotes();
    const TEvent *pEvt = EventAt(iEvt);
    if (!pEvt)
        return;
    const TEvent &evt = *pEvt;
    if (evt.evttype == TEventType::etEvent && fs630->HasProfile()) {
        chartEvt->show();
        PlotEvent(iEvt, chartEvt);
    } else {
        chartEvt->hide();
    }
    mplayer->Close();
    if (!evt.sWavFile.isEmpty()) {
        mplayer->show();
        if (!mplayer->Open(fs630->DayFolder() + evt.sWavFile))
            mplayer->hide();
    } else {
        mplayer->hide();
    }
}

void TformMain::ToggleEvtParam()
{
    CommitEvtNotes(); // typed notes are saved before the rows are refilled
    const QString sNew = Cfg->EvtParam() == sLAeq ? sLAFmax : sLAeq;
    Cfg->SetEvtParam(sNew);
    (sNew == sLAeq ? menuEvtLAeq : menuEvtLAFmax)->setChecked(true);
    ShowEvents();
}

void TformMain::menuEvtParamClick()
{
    ToggleEvtParam();
}

void TformMain::CommitEvtNotes()
{
    if (!bEvtNotesEdited)
        return;
    bEvtNotesEdited = false;
    // Rows that show another day's items (a day whose headers failed to load
    // after they were filled) must not be written into this day's file.
    if (!GridHoldsLoadedDay())
        return;
    for (int i = 0; i < gridEvents->ItemRows(); ++i)
        fs630->aevt[i].sNotes = gridEvents->CellText(i, TGridEvents::kColNotes);
    fs630->SaveEvtNotes();
}

void TformMain::SetNotesEditing(bool bOn)
{
    gridEvents->SetNotesEditing(bOn);
}

void TformMain::gridEventsSelectCell(int nCol, int nRow)
{
    const int i = nRow - 1;
    // The placeholder row of an empty day holds no item.
    if (i >= gridEvents->ItemRows() || !EventAt(i))
        return;
    LoadSelectedEvent(i);
    if (nCol == TGridEvents::kColNotes)
        SetNotesEditing(true);
    if (nCol == TGridEvents::kColReport && GridHoldsLoadedDay()) {
        // Voice notes too: their flag is kept though their cell shows no mark.
        fs630->aevt[i].bReport = !fs630->aevt[i].bReport;
        fs630->SaveEvtNotes();
        gridEvents->viewport()->update();
    }
    iEvtSel = i;
    ShowPrfMarkers();
    UpdateMenus();
}

void TformMain::gridEventsKeyDown(int nKey)
{
    if (gridEvents->Col() != TGridEvents::kColNotes)
        return;
    bEvtNotesEdited = true;
    if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter) {
        CommitEvtNotes();
        const int nRow = gridEvents->Row();
        if (nRow >= 1 && nRow < gridEvents->ItemRows())
            gridEvents->MoveTo(TGridEvents::kColNotes, nRow + 1);
    }
}

void TformMain::gridEventsExit()
{
    CommitEvtNotes();
}

void TformMain::gridEventsMouseDown(int nCol, int)
{
    // A click on a Notes cell has just opened it for editing; a click
    // anywhere else returns to whole-row selection.
    if (nCol != TGridEvents::kColNotes)
        SetNotesEditing(false);
}

void TformMain::gridEventsFixedCellClick(int nCol)
{
    if (nCol == TGridEvents::kColLevel)
        ToggleEvtParam();
}

} // namespace dlv
