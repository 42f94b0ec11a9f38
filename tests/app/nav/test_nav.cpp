// Meter and day navigation and the meter details panel, driven through the
// real main window over a temporary data folder.
#include "dlvcsv.h"
#include "dlvgridevents.h"
#include "dlvnavwindow.h"
#include "dlvutils.h"

#include <QGuiApplication>

using namespace dlv;
using namespace dlv::test;

namespace {

const QString kD1 = QStringLiteral("20160301");
const QString kD2 = QStringLiteral("20160315");
const QString kD3 = QStringLiteral("20160316");

QString Label(const QString &sFolder)
{
    return DayLabel(DirNameToDate(sFolder));
}

// A day with one event at 12:00:00 lasting 10 s.
TNavRun RunWithEvent()
{
    TNavRun run;
    run.aEvents = { { 12, 0, 0, 0, 0, 10, 0 } };
    return run;
}

void ExpectNoHourglass()
{
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the normal cursor must be back";
}

} // namespace

TEST(NavMeters, OneMeterHidesTheListAndItsLabelAndListsItsDays)
{
    TNavWindow w;
    w.WriteDay(kMeterA, kD2, { TNavRun {} });
    w.WriteDay(kMeterA, kD1, { TNavRun {} });
    w.WriteDay(kMeterA, QStringLiteral("20160230"), { TNavRun {} }); // not a calendar date
    w.Open();
    EXPECT_TRUE(w.form->comboMeters->isHidden());
    EXPECT_TRUE(w.form->lblTxtMeter->isHidden());
    EXPECT_EQ(w.form->comboMeters->currentText(), kMeterA) << "the single meter is still shown";
    EXPECT_EQ(Cfg->LastMeter(), kMeterA);
    // In folder-name order; the impossible date shows its folder name.
    EXPECT_EQ(w.DayTexts(), QStringList({ QStringLiteral("20160230"), Label(kD1), Label(kD2) }));
    EXPECT_EQ(*w.form->slMonths, QStringList({ QStringLiteral("20160230"), kD1, kD2 }));
    EXPECT_EQ(w.SelectedDay(), -1);
    EXPECT_FALSE(w.DayShown());

    ASSERT_TRUE(w.Load(0));
    EXPECT_EQ(w.form->panelPrfHead->text(), QStringLiteral("Time History - 20160230"));
}

TEST(NavMeters, TwoMetersStartOnTheLastMeterOrTheFirst)
{
    const struct
    {
        const char *why;
        QString sLast, sShown;
    } cases[] = {
        { "stored meter", kMeterB, kMeterB },
        { "nothing stored", QString(), kMeterA },
        { "stored meter folder gone", QStringLiteral("5555555"), kMeterA },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        TNavWindow w;
        w.WriteDay(kMeterA, kD1, { TNavRun {} });
        w.WriteDay(kMeterA, kD2, { TNavRun {} });
        w.WriteDay(kMeterB, kD3, { TNavRun {} });
        w.Open(c.sLast);
        EXPECT_FALSE(w.form->comboMeters->isHidden());
        EXPECT_FALSE(w.form->lblTxtMeter->isHidden());
        EXPECT_EQ(w.form->comboMeters->count(), 2);
        EXPECT_EQ(w.form->comboMeters->currentText(), c.sShown);
        EXPECT_EQ(Cfg->LastMeter(), c.sShown);
        EXPECT_EQ(w.DayTexts(),
            c.sShown == kMeterA ? QStringList({ Label(kD1), Label(kD2) })
                                : QStringList({ Label(kD3) }));
    }
}

TEST(NavMeters, EmptyDataFolder)
{
    TNavWindow w;
    w.Open(kMeterA);
    EXPECT_EQ(w.form->comboMeters->count(), 0);
    EXPECT_TRUE(w.form->comboMeters->isHidden());
    EXPECT_TRUE(w.form->lblTxtMeter->isHidden());
    EXPECT_EQ(Cfg->LastMeter(), QString());
    EXPECT_EQ(w.Days()->count(), 0);
    EXPECT_FALSE(w.Load(0)) << "no day to load";
    EXPECT_FALSE(w.DayShown());
}

TEST(NavMeters, PickingAnotherMeterHidesTheDayUntilOneIsChosen)
{
    TNavWindow w;
    w.WriteDay(kMeterA, kD1, { RunWithEvent() });
    w.WriteDay(kMeterA, kD2, { TNavRun {} });
    w.WriteDay(kMeterB, kD3, { TNavRun {} });
    w.Open(kMeterA);
    w.ClickDay(1);
    ASSERT_TRUE(w.DayShown());

    // Picking the meter that is already shown changes nothing.
    emit w.form->comboMeters->activated(w.form->comboMeters->currentIndex());
    EXPECT_TRUE(w.DayShown());
    EXPECT_EQ(w.SelectedDay(), 1);

    w.form->comboMeters->setFocus();
    QTest::keyClick(w.form->comboMeters, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.form->comboMeters->currentText(), kMeterB);
    EXPECT_EQ(Cfg->LastMeter(), kMeterB);
    EXPECT_EQ(w.DayTexts(), QStringList({ Label(kD3) }));
    EXPECT_EQ(w.SelectedDay(), -1);
    EXPECT_FALSE(w.DayShown());
    // The measurement keeps the day that was loaded; its commands stay on.
    EXPECT_EQ(w.Fs().Meter(), kMeterA);
    EXPECT_EQ(w.Fs().Date(), kD2);
    EXPECT_TRUE(w.form->menuitemPrint->isEnabled());

    w.ClickDay(0);
    EXPECT_TRUE(w.DayShown());
    EXPECT_EQ(w.Fs().Meter(), kMeterB);
    EXPECT_EQ(w.Fs().Date(), kD3);
}

TEST(NavDays, MouseAndKeyboardSelectionLoadTheDay)
{
    TNavWindow w;
    for (const QString &s : { kD1, kD2, kD3 })
        w.WriteDay(kMeterA, s, { TNavRun {} });
    w.Open();
    EXPECT_FALSE(w.form->menuitemPrint->isEnabled());

    w.ClickDay(1);
    EXPECT_TRUE(w.DayShown());
    EXPECT_FALSE(w.form->panelPrf->isHidden());
    EXPECT_EQ(w.SelectedDay(), 1);
    EXPECT_EQ(w.Fs().Date(), kD2);
    EXPECT_EQ(w.form->panelPrfHead->text(), QStringLiteral("Time History - ") + Label(kD2));
    EXPECT_TRUE(w.form->menuitemPrint->isEnabled());
    ExpectNoHourglass();

    QTest::keyClick(w.Days(), Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.SelectedDay(), 2);
    EXPECT_EQ(w.Fs().Date(), kD3);
    QTest::keyClick(w.Days(), Qt::Key_Home);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Fs().Date(), kD1);
    EXPECT_EQ(w.form->panelPrfHead->text(), QStringLiteral("Time History - ") + Label(kD1));
}

TEST(NavDays, ClickOnTheSelectedDayReadsItAgainFromDisk)
{
    TNavWindow w;
    w.WriteDay(kMeterA, kD1, { TNavRun {} });
    w.Open();
    w.ClickDay(0);
    ASSERT_EQ(w.Fs().EventCount(), 0);
    w.WriteDay(kMeterA, kD1, { RunWithEvent() });
    w.ClickDay(0);
    EXPECT_EQ(w.Fs().EventCount(), 1);
}

TEST(NavDays, DayWithoutTimeHistoryHidesTheChartArea)
{
    TNavWindow w;
    TNavRun run = RunWithEvent();
    run.bProfile = false;
    w.WriteDay(kMeterA, kD1, { run });
    w.Open();
    ASSERT_TRUE(w.Load(0));
    EXPECT_TRUE(w.DayShown());
    EXPECT_TRUE(w.form->panelPrf->isHidden());
}

TEST(NavDays, FailedHeaderLoadKeepsTheViewAndSelectsTheNewRow)
{
    TNavWindow w;
    w.WriteDay(kMeterA, kD1, { RunWithEvent() });
    w.WriteEmptyDay(kMeterA, kD2); // no run header
    w.Open();

    // Nothing shown yet: nothing to keep but the selection.
    EXPECT_FALSE(w.Load(1));
    EXPECT_FALSE(w.DayShown());
    EXPECT_EQ(w.SelectedDay(), 1);
    ExpectNoHourglass();

    w.ClickDay(0);
    ASSERT_TRUE(w.DayShown());
    const QString sHead = w.form->panelPrfHead->text();
    w.ClickDay(1);
    EXPECT_TRUE(w.DayShown());
    EXPECT_EQ(w.SelectedDay(), 1);
    EXPECT_EQ(w.form->panelPrfHead->text(), sHead);
    EXPECT_EQ(w.form->iEvtSel, -1);
    EXPECT_TRUE(w.form->menuitemPrint->isEnabled());
    ExpectNoHourglass();
    // The measurement stays on the day the view shows, so an edit made in the
    // view is saved with that day, never into the other day's folder.
    EXPECT_EQ(w.Fs().Date(), kD1);
    EXPECT_EQ(w.Fs().EventCount(), 1);
    EXPECT_FALSE(w.Fs().BinFiles().empty());
    w.Fs().aevt[0].sNotes = QStringLiteral("kept with its day");
    ASSERT_TRUE(w.Fs().SaveEvtNotes());
    EXPECT_TRUE(QFileInfo::exists(w.Day(kMeterA, kD1) + "evtx.csv"));
    EXPECT_FALSE(QFileInfo::exists(w.Day(kMeterA, kD2) + "evtx.csv"));
    // A rate change now rebuilds the shown day under its own heading.
    w.form->menuTH1h->trigger();
    EXPECT_EQ(w.form->panelPrfHead->text(), sHead);
}

TEST(NavDays, ErrorInALoadingStepIsShownAndNoStaleDayStaysOnScreen)
{
    const struct
    {
        const char *why;
        std::function<void(TNavWindow &)> fnSpoil;
    } cases[] = {
        { "event time stamp not BCD",
            [](TNavWindow &w) {
                QByteArray ab = EvtFileBytes(0, { { 12, 0, 0, 0, 0, 5, 0 } });
                ab[32] = char(0x1A); // hour of the first record
                ASSERT_TRUE(WriteFile(w.Day(kMeterA, kD2) + "R001.EVT", ab));
            } },
        { "calibration date not a date",
            [](TNavWindow &w) {
                TBinFile bin = MakeRunHeader(
                    1, kMeterA, QStringLiteral("632A"), QDateTime(QDate(2016, 3, 15), QTime(8, 0)));
                SetCalibration(bin, false, QDateTime(QDate(2016, 3, 15), QTime(7, 0)));
                bin.abyPreCalDate[1] = 0x13; // month 13
                ASSERT_TRUE(WriteBinFile(w.Day(kMeterA, kD2) + "R001.BIN", bin));
            } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        TNavWindow w;
        w.WriteDay(kMeterA, kD1, { RunWithEvent() });
        w.WriteDay(kMeterA, kD2, { TNavRun {} });
        c.fnSpoil(w);
        w.Open();
        w.ClickDay(0);
        ASSERT_TRUE(w.DayShown());
        TExpectMessages msgs;
        w.ClickDay(1);
        ASSERT_EQ(msgs.slMessages.size(), 1);
        EXPECT_FALSE(msgs.slMessages.first().isEmpty());
        EXPECT_FALSE(w.DayShown());
        EXPECT_EQ(w.SelectedDay(), -1);
        ExpectNoHourglass();
        EXPECT_FALSE(w.Load(1));
        EXPECT_EQ(msgs.slMessages.size(), 2);
        // The next good day shows as usual.
        EXPECT_TRUE(w.Load(0));
        EXPECT_TRUE(w.DayShown());
    }
}

TEST(NavDays, ReloadOfTheLoadedDayReturnsToItsFirstState)
{
    TNavWindow w;
    TNavRun run = RunWithEvent();
    run.aEvents.push_back({ 13, 0, 0, 0, 0, 20, 0 });
    w.WriteDay(kMeterA, kD1, { run });
    w.Open();
    ASSERT_TRUE(w.Load(0));
    const QCPRange rgTime = w.TimeRange();
    const QCPRange rgLevel = w.LevelRange();
    w.DragChart(140, 170);
    ASSERT_TRUE(w.ZoomOutShown());
    w.form->gridEvents->MoveTo(0, 2);
    QCoreApplication::processEvents();
    ASSERT_EQ(w.form->iEvtSel, 1);

    ASSERT_TRUE(w.Load(0));
    EXPECT_FALSE(w.ZoomOutShown());
    EXPECT_FALSE(w.Chart()->IsZoomed());
    EXPECT_EQ(w.TimeRange(), rgTime);
    EXPECT_EQ(w.LevelRange(), rgLevel);
    EXPECT_EQ(w.form->gridEvents->Row(), 1);
}

TEST(NavDays, RefilledListKeepsTheLoadedDayAndItsHeading)
{
    TNavWindow w;
    w.WriteDay(kMeterA, kD1, { TNavRun {} });
    w.WriteDay(kMeterA, kD2, { TNavRun {} });
    w.Open();
    ASSERT_TRUE(w.Load(1));
    w.form->ShowFolders();
    EXPECT_FALSE(w.DayShown());
    EXPECT_EQ(w.SelectedDay(), -1);
    EXPECT_EQ(w.Fs().Date(), kD2);
    EXPECT_TRUE(w.form->menuTHRate->menuAction()->isEnabled());
    // No row names a day now: the heading names the loaded day.
    w.form->menuTH15m->trigger();
    EXPECT_EQ(w.form->panelPrfHead->text(), QStringLiteral("Time History - ") + Label(kD2));
}

TEST(MeterDetails, LinesOfTheLoadedDay)
{
    TNavWindow w;
    const QDateTime dtCal1(QDate(2016, 3, 1), QTime(7, 55, 0));
    const QDateTime dtCal2(QDate(2016, 3, 1), QTime(12, 30, 5));
    TNavRun run1, run2;
    run1.aPreCal = { dtCal1 };
    run2.nRun = 2;
    run2.tStart = QTime(12, 30, 0);
    run2.nFrom = 12 * 3600 + 1800;
    run2.aPreCal = { dtCal2 };
    TNavRun run3 = run2; // the same check recorded twice is listed once
    run3.nRun = 3;
    w.WriteDay(kMeterA, kD1, { run1, run2, run3 });
    w.WriteDay(kMeterA, kD2, { TNavRun {} });
    w.Open();
    EXPECT_TRUE(w.form->panelMeter->isHidden()) << "hidden until toggled";

    auto lines = [&w] {
        QStringList sl;
        for (int i = 0; i < w.form->listMeterDetails->count(); ++i)
            sl << w.form->listMeterDetails->item(i)->text();
        return sl;
    };
    ASSERT_TRUE(w.Load(0));
    const auto label = [](const QDateTime &dt) {
        return DayTimeLabel(EncodeDateTime(dt.date().year(), dt.date().month(), dt.date().day(),
            dt.time().hour(), dt.time().minute(), dt.time().second()));
    };
    EXPECT_EQ(lines(),
        QStringList({ "Model\tZEV632A", "Serial #\t" + kMeterA, "",
            "Calibration Checks:", "  " + label(dtCal2), "  " + label(dtCal1) }));
    ASSERT_TRUE(w.Load(1));
    EXPECT_EQ(lines(),
        QStringList({ "Model\tZEV632A", "Serial #\t" + kMeterA, "", "Calibration Checks:" }));
}

TEST(MeterDetails, ButtonAndMenuItemToggleThePanelTogether)
{
    TNavWindow w;
    w.WriteDay(kMeterA, kD1, { TNavRun {} });
    w.WriteDay(kMeterA, kD2, { TNavRun {} });
    w.Open();
    EXPECT_FALSE(w.form->menuSLMDetails->isEnabled()) << "needs a loaded day";
    ASSERT_TRUE(w.Load(0));
    EXPECT_TRUE(w.form->menuSLMDetails->isEnabled());

    auto expectShown = [&w](bool b) {
        EXPECT_EQ(!w.form->panelMeter->isHidden(), b);
        EXPECT_EQ(w.form->btnMeterDetails->isChecked(), b);
        EXPECT_EQ(w.form->menuSLMDetails->isChecked(), b);
    };
    QTest::mouseClick(w.form->btnMeterDetails, Qt::LeftButton);
    expectShown(true);
    w.form->menuSLMDetails->trigger();
    expectShown(false);
    w.form->menuSLMDetails->trigger();
    expectShown(true);
    // Neither another day nor a refilled list resets it.
    ASSERT_TRUE(w.Load(1));
    w.form->ShowFolders();
    ASSERT_TRUE(w.Load(0));
    expectShown(true);
    QTest::mouseClick(w.form->btnMeterDetails, Qt::LeftButton);
    expectShown(false);
}
