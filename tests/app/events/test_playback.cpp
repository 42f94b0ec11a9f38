// The event chart and playback of the real main window: the points and axis
// of the chart, the cursor bar that follows the playback, the chart click
// that seeks, the player buttons. The cursor logic runs first on the player
// without its backend (exact positions), then for real through Qt Multimedia
// into the sound server's null sink.
#include "dlvevtwindow.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <limits>

using namespace dlv;
using namespace dlv::test;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Pixel column a fraction of the way along the event chart's time axis.
QPoint AlongChart(TChartEvt *p, double flFraction)
{
    const QRect rc = p->axisRect()->rect();
    return QPoint(rc.left() + int(rc.width() * flFraction), rc.center().y());
}

} // namespace

// ---------------------------------------------------------------- the maths

TEST(EvtChartMaths, PointsSpanTheEventAndTheAxisFitsEveryLevel)
{
    std::vector<double> afl(100, NaN);
    for (int i = 10; i < 20; ++i)
        afl[i] = 50.0 + i;
    afl[12] = -1.0;
    afl[13] = std::numeric_limits<double>::infinity();
    afl[20] = 70.0;
    const struct
    {
        qint64 nStart, nDuration;
        int nPoints;
        bool bFit;
        double flMin, flMax;
        const char *pszWhy;
    } cases[] = {
        { 10, 4, 5, true, 60, 70, "d + 1 points, -1.0 and infinity are gaps" },
        { 16, 4, 5, true, 60, 80, "a loudest second of exactly 70 dB gives a top of 80" },
        { 10, 0, 1, false, 0, 0, "one point: the axis keeps its range" },
        { 30, 5, 6, false, 0, 0, "all missing: the axis keeps its range" },
        { 95, 20, 5, false, 0, 0, "never past the last slot" },
        { -3, 5, 6, false, 0, 0, "seconds before midnight are gaps" },
        { 10, -1, 0, false, 0, 0, "a negative duration has no points" },
        { std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), 0, false, 0, 0,
            "no overflow" },
    };
    for (const auto &c : cases) {
        const TEvtPlot plot = EventPlotPoints(afl.data(), 100, c.nStart, c.nDuration);
        EXPECT_EQ(plot.afl.size(), c.nPoints) << c.pszWhy;
        EXPECT_EQ(plot.bFit, c.bFit) << c.pszWhy;
        if (c.bFit) {
            EXPECT_EQ(plot.flAxisMin, c.flMin) << c.pszWhy;
            EXPECT_EQ(plot.flAxisMax, c.flMax) << c.pszWhy;
        }
    }
    const TEvtPlot plot = EventPlotPoints(afl.data(), 100, 10, 4);
    EXPECT_EQ(plot.afl[0], 60.0);
    EXPECT_TRUE(std::isnan(plot.afl[2]));
    EXPECT_TRUE(std::isnan(plot.afl[3]));
    // Every level counts for the fit, zero and below included.
    std::vector<double> aflLow = { 0.0, 3.5, -12.0 };
    const TEvtPlot low = EventPlotPoints(aflLow.data(), 3, 0, 2);
    EXPECT_TRUE(low.bFit);
    EXPECT_EQ(low.flAxisMin, -20.0);
    EXPECT_EQ(low.flAxisMax, 10.0);
}

TEST(EvtChartMaths, PlaybackPositionMapsOntoPointsInProportion)
{
    const struct
    {
        qint64 nPos;
        int nPoints;
        qint64 nLength;
        int nExpected;
    } cases[] = {
        { 0, 5, 2000, 0 },
        { 1000, 5, 2000, 2 },
        { 1199, 5, 2000, 2 },
        { 1200, 5, 2000, 3 },
        { 2000, 5, 2000, 4 },
        { 9999, 5, 2000, 4 },
        { -5, 5, 2000, 0 },
        { 500, 121, 1000, 60 },
        { 500, 0, 1000, -1 },
        { 500, 5, 0, -1 },
        // Positions of long recordings times many points overflow 32 bits.
        { 3'000'000'000LL, 86401, 4'000'000'000LL, 64800 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(CursorPoint(c.nPos, c.nPoints, c.nLength), c.nExpected)
            << c.nPos << " of " << c.nLength << " over " << c.nPoints;

    EXPECT_EQ(PointPosition(2000, 1, 5), 400);
    EXPECT_EQ(PointPosition(2000, -1, 5), 0);
    EXPECT_EQ(PointPosition(2000, 7, 5), 2000);
    EXPECT_EQ(PointPosition(4'000'000'000LL, 86400, 86401), 3'999'953'704LL);
    EXPECT_EQ(PointPosition(2000, 1, 0), 0);

    const struct
    {
        double flX;
        int n;
    } rounding[] = { { 0.5, 0 }, { 1.5, 2 }, { 2.5, 2 }, { 0.75, 1 }, { -0.4, 0 }, { 3.49, 3 } };
    for (const auto &r : rounding)
        EXPECT_EQ(NearestPoint(r.flX), r.n) << r.flX;
    EXPECT_EQ(NearestPoint(NaN), -1);

    EXPECT_EQ(TimeOfDayLabel(0), "00:00:00");
    EXPECT_EQ(TimeOfDayLabel(9 * 3600 + 61), "09:01:01");
    EXPECT_EQ(TimeOfDayLabel(86399), "23:59:59");
    EXPECT_EQ(TimeOfDayLabel(86400), "00:00:00");
}

TEST(EvtChartMaths, WavHeaderDecidesWhetherARecordingOpens)
{
    TTempHome home;
    auto wav = [](QByteArray abFmt, QByteArray abData, bool bFmtFirst = true) {
        QByteArray ab = "RIFF" + QByteArray(4, '\0') + "WAVE";
        QByteArray fmt = "fmt " + QByteArray::fromHex("10000000") + abFmt;
        QByteArray data = "data" + abData;
        ab += bFmtFirst ? fmt + data : data + fmt;
        return ab;
    };
    // PCM mono 8000 Hz 16 bit: 16000 bytes a second.
    const QByteArray pcm = QByteArray::fromHex("0100"
                                               "0100"
                                               "401f0000"
                                               "803e0000"
                                               "0200"
                                               "1000");
    const QByteArray zeroRate = QByteArray::fromHex("0100"
                                                    "0100"
                                                    "401f0000"
                                                    "00000000"
                                                    "0200"
                                                    "1000");
    const QByteArray body8000 = QByteArray::fromHex("401f0000") + QByteArray(8000, '\0');
    const struct
    {
        QByteArray ab;
        bool bValid;
        qint64 nMs;
        const char *pszWhy;
    } cases[] = {
        { wav(pcm, body8000), true, 500, "half a second" },
        { wav(pcm, QByteArray::fromHex("401f0000") + QByteArray(4000, '\0')), true, 250,
            "cut short: what is there" },
        { wav(pcm, body8000, false), false, 0, "data before format" },
        { wav(zeroRate, body8000), false, 0, "zero byte rate" },
        { wav(pcm, QByteArray()), false, 0, "no data chunk header" },
        { QByteArray("RIFF\0\0\0\0WAVE", 12), false, 0, "no chunks" },
        { QByteArray("RIFX\0\0\0\0WAVEfmt ", 16), false, 0, "not RIFF" },
        { QByteArray(), false, 0, "empty file" },
        { "RIFF" + QByteArray(4, '\0') + "WAVE" + "LIST" + QByteArray::fromHex("ffffff7f"), false,
            0, "chunk size beyond the file" },
    };
    for (const auto &c : cases) {
        const QString sPath = home.Path() + "/t.wav";
        ASSERT_TRUE(WriteFile(sPath, c.ab));
        const TWavInfo info = ReadWavInfo(sPath);
        EXPECT_EQ(info.bValid, c.bValid) << c.pszWhy;
        EXPECT_EQ(info.nLengthMs, c.nMs) << c.pszWhy;
    }
    EXPECT_FALSE(ReadWavInfo(home.Path() + "/missing.wav").bValid);
    // An odd-sized chunk before the format is padded to an even size.
    QByteArray odd = "RIFF" + QByteArray(4, '\0') + "WAVE" + "junk"
        + QByteArray::fromHex("03000000") + "abc" + QByteArray(1, '\0');
    odd += "fmt " + QByteArray::fromHex("10000000") + pcm + "data" + body8000;
    ASSERT_TRUE(WriteFile(home.Path() + "/odd.wav", odd));
    EXPECT_EQ(ReadWavInfo(home.Path() + "/odd.wav").nLengthMs, 500);
}

// ---------------------------------------------------------- the event chart

TEST(EventChart, PlotsTheSelectedEventsSecondsAsStairsWithGaps)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Click(0, 3); // 09:01:00, 4 s: five points, 09:01:02 has no level
    TChartEvt *p = w.form->chartEvt;
    ASSERT_TRUE(p->isVisibleTo(w.form.get()));
    QCPGraph *pLeq = p->LeqSeries();
    ASSERT_EQ(pLeq->dataCount(), 5);
    ASSERT_EQ(p->CursorSeries()->dataCount(), 5);
    double flMin = 999, flMax = 0;
    for (int j = 0; j < 5; ++j) {
        const int s = 9 * 3600 + 60 + j;
        EXPECT_EQ(pLeq->data()->at(j)->key, j);
        if (StdLevel(s) == 0.0) {
            EXPECT_TRUE(std::isnan(pLeq->data()->at(j)->value)) << j;
        } else {
            EXPECT_NEAR(pLeq->data()->at(j)->value, StdLevel(s), 0.01) << j;
            flMin = qMin(flMin, StdLevel(s));
            flMax = qMax(flMax, StdLevel(s));
        }
        EXPECT_EQ(p->CursorBar(j), 0.0);
    }
    EXPECT_EQ(pLeq->lineStyle(), QCPGraph::lsStepLeft);
    EXPECT_EQ(pLeq->pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(p->CursorSeries()->brush().color(), QColor(0, 0, 0, 130));
    EXPECT_EQ(p->yAxis->range().lower, std::floor(flMin / 10) * 10);
    EXPECT_EQ(p->yAxis->range().upper, std::floor((flMax + 10) / 10) * 10);
    EXPECT_EQ(p->yAxis->label(), "Leq dB(A)");
    EXPECT_EQ(p->xAxis->label(), "Time (HH:MM:SS)");
    EXPECT_FALSE(p->xAxis->grid()->visible());
    EXPECT_EQ(p->interactions(), QCP::Interactions());
    // The time axis is labelled with the points' own times.
    p->replot();
    EXPECT_TRUE(p->xAxis->tickVectorLabels().contains("09:01:00"));
    for (const QString &s : p->xAxis->tickVectorLabels())
        EXPECT_TRUE(s.isEmpty() || s.startsWith("09:01:0")) << s.toStdString();

    // An event whose levels are one value keeps the previous axis.
    const QCPRange rng = p->yAxis->range();
    w.Fs().aevt[3].nDuration = 0;
    w.form->PlotEvent(3, p);
    EXPECT_EQ(p->yAxis->range(), rng);
    EXPECT_EQ(pLeq->dataCount(), 1);
}

TEST(EventChart, CursorBarRisesFromTheBottomOverTheWholePlot)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    w.Click(0, 3);
    TChartEvt *p = w.form->chartEvt;
    p->SetCursorBar(2, p->yAxis->range().upper);
    const QImage img = p->toPixmap(p->width(), p->height(), 1.0).toImage();
    const QRect rc = p->axisRect()->rect();
    const int x = int(p->xAxis->coordToPixel(2.0));
    // Dark translucent grey over the light background, from the top of the
    // plot to its bottom; nothing at a point whose bar is 0.
    auto shaded = [&](int xx, int yy) { return img.pixelColor(xx, yy).lightness() < 180; };
    EXPECT_TRUE(shaded(x, rc.top() + 3));
    EXPECT_TRUE(shaded(x, rc.bottom() - 3));
    EXPECT_FALSE(shaded(int(p->xAxis->coordToPixel(0.0)), rc.top() + 3));
    EXPECT_GT(img.pixelColor(x, rc.top() + 3).lightness(), 40) << "translucent, not black";
}

// ----------------------------------- cursor logic (player without backend)

TEST(Playback, CursorFollowsThePositionAndPauseAndStopRewind)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    TMediaPlayer *pl = w.form->mplayer;
    w.Click(0, 3); // five points, a one-second recording
    ASSERT_TRUE(pl->IsOpen());
    ASSERT_EQ(pl->Length(), 1000);

    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    EXPECT_TRUE(w.form->timerWav->isActive());
    EXPECT_EQ(pl->Mode(), TMPModes::mpPlaying);
    QTRY_COMPARE(w.RaisedBar(), 0);
    const struct
    {
        qint64 nPos;
        int nBar;
    } steps[] = { { 500, 2 }, { 799, 3 }, { 1000, 4 }, { 250, 1 } };
    for (const auto &s : steps) {
        pl->SetPosition(s.nPos);
        QTRY_COMPARE(w.RaisedBar(), s.nBar);
        EXPECT_EQ(w.form->chartEvt->CursorBar(s.nBar), w.form->chartEvt->yAxis->range().upper);
    }

    // Pause: the bar goes and the recording rewinds before the pause.
    QTest::mouseClick(pl->btnPause, Qt::LeftButton);
    EXPECT_EQ(pl->Mode(), TMPModes::mpPaused);
    EXPECT_EQ(pl->Position(), 0);
    EXPECT_EQ(w.RaisedBar(), -1);
    QTRY_COMPARE(w.RaisedBar(), 0); // paused: the bar stands at the start

    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    pl->SetPosition(600);
    QTRY_COMPARE(w.RaisedBar(), 3);
    QTest::mouseClick(pl->btnStop, Qt::LeftButton);
    EXPECT_EQ(pl->Mode(), TMPModes::mpStopped);
    EXPECT_EQ(pl->Position(), 0);
    // Stopped: the next tick removes the bar and ends the timer.
    QTRY_VERIFY(!w.form->timerWav->isActive());
    EXPECT_EQ(w.RaisedBar(), -1);
}

TEST(Playback, VoiceNotesAndDaysWithoutLevelsPlayWithoutACursor)
{
    TRunFiles run = StandardRun();
    run.bProfile = false;
    TEvtWindow w(
        { { QStringLiteral("20160315"), StandardRun() }, { QStringLiteral("20160316"), run } });
    ASSERT_TRUE(w.Load(0));
    TMediaPlayer *pl = w.form->mplayer;
    w.Click(0, 1); // the voice note
    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    EXPECT_EQ(pl->Mode(), TMPModes::mpPlaying);
    EXPECT_FALSE(w.form->timerWav->isActive());
    pl->SetPosition(300);
    QTest::mouseClick(pl->btnPause, Qt::LeftButton);
    EXPECT_EQ(pl->Mode(), TMPModes::mpPaused);
    EXPECT_EQ(pl->Position(), 300) << "a voice note's pause does not rewind";

    ASSERT_TRUE(w.Load(1));
    w.WaitPastDoubleClick();
    w.Click(0, 3);
    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    EXPECT_EQ(pl->Mode(), TMPModes::mpPlaying);
    pl->SetPosition(500);
    QTest::qWait(250);
    EXPECT_EQ(w.RaisedBar(), -1);
}

TEST(Playback, DoubleClickPlaysTheSelectedItemFromItsStart)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    TMediaPlayer *pl = w.form->mplayer;
    TGridEvents *g = w.Grid();
    // Below the last row nothing is selected yet: nothing plays.
    const QPoint ptBelow(20, g->visualRect(w.Cell(0, 4)).bottom() + 12);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, ptBelow);
    EXPECT_EQ(w.form->iEvtSel, -1);
    EXPECT_EQ(pl->Mode(), TMPModes::mpStopped);
    EXPECT_FALSE(w.form->timerWav->isActive());

    w.WaitPastDoubleClick();
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, w.CellCenter(0, 3));
    EXPECT_EQ(w.form->iEvtSel, 2);
    EXPECT_EQ(pl->Mode(), TMPModes::mpPlaying);
    EXPECT_EQ(pl->Position(), 0);
    EXPECT_TRUE(w.form->timerWav->isActive());

    // An item without recording: nothing plays.
    w.WaitPastDoubleClick();
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, w.CellCenter(0, 4));
    EXPECT_EQ(w.form->iEvtSel, 3);
    EXPECT_EQ(pl->Mode(), TMPModes::mpNotReady);
}

TEST(Playback, ChartClickSeeksToThePointUnderTheMouse)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    TMediaPlayer *pl = w.form->mplayer;
    TChartEvt *p = w.form->chartEvt;
    w.Click(0, 3); // five points
    const struct
    {
        double flAlong;
        qint64 nPos;
    } clicks[] = { { 0.25, 200 }, { 0.5, 400 }, { 0.01, 0 }, { 0.99, 800 } };
    for (const auto &c : clicks) {
        QTest::mouseClick(p, Qt::LeftButton, {}, AlongChart(p, c.flAlong));
        EXPECT_EQ(pl->Position(), c.nPos) << c.flAlong;
        EXPECT_EQ(pl->Mode(), TMPModes::mpPlaying);
        EXPECT_TRUE(w.form->timerWav->isActive());
    }
    // An item without recording: a click does nothing.
    w.Click(0, 4);
    w.form->timerWav->stop();
    QTest::mouseClick(p, Qt::LeftButton, {}, AlongChart(p, 0.5));
    EXPECT_EQ(pl->Mode(), TMPModes::mpNotReady);
    EXPECT_FALSE(w.form->timerWav->isActive());
}

TEST(Playback, ShowingAnotherItemStopsThePlaybackAndItsBar)
{
    TEvtWindow w;
    ASSERT_TRUE(w.Load());
    TMediaPlayer *pl = w.form->mplayer;
    w.Click(0, 3);
    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    pl->SetPosition(500);
    QTRY_COMPARE(w.RaisedBar(), 2);
    w.WaitPastDoubleClick();
    w.Click(0, 2);
    EXPECT_EQ(pl->Mode(), TMPModes::mpStopped) << "the new recording is open, not playing";
    EXPECT_EQ(w.RaisedBar(), -1) << "the new chart has no bar";
    QTRY_VERIFY(!w.form->timerWav->isActive());
}

// -------------------------------------------------------------- real audio

namespace {

struct TTick
{
    qint64 nPos;
    int nBar;
    TMPModes mode;
    bool bTimer;
};

class RealAudio : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QMediaDevices::audioOutputs().isEmpty())
            GTEST_SKIP() << "no audio output device (run the tests through scripts/with-pulse.sh)";
        TRunFiles run = StandardRun();
        // Long enough that the sound server's start-up (the position stands
        // still, then catches up in one step) cannot skip the middle fifth.
        run.flWavSeconds = 6.0;
        w = std::make_unique<TEvtWindow>(
            std::vector<std::pair<QString, TRunFiles>> { { QStringLiteral("20160315"), run } });
        pl = w->form->mplayer;
        pl->SetBackendEnabled(true);
        ASSERT_TRUE(w->Load());
        w->Click(0, 3); // 09:01:00, five points
        ASSERT_TRUE(pl->IsOpen());
        QTRY_VERIFY_WITH_TIMEOUT(pl->Loaded() || !pl->IsOpen(), 15000);
        ASSERT_TRUE(pl->IsOpen()) << "the backend refused the recording";
        ASSERT_TRUE(pl->isVisibleTo(w->form.get()));
        nLength = pl->Length();
        ASSERT_NEAR(nLength, 6000, 50);
        // Runs after the window's own tick handler: what the cursor was just
        // given, and where it went.
        QObject::connect(w->form->timerWav, &QTimer::timeout, w->form.get(), [this] {
            aTicks.push_back(
                { pl->Position(), w->RaisedBar(), pl->Mode(), w->form->timerWav->isActive() });
        });
    }

    void TearDown() override
    {
        if (HasFailure())
            for (const TTick &t : aTicks)
                printf("tick %lld bar %d mode %d timer %d\n", t.nPos, t.nBar, int(t.mode),
                    int(t.bTimer));
        if (w)
            w->form->mplayer->Close();
        w.reset();
    }

    // How long a QTest::qWaitFor here waits for the sound server.
    static constexpr int kWaitMs = 20000;

    std::unique_ptr<TEvtWindow> w;
    TMediaPlayer *pl = nullptr;
    qint64 nLength = 0;
    std::vector<TTick> aTicks;
};

} // namespace

TEST_F(RealAudio, CursorCrossesTheEventAndLeavesWithinATickOfTheEnd)
{
    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pl->Mode() == TMPModes::mpPlaying; }, kWaitMs));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !aTicks.empty() && !aTicks.back().bTimer; }, kWaitMs))
        << "playback did not end";

    // While playing, every tick put the bar on the point of its position; the
    // middle point is where the bar stands at half the length.
    bool bMiddle = false;
    int nLastBar = -1;
    size_t iEnd = aTicks.size();
    for (size_t i = 0; i < aTicks.size(); ++i) {
        const TTick &t = aTicks[i];
        if (t.mode != TMPModes::mpPlaying) {
            iEnd = i;
            break;
        }
        EXPECT_EQ(t.nBar, CursorPoint(t.nPos, 5, nLength)) << "at " << t.nPos;
        EXPECT_GE(t.nBar, nLastBar) << "the bar only moves forward";
        nLastBar = t.nBar;
        if (t.nPos >= nLength / 2 && t.nPos < nLength * 3 / 5)
            bMiddle = bMiddle || t.nBar == 2;
    }
    EXPECT_TRUE(bMiddle) << "no tick between half the length and the end of the middle point";
    EXPECT_GE(nLastBar, 3) << "the bar reached the end part";
    // The first tick after the end removed the bar and stopped the timer.
    ASSERT_LT(iEnd, aTicks.size());
    EXPECT_EQ(aTicks[iEnd].nBar, -1);
    EXPECT_FALSE(aTicks[iEnd].bTimer);
    EXPECT_EQ(iEnd + 1, aTicks.size()) << "no tick after the timer stopped";
}

TEST_F(RealAudio, PauseAndStopRewindSoPlayStartsFromTheBeginning)
{
    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pl->Position() >= 300; }, kWaitMs));
    QTest::mouseClick(pl->btnPause, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pl->Mode() == TMPModes::mpPaused; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pl->Position() == 0; }, kWaitMs))
        << "paused at " << pl->Position();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->RaisedBar() == 0; }, kWaitMs))
        << "paused: the bar at the start";

    aTicks.clear();
    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !aTicks.empty() && aTicks.back().mode == TMPModes::mpPlaying; }, kWaitMs));
    EXPECT_LT(aTicks.back().nPos, 300 + 260) << "playing again from the start";
    ASSERT_TRUE(QTest::qWaitFor([&] { return pl->Position() >= 300; }, kWaitMs));

    QTest::mouseClick(pl->btnStop, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pl->Mode() == TMPModes::mpStopped; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pl->Position() == 0; }, kWaitMs))
        << "stopped at " << pl->Position();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->form->timerWav->isActive(); }, kWaitMs));
    EXPECT_EQ(w->RaisedBar(), -1);
    aTicks.clear();
    QTest::mouseClick(pl->btnPlay, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !aTicks.empty() && aTicks.back().mode == TMPModes::mpPlaying; }, kWaitMs));
    EXPECT_LT(aTicks.back().nPos, 300 + 260);
    QTest::mouseClick(pl->btnStop, Qt::LeftButton);
}

TEST_F(RealAudio, ClickAQuarterAlongPlaysFromOneFifthOfTheLength)
{
    TChartEvt *p = w->form->chartEvt;
    QTest::mouseClick(p, Qt::LeftButton, {}, AlongChart(p, 0.25));
    const qint64 nTarget = nLength * 1 / 5;
    EXPECT_EQ(pl->Position(), nTarget);
    EXPECT_TRUE(w->form->timerWav->isActive());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !aTicks.empty() && aTicks.back().mode == TMPModes::mpPlaying; }, kWaitMs));
    // Playback goes on from there, not from the start.
    ASSERT_TRUE(QTest::qWaitFor([&] { return pl->Position() > nTarget; }, kWaitMs));
    for (const TTick &t : aTicks) {
        if (t.mode == TMPModes::mpPlaying) {
            EXPECT_GE(t.nPos, nTarget - 20);
            EXPECT_GE(t.nBar, 1);
        }
    }
    QTest::mouseClick(pl->btnStop, Qt::LeftButton);
}
