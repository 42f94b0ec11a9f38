// The event list of the real main window: rows, marks, the two selection
// modes, notes typed in place and report flags, both saved into evtx.csv; the
// level parameter switch; the menus that follow the selection.
#include "dlvevtwindow.h"

#include "dlvutils.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPushButton>

using namespace dlv;
using namespace dlv::test;

namespace {

QString Heading(TGridEvents *p, int nCol)
{
    return p->horizontalHeaderItem(nCol) ? p->horizontalHeaderItem(nCol)->text() : QString();
}

} // namespace

TEST(EventList, FirstLoadShowsTheFirstItemWithoutSelectingIt)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    TGridEvents *g = w.Grid();
    ASSERT_EQ(w.Fs().EventCount(), 4);

    // Layout of the grid.
    const int anWidths[5] = { 64, 60, 60, 209, 42 };
    const char *apszHeads[5] = { "Time", "Duration", "LAeq dB", "Notes", "Report" };
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(g->columnWidth(c), anWidths[c]) << c;
        EXPECT_EQ(Heading(g, c), apszHeads[c]) << c;
    }
    EXPECT_EQ(g->rowHeight(0), 18);
    EXPECT_EQ(g->rowCount(), 4);
    EXPECT_TRUE(g->isEnabled());

    // Row 1 is current and highlighted, its item (the voice note) is shown
    // beside the list, yet nothing is selected: no red marker, no "Current
    // Event" copy.
    EXPECT_EQ(g->Row(), 1);
    EXPECT_TRUE(g->selectionModel()->isRowSelected(0, {}));
    EXPECT_FALSE(g->NotesEditing());
    EXPECT_EQ(w.form->iEvtSel, -1);
    EXPECT_FALSE(w.form->menuCopyEvt->menuAction()->isEnabled());
    EXPECT_TRUE(w.form->menuEvtParam->menuAction()->isEnabled());
    EXPECT_FALSE(w.form->chartEvt->isVisibleTo(w.form.get())) << "a voice note has no chart";
    EXPECT_TRUE(w.form->mplayer->isVisibleTo(w.form.get()));
    EXPECT_EQ(w.form->mplayer->FileName(), w.Day() + "R001NOTE.WAV");
    EXPECT_FALSE(w.EvtxExists()) << "loading a day never writes its annotations";
}

TEST(EventList, CellsShowEachItemAsItsKindSays)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    TGridEvents *g = w.Grid();
    const TFileSys630 &fs = w.Fs();
    struct
    {
        int iItem;
        const char *pszTime;
        const char *pszDuration;
        bool bLevel;
        int nMark;
    } const cases[] = {
        { 0, "08:59:30", "Voice note", false, 2 },
        { 1, "09:00:08", "6 s", true, 0 },
        { 2, "09:01:00", "4 s", true, 0 },
        { 3, "09:02:00", "10 s", true, 0 },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(g->CellText(c.iItem, 0), c.pszTime) << c.iItem;
        EXPECT_EQ(g->CellText(c.iItem, 1), c.pszDuration) << c.iItem;
        const QString sLevel = c.bLevel ? " " + FormatLevel(fs.aevt[c.iItem].flLAeq) : QString();
        EXPECT_EQ(g->CellText(c.iItem, 2), sLevel) << c.iItem;
        EXPECT_EQ(g->CellText(c.iItem, 4), QString()) << "the Report column has no text";
        EXPECT_EQ(g->MarkOf(c.iItem + 1), c.nMark) << c.iItem;
    }
    EXPECT_TRUE(g->CellText(1, 2).startsWith(" ")) << "one decimal after a space";
}

TEST(EventList, MarksAreDrawnInTheReportColumn)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Fs().aevt[2].bReport = false; // a cross on row 3
    TGridEvents *g = w.Grid();
    g->SetCurrentQuietly(0, 4); // keep the highlight off the rows looked at
    g->selectionModel()->clearSelection();
    const QImage img = g->viewport()->grab().toImage();
    // The 16 x 16 mark sits 10 pixels right of the cell's left edge, level
    // with its top edge: count red and dark pixels there.
    auto count = [&](int nRow, auto pred) {
        const QRect rc = g->visualRect(w.Cell(4, nRow));
        int n = 0;
        for (int y = rc.top(); y < rc.top() + 16 && y <= rc.bottom(); ++y)
            for (int x = rc.left() + 10; x < rc.left() + 26; ++x)
                n += pred(img.pixelColor(x * img.width() / g->viewport()->width(),
                    y * img.height() / g->viewport()->height()));
        return n;
    };
    auto red = [](const QColor &c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; };
    auto dark = [](const QColor &c) { return c.red() < 80 && c.green() < 80 && c.blue() < 80; };
    const struct
    {
        int nRow;
        bool bRed, bDark;
        const char *pszWhy;
    } cases[] = {
        { 1, false, false, "voice note: blank" },
        { 2, true, false, "reported: red tick" },
        { 3, false, true, "not reported: black cross" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(count(c.nRow, red) > 5, c.bRed) << c.pszWhy;
        EXPECT_EQ(count(c.nRow, dark) > 5, c.bDark) << c.pszWhy;
    }
    // Nothing is drawn left of the mark's place.
    const QRect rc = g->visualRect(w.Cell(4, 2));
    int nLeft = 0;
    for (int x = rc.left() + 1; x < rc.left() + 9; ++x)
        nLeft += red(img.pixelColor(x, rc.top() + 8));
    EXPECT_EQ(nLeft, 0);
}

TEST(EventList, EachClickOnAReportCellInvertsAndSaves)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Click(4, 2);
    EXPECT_FALSE(w.Fs().aevt[1].bReport);
    EXPECT_EQ(w.Evtx(),
        QStringList(
            { "Event,Notes,Report", "08:59:30,,0", "09:00:08,,0", "09:01:00,,1", "09:02:00,,1" }));
    EXPECT_EQ(w.Grid()->MarkOf(2), 1);
    // A second, separate click on the same cell inverts and saves again.
    w.WaitPastDoubleClick();
    w.Click(4, 2);
    EXPECT_TRUE(w.Fs().aevt[1].bReport);
    EXPECT_EQ(w.Evtx().value(2), "09:00:08,,1");
    EXPECT_EQ(w.Grid()->MarkOf(2), 0);

    // A voice note's flag is inverted and saved too, though it shows no mark.
    w.WaitPastDoubleClick();
    w.Click(4, 1);
    EXPECT_TRUE(w.Fs().aevt[0].bReport);
    EXPECT_EQ(w.Evtx().value(1), "08:59:30,,1");
    EXPECT_EQ(w.Grid()->MarkOf(1), 2);

    // The saved flags come back with the day.
    ASSERT_TRUE(w.Load());
    EXPECT_TRUE(w.Fs().aevt[0].bReport);
    EXPECT_TRUE(w.Fs().aevt[1].bReport);
}

TEST(EventList, ArrowKeysMoveRowsWithoutInvertingFlags)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Click(4, 2); // inverts item 1 once
    ASSERT_FALSE(w.Fs().aevt[1].bReport);
    w.Key(Qt::Key_Down);
    w.Key(Qt::Key_Down);
    EXPECT_EQ(w.Grid()->Row(), 4);
    EXPECT_EQ(w.form->iEvtSel, 3);
    EXPECT_TRUE(w.Fs().aevt[2].bReport);
    EXPECT_TRUE(w.Fs().aevt[3].bReport);
    EXPECT_EQ(w.Evtx().value(3), "09:01:00,,1");
}

TEST(EventList, NoteTypedThenEnterIsSavedAndOpensTheNextRow)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Click(3, 2);
    EXPECT_TRUE(w.Grid()->NotesEditing());
    ASSERT_NE(w.Grid()->Editor(), nullptr);
    EXPECT_EQ(w.form->iEvtSel, 1);
    w.Type("Truck, \"loud\"");
    EXPECT_FALSE(w.EvtxExists()) << "typing alone saves nothing";
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Fs().aevt[1].sNotes, "Truck, \"loud\"");
    EXPECT_EQ(w.Evtx().value(2), "09:00:08,\"Truck, \"\"loud\"\"\",1");
    // The next row's note is open for editing.
    EXPECT_EQ(w.Grid()->Row(), 3);
    EXPECT_EQ(w.Grid()->Col(), 3);
    EXPECT_NE(w.Grid()->Editor(), nullptr);
    EXPECT_EQ(w.form->iEvtSel, 2);

    // Enter in the last row saves and stays there.
    w.Key(Qt::Key_Return); // row 4
    w.Type("dog");
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.Grid()->Row(), 4);
    EXPECT_NE(w.Grid()->Editor(), nullptr);
    EXPECT_EQ(w.Evtx().value(4), "09:02:00,dog,1");

    // Notes come back with the day.
    ASSERT_TRUE(w.Load());
    EXPECT_EQ(w.Grid()->CellText(1, 3), "Truck, \"loud\"");
    EXPECT_EQ(w.Grid()->CellText(3, 3), "dog");
}

TEST(EventList, LeavingTheGridCommitsTypedNotes)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Click(3, 3);
    w.Type("bus");
    EXPECT_FALSE(w.EvtxExists());
    w.form->btnMeterDetails->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Evtx().value(3), "09:01:00,bus,1");

    // Tab in the editor leaves the grid as well.
    w.Click(3, 4);
    w.Type("tram");
    w.Key(Qt::Key_Tab);
    EXPECT_FALSE(w.Grid()->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(w.Evtx().value(4), "09:02:00,tram,1");

    // So does closing the window.
    w.Click(3, 2);
    w.Type("van");
    w.form->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Evtx().value(2), "09:00:08,van,1");
}

TEST(EventList, NavigationKeysInTheNotesColumnCountAsAnEdit)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Click(3, 2);
    ASSERT_FALSE(w.EvtxExists());
    // Moving on to the next row commits, and the move itself was an edit: the
    // file is written with the unchanged notes.
    w.Key(Qt::Key_Down);
    EXPECT_EQ(w.Grid()->Row(), 3);
    EXPECT_NE(w.Grid()->Editor(), nullptr) << "the next note is open";
    EXPECT_EQ(w.Evtx(),
        QStringList(
            { "Event,Notes,Report", "08:59:30,,0", "09:00:08,,1", "09:01:00,,1", "09:02:00,,1" }));
}

TEST(EventList, ClickingOutsideTheNotesReturnsToWholeRows)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Click(3, 2);
    ASSERT_TRUE(w.Grid()->NotesEditing());
    w.Type("lorry");
    w.Click(0, 3);
    EXPECT_FALSE(w.Grid()->NotesEditing());
    EXPECT_EQ(w.Grid()->Editor(), nullptr);
    EXPECT_TRUE(w.Grid()->selectionModel()->isRowSelected(2, {}));
    EXPECT_EQ(w.form->iEvtSel, 2);
    // Showing another item committed the typed note.
    EXPECT_EQ(w.Evtx().value(2), "09:00:08,lorry,1");
}

TEST(EventList, ParameterSwitchChangesHeadingAndValuesAndKeepsTypedText)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    TGridEvents *g = w.Grid();
    const TFileSys630 &fs = w.Fs();
    ASSERT_EQ(Cfg->EvtParam(), "laeq");
    w.Click(3, 3);
    w.Type("typed");

    // The heading click on column 2 switches to LAFmax.
    w.ClickHeading(2);
    EXPECT_EQ(Cfg->EvtParam(), "lafmax");
    EXPECT_EQ(Heading(g, 2), "LAFmax dB");
    EXPECT_EQ(g->CellText(1, 2), " " + FormatLevel(fs.aevt[1].flLAFMax));
    EXPECT_NE(g->CellText(1, 2), " " + FormatLevel(fs.aevt[1].flLAeq));
    EXPECT_TRUE(w.form->menuEvtLAFmax->isChecked());
    EXPECT_FALSE(w.form->menuEvtLAeq->isChecked());
    // Back at row 1, through the normal selection.
    EXPECT_EQ(g->Row(), 1);
    EXPECT_EQ(w.form->iEvtSel, 0);
    EXPECT_FALSE(g->NotesEditing());
    // The note typed before the switch is neither lost nor replaced.
    EXPECT_EQ(g->CellText(2, 3), "typed");
    EXPECT_EQ(w.Evtx().value(3), "09:01:00,typed,1");

    // Other heading cells switch nothing.
    w.ClickHeading(0);
    w.ClickHeading(4);
    EXPECT_EQ(Cfg->EvtParam(), "lafmax");

    // Either menu item switches to the other value, the checked one too.
    w.form->menuEvtLAFmax->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(Cfg->EvtParam(), "laeq");
    EXPECT_EQ(Heading(g, 2), "LAeq dB");
    EXPECT_TRUE(w.form->menuEvtLAeq->isChecked());
    w.form->menuEvtLAFmax->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(Cfg->EvtParam(), "lafmax");
}

TEST(EventList, SelectionMovesTheMenusAndTheViews)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    const struct
    {
        int nRow;
        bool bCopyEvt, bChart, bPlayer;
        const char *pszWav;
    } cases[] = {
        { 2, true, true, true, "R001E001.WAV" },
        { 1, false, false, true, "R001NOTE.WAV" },
        { 4, true, true, false, "" },
        { 3, true, true, true, "R001E002.WAV" },
    };
    for (const auto &c : cases) {
        w.WaitPastDoubleClick();
        w.Click(0, c.nRow);
        EXPECT_EQ(w.form->iEvtSel, c.nRow - 1);
        EXPECT_EQ(w.form->menuCopyEvt->menuAction()->isEnabled(), c.bCopyEvt) << c.nRow;
        EXPECT_EQ(w.form->chartEvt->isVisibleTo(w.form.get()), c.bChart) << c.nRow;
        EXPECT_EQ(w.form->mplayer->isVisibleTo(w.form.get()), c.bPlayer) << c.nRow;
        if (c.bPlayer)
            EXPECT_EQ(w.form->mplayer->FileName(), w.Day() + c.pszWav);
    }
    // Reloading the day from another row returns to row 1 and selects it.
    ASSERT_TRUE(w.Load());
    EXPECT_EQ(w.Grid()->Row(), 1);
    EXPECT_EQ(w.form->iEvtSel, 0);
}

TEST(EventList, RecordingThatCannotBeOpenedHidesThePlayer)
{
    TEvtWindow w;
    WriteFile(w.Day() + "R001E001.WAV", "RIFF\x04\0\0\0WAVE"); // no chunks
    QFile::remove(w.Day() + "R001E002.WAV");
    ASSERT_TRUE(w.Load());
    for (int nRow : { 2, 3 }) {
        w.WaitPastDoubleClick();
        w.Click(0, nRow);
        EXPECT_FALSE(w.form->mplayer->isVisibleTo(w.form.get())) << nRow;
        EXPECT_FALSE(w.form->mplayer->IsOpen());
    }
}

TEST(EventList, DayWithoutTimeHistoryShowsNoLevelsAndNoChart)
{
    TRunFiles run = StandardRun();
    run.bProfile = false;
    TEvtWindow w({ { QStringLiteral("20160315"), run } });
    ASSERT_TRUE(w.Load());
    ASSERT_FALSE(w.Fs().HasProfile());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(w.Grid()->CellText(i, 2), QString()) << i;
    EXPECT_EQ(w.Grid()->CellText(1, 1), "6 s");
    for (int nRow : { 2, 3 }) {
        w.WaitPastDoubleClick();
        w.Click(0, nRow);
        EXPECT_FALSE(w.form->chartEvt->isVisibleTo(w.form.get()));
        EXPECT_TRUE(w.form->mplayer->isVisibleTo(w.form.get())) << "recordings still play";
    }
}

TEST(EventList, DayWithoutItemsShowsThePlaceholderInADisabledGrid)
{
    TRunFiles empty;
    empty.bVoiceNote = false;
    TEvtWindow w(
        { { QStringLiteral("20160315"), StandardRun() }, { QStringLiteral("20160316"), empty } });
    ASSERT_TRUE(w.Load(0));
    w.Click(0, 3);
    ASSERT_TRUE(w.Load(1));
    TGridEvents *g = w.Grid();
    EXPECT_EQ(g->rowCount(), 1);
    EXPECT_EQ(g->CellText(0, 0), "No events");
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(g->CellText(0, c), "---");
    EXPECT_EQ(g->MarkOf(1), 2);
    EXPECT_FALSE(g->isEnabled());
    EXPECT_FALSE(w.form->chartEvt->isVisibleTo(w.form.get()));
    EXPECT_FALSE(w.form->mplayer->isVisibleTo(w.form.get()));
    EXPECT_FALSE(w.form->mplayer->IsOpen());
    EXPECT_EQ(w.form->iEvtSel, -1);
    EXPECT_FALSE(w.form->menuEvtParam->menuAction()->isEnabled());
    EXPECT_FALSE(w.form->menuCopyEvt->menuAction()->isEnabled());

    // Back to a day with items: the grid works again from row 1, which was
    // current, so nothing is selected.
    ASSERT_TRUE(w.Load(0));
    EXPECT_TRUE(g->isEnabled());
    EXPECT_EQ(g->rowCount(), 4);
    EXPECT_EQ(w.form->iEvtSel, -1);
}

TEST(EventList, NotesTypedForOneDayAreSavedThereAndNeverReachAnother)
{
    TEvtWindow w({ { QStringLiteral("20160315"), StandardRun() },
        { QStringLiteral("20160316"), StandardRun() } });
    ASSERT_TRUE(w.Load(0));
    w.Click(3, 2);
    w.Type("first day");
    // The next day is loaded by the program while the note is still open
    // (as an export run does): the note is saved with its own day and not
    // written into the next one.
    ASSERT_TRUE(w.Load(1));
    EXPECT_TRUE(w.Evtx().value(2).contains(QStringLiteral("first day"))) << w.Evtx().join('|').toStdString();
    EXPECT_FALSE(w.EvtxExists(QStringLiteral("20160316")));
    EXPECT_EQ(w.Grid()->CellText(1, 3), QString());
}
