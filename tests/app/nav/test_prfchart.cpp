// The time-history chart in the real main window: what a day load builds,
// the axis ranges, zoom and its undo, the rate items, the event markers in
// every kind of rendering and the time labels.
#include "dlvnavwindow.h"
#include "dlvprofile.h"
#include "dlvutils.h"

#include <QActionGroup>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <set>

using namespace dlv;
using namespace dlv::test;

namespace {

const QString kDay = QStringLiteral("20160315");

// Levels constant per hour (so every period keeps them exactly): hour 8
// 32.4 dB, hour 9 78.9 dB, hour 12 62 dB, hour 13 48 dB, otherwise 55 dB, from
// 08:00:00 to 16:59:59, with no record from 10:00:00 to 10:29:59.
double HourLevel(int s)
{
    if (s >= 10 * 3600 && s < 10 * 3600 + 1800)
        return std::numeric_limits<double>::quiet_NaN();
    switch (s / 3600) {
    case 8:
        return 32.4;
    case 9:
        return 78.9;
    case 12:
        return 62.0;
    case 13:
        return 48.0;
    default:
        return 55.0;
    }
}

TNavRun HourRun()
{
    TNavRun run;
    run.fnLevel = HourLevel;
    return run;
}

// Opens the window on one day at a rate and loads it.
void OpenDay(TNavWindow &w, const std::vector<TNavRun> &aRuns, int nRate = 300)
{
    w.WriteDay(kMeterA, kDay, aRuns);
    w.Open(QString(), nRate);
    ASSERT_TRUE(w.Load(0));
}

} // namespace

TEST(PrfChart, FixedAppearance)
{
    TNavWindow w;
    w.Open();
    TChartPrf *p = w.Chart();
    EXPECT_EQ(p->yAxis->range(), QCPRange(20, 120)) << "before the first day";
    EXPECT_EQ(p->yAxis->label(), QStringLiteral("Leq dB(A)"));
    EXPECT_EQ(p->xAxis->label(), QStringLiteral("Time (HH:MM:SS)"));
    EXPECT_FALSE(p->xAxis->grid()->visible());
    EXPECT_FALSE(p->legend->visible());
    auto pTicker = p->yAxis->ticker().dynamicCast<QCPAxisTickerFixed>();
    ASSERT_TRUE(pTicker);
    EXPECT_EQ(pTicker->tickStep(), 10.0);
    EXPECT_EQ(p->toPixmap(400, 300).toImage().pixelColor(1, 1), QColor(240, 240, 240));
    ASSERT_EQ(p->graphCount(), 1);
    EXPECT_EQ(p->Series()->name(), QStringLiteral("Leq"));
    EXPECT_EQ(p->Series()->pen().color(), QColor(68, 102, 163));
    EXPECT_EQ(p->Series()->lineStyle(), QCPGraph::lsStepLeft);
    EXPECT_TRUE(p->Series()->adaptiveSampling());
    // Zoom by a rectangle only: no dragging or wheel zoom of the ranges.
    EXPECT_EQ(p->selectionRectMode(), QCP::srmZoom);
    EXPECT_EQ(p->interactions(), QCP::Interactions());
}

TEST(PrfChart, PointsAndGapsAtEveryRate)
{
    const struct
    {
        int nRate, nPoints, nGapFirst, nGapLast;
    } cases[] = {
        { 1, 86400, 36000, 37799 },
        { 300, 288, 120, 125 },
        { 900, 96, 40, 41 },
        { 3600, 24, -1, -1 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.nRate);
        TNavWindow w;
        OpenDay(w, { HourRun() }, c.nRate);
        const auto pData = w.Chart()->Series()->data();
        // One point per period, then the gap that ends the last step.
        ASSERT_EQ(pData->size(), c.nPoints + 1);
        for (int k : { 0, c.nPoints / 3, c.nPoints - 1, c.nPoints })
            EXPECT_EQ(pData->at(k)->key, double(k));
        EXPECT_TRUE(std::isnan(pData->at(c.nPoints)->value));
        EXPECT_TRUE(std::isnan(pData->at(0)->value)) << "before 08:00 nothing was measured";
        const int k9 = 9 * 3600 / c.nRate;
        EXPECT_EQ(pData->at(k9)->value, 78.9);
        if (c.nGapFirst >= 0) {
            EXPECT_FALSE(std::isnan(pData->at(c.nGapFirst - 1)->value));
            EXPECT_TRUE(std::isnan(pData->at(c.nGapFirst)->value));
            EXPECT_TRUE(std::isnan(pData->at(c.nGapLast)->value));
            EXPECT_FALSE(std::isnan(pData->at(c.nGapLast + 1)->value));
        } else {
            // The hour of the gap averages its measured half.
            EXPECT_EQ(pData->at(10)->value, 55.0);
        }
    }
}

TEST(PrfChart, OneSecondChartDrawsEveryColumnWithAValue)
{
    // Alternately 40 and 70 dB, so that every pixel column shows a bar from
    // 40 to 70 dB; a second without record every 97 s (missing seconds fall
    // on every place of a column, its first second too); no record at all
    // from 10:00:00 to 10:29:59.
    TNavWindow w;
    TNavRun run;
    run.fnLevel = [](int s) {
        const bool bGap = s % 97 == 0 || (s >= 10 * 3600 && s < 10 * 3600 + 1800);
        return bGap ? std::numeric_limits<double>::quiet_NaN() : (s % 2 ? 70.0 : 40.0);
    };
    OpenDay(w, { run }, 1);
    TChartPrf *p = w.Chart();
    const QImage img = p->toPixmap(p->width(), p->height()).toImage();
    auto drawn = [&](int x, double flLevel) {
        return img.pixelColor(x, int(std::lround(p->yAxis->coordToPixel(flLevel))))
            == TChartPrf::LineColor();
    };
    auto px = [p](int s) { return int(std::lround(p->xAxis->coordToPixel(s))); };
    int nColumns = 0;
    for (int x = px(28801) + 1; x < px(61200) - 1; ++x) {
        const int s = int(p->xAxis->pixelToCoord(x));
        if (s >= 10 * 3600 - 200 && s < 10 * 3600 + 1800 + 200)
            continue;
        EXPECT_TRUE(drawn(x, 45.0) && drawn(x, 65.0)) << "column " << x << " at second " << s;
        ++nColumns;
    }
    EXPECT_GT(nColumns, 500);
    for (int x = px(36000 + 200); x < px(36000 + 1600); ++x)
        EXPECT_FALSE(drawn(x, 45.0) || drawn(x, 65.0)) << "inside the gap, column " << x;
}

TEST(PrfChart, EachLevelKeepsOnePixelRow)
{
    // Two hours whose levels lie less than a pixel apart: the second hour's
    // stroke stays on one row over its whole width, wherever in its pixel
    // the level falls.
    TChartPrf chart;
    chart.resize(743, 250);
    for (double flFrac : { 0.1, 0.26, 0.5, 0.74, 0.9 }) {
        for (double flDelta : { 0.3, 0.45, 0.7 }) {
            SCOPED_TRACE(testing::Message() << flFrac << " " << flDelta);
            std::span<double> afl = chart.LevelBuffer(24);
            std::fill(afl.begin(), afl.end(), 55.0);
            chart.ShowLevels(3600);
            chart.xAxis->setRange(10.03, 16.8);
            chart.yAxis->setRange(50, 70);
            (void)chart.toPixmap(743, 250); // lays the chart out
            const double flY12 = std::floor(chart.yAxis->coordToPixel(58.0)) + flFrac;
            afl = chart.LevelBuffer(24);
            std::fill(afl.begin(), afl.end(), 55.0);
            afl[12] = chart.yAxis->pixelToCoord(flY12);
            afl[11] = chart.yAxis->pixelToCoord(flY12 - flDelta);
            chart.ShowLevels(3600);
            chart.yAxis->setRange(50, 70);
            const QImage img = chart.toPixmap(743, 250).toImage();
            const int x12 = int(chart.xAxis->coordToPixel(12)),
                      x13 = int(chart.xAxis->coordToPixel(13));
            std::set<int> rows;
            for (int x = x12 + 2; x < x13 - 2; ++x)
                for (int y = 0; y < img.height(); ++y)
                    if (img.pixelColor(x, y) == TChartPrf::LineColor())
                        rows.insert(y);
            EXPECT_EQ(rows, std::set<int> { int(std::floor(flY12)) });
        }
    }
}

TEST(PrfChart, AxisRangesAfterALoad)
{
    const auto flat = [](int) { return 55.0; };
    const auto top80 = [](int s) { return s / 3600 == 9 ? 80.0 : 41.0; };
    const auto single = [](int s) { return s == 12 * 3600 ? 66.0 : std::nan(""); };
    const struct
    {
        const char *why;
        std::function<double(int)> fnLevel;
        QCPRange rgTime, rgLevel;
    } cases[] = {
        { "32.4 to 78.9 dB from 08:00", HourLevel, { 97, 204 }, { 30, 80 } },
        { "largest exactly 80 dB", top80, { 97, 204 }, { 40, 90 } },
        { "flat day keeps the initial range", flat, { 97, 204 }, { 20, 120 } },
        { "one period with a value", single, { 144, 145 }, { 20, 120 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        TNavWindow w;
        TNavRun run;
        run.fnLevel = c.fnLevel;
        OpenDay(w, { run });
        EXPECT_EQ(w.TimeRange(), c.rgTime);
        EXPECT_EQ(w.LevelRange(), c.rgLevel);
    }

    // A flat day after another keeps that day's level range.
    TNavWindow w;
    w.WriteDay(kMeterA, QStringLiteral("20160314"), { HourRun() });
    TNavRun run;
    run.fnLevel = flat;
    run.nFrom = 6 * 3600;
    w.WriteDay(kMeterA, kDay, { run });
    w.Open();
    ASSERT_TRUE(w.Load(0));
    ASSERT_TRUE(w.Load(1));
    EXPECT_EQ(w.LevelRange(), QCPRange(30, 80));
    EXPECT_EQ(w.TimeRange(), QCPRange(73, 204));
}

TEST(PrfChart, DayWithoutAnyLevelShowsTheWholeDay)
{
    TNavWindow w;
    TNavRun run;
    run.bProfile = false;
    OpenDay(w, { run }, 900);
    EXPECT_EQ(w.TimeRange(), QCPRange(0, 96));
    EXPECT_EQ(w.LevelRange(), QCPRange(20, 120));
}

TEST(PrfChart, ZoomFitsTheLevelAxisAndUndoReturnsToTheFirstRanges)
{
    TNavWindow w;
    OpenDay(w, { HourRun() });
    const QCPRange rgTime0 = w.TimeRange(), rgLevel0 = w.LevelRange();
    EXPECT_FALSE(w.ZoomOutShown());

    // 12:10 to 13:20: levels 62 and 48 dB.
    w.DragChart(146, 160);
    EXPECT_TRUE(w.ZoomOutShown());
    EXPECT_TRUE(w.Chart()->IsZoomed());
    EXPECT_NEAR(w.TimeRange().lower, 146, 0.5);
    EXPECT_NEAR(w.TimeRange().upper, 160, 0.5);
    EXPECT_EQ(w.LevelRange(), QCPRange(40, 70));
    // Zooming again while zoomed does not change what an undo returns to.
    w.DragChart(150, 155);
    EXPECT_NEAR(w.TimeRange().lower, 150, 0.5);
    EXPECT_EQ(w.LevelRange(), QCPRange(40, 70)) << "one level: the axis keeps its range";
    QTest::mouseClick(w.form->btnZoomOut, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.ZoomOutShown());
    EXPECT_EQ(w.TimeRange(), rgTime0);
    EXPECT_EQ(w.LevelRange(), rgLevel0);

    // The chart's own un-zoom gestures: a double click, and a rectangle drawn
    // from right to left.
    const QPoint ptMid = w.Chart()->axisRect()->rect().center();
    w.DragChart(100, 130);
    ASSERT_TRUE(w.ZoomOutShown());
    QTest::mouseDClick(w.Chart(), Qt::LeftButton, {}, ptMid);
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.ZoomOutShown());
    EXPECT_EQ(w.TimeRange(), rgTime0);
    w.DragChart(100, 130);
    ASSERT_TRUE(w.ZoomOutShown());
    w.DragChart(120, 110);
    EXPECT_FALSE(w.ZoomOutShown());
    EXPECT_EQ(w.TimeRange(), rgTime0);
    EXPECT_EQ(w.LevelRange(), rgLevel0);

    // A click without a drag zooms nothing.
    const QPoint pt = w.Chart()->axisRect()->rect().center();
    QTest::mouseClick(w.Chart(), Qt::LeftButton, {}, pt);
    EXPECT_FALSE(w.Chart()->IsZoomed());
    EXPECT_EQ(w.TimeRange(), rgTime0);
}

TEST(PrfChart, ZoomStartingLeftOfThePointsKeepsTheLevelAxis)
{
    TNavWindow w;
    OpenDay(w, { HourRun() });
    const QCPRange rgLevel0 = w.LevelRange();
    w.Chart()->ZoomTime(-5.0, 140.0);
    EXPECT_EQ(w.LevelRange(), rgLevel0);
    EXPECT_TRUE(w.ZoomOutShown());
}

TEST(PrfChart, RateItemsRebuildAndStoreTheRate)
{
    TNavWindow w;
    OpenDay(w, { HourRun() });
    EXPECT_TRUE(w.form->menuTH5m->isChecked());
    w.DragChart(146, 160);
    ASSERT_TRUE(w.ZoomOutShown());

    const struct
    {
        QAction *pItem;
        int nRate;
        QCPRange rgTime;
    } cases[] = {
        { w.form->menuTH1h, 3600, { 9, 17 } },
        { w.form->menuTH15m, 900, { 33, 68 } },
        { w.form->menuTH1s, 1, { 28801, 61200 } },
        { w.form->menuTH5m, 300, { 97, 204 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.nRate);
        c.pItem->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(c.pItem->data().toInt(), c.nRate);
        EXPECT_TRUE(c.pItem->isChecked());
        EXPECT_EQ(w.form->groupTHRate->checkedAction(), c.pItem);
        EXPECT_EQ(Cfg->PrfPeriod(), c.nRate);
        EXPECT_EQ(w.Chart()->Series()->data()->size(), 86400 / c.nRate + 1);
        // Changing the rate while zoomed shows the whole day again.
        EXPECT_FALSE(w.Chart()->IsZoomed());
        EXPECT_FALSE(w.ZoomOutShown());
        EXPECT_EQ(w.TimeRange(), c.rgTime);
        EXPECT_EQ(w.LevelRange(), QCPRange(30, 80));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        w.DragChart(c.rgTime.lower + 1, c.rgTime.upper - 1);
    }
}

TEST(PrfChart, UnknownStoredRateBuildsOneSecond)
{
    TNavWindow w;
    OpenDay(w, { HourRun() }, 42);
    EXPECT_EQ(w.form->groupTHRate->checkedAction(), nullptr);
    EXPECT_EQ(w.Chart()->Series()->data()->size(), 86401);
}

namespace {

// The day of the marker tests at 5 minutes: a voice note at 10:00:00 (run 2
// starts then), events at 12:00:00 for one hour, at 14:00:00 lasting 0 s and
// at 03:00:00 (before the data: outside the time axis).
struct TMarkerDay
{
    TNavWindow w;
    TMarkerDay()
    {
        TNavRun run1 = HourRun();
        run1.aEvents
            = { { 12, 0, 0, 1, 0, 0, 0 }, { 14, 0, 0, 0, 0, 0, 0 }, { 3, 0, 0, 0, 0, 10, 0 } };
        TNavRun run2;
        run2.nRun = 2;
        run2.tStart = QTime(10, 0, 0);
        run2.bProfile = false;
        run2.bVoiceNote = true;
        OpenDay(w, { run1, run2 });
    }
};

// Expected rectangle of marker i from the rules: the pixel columns of the
// period's start and end, at least 4 pixels, clipped to the axis, rows y0 - 4
// to y0 + 5 around the axis's bottom.
QRect ExpectedRect(const TChartPrf *p, int nStartSec, int nDur)
{
    const int nRate = p->Rate();
    const double x0 = nStartSec / nRate;
    const double xw = std::max(nDur / nRate, 1);
    auto px = [p](double x) { return int(std::floor(p->xAxis->coordToPixel(x))); };
    int nLeft = px(x0), nRight = px(x0 + xw);
    if (nRight - nLeft < 4)
        nRight = nLeft + 4;
    nLeft = std::max(nLeft, px(p->xAxis->range().lower));
    nRight = std::min(nRight, px(p->xAxis->range().upper));
    const int y0 = int(std::floor(p->yAxis->coordToPixel(p->yAxis->range().lower)));
    return QRect(QPoint(nLeft, y0 - 4), QPoint(nRight - 1, y0 + 5));
}

// Every pixel of rc has the colour, and the pixels just outside it do not.
void ExpectFilled(const QImage &img, const QRect &rc, const QColor &color)
{
    ASSERT_FALSE(rc.isEmpty());
    for (const QPoint &pt :
        { rc.topLeft(), rc.topRight(), rc.bottomLeft(), rc.bottomRight(), rc.center() })
        EXPECT_EQ(img.pixelColor(pt), color) << pt.x() << "," << pt.y();
    for (const QPoint &pt : { rc.topLeft() + QPoint(-1, 0), rc.topRight() + QPoint(1, 0),
             rc.topLeft() + QPoint(0, -1), rc.bottomLeft() + QPoint(0, 1) })
        EXPECT_NE(img.pixelColor(pt), color) << pt.x() << "," << pt.y();
}

} // namespace

TEST(PrfChart, MarkersAtTheirPixelsOnScreenBitmapAndPrinter)
{
    TMarkerDay day;
    TNavWindow &w = day.w;
    TChartPrf *p = w.Chart();
    ASSERT_EQ(w.Fs().EventCount(), 4); // R001's events, then R002's voice note
    const int aStart[] = { 12 * 3600, 14 * 3600, 3 * 3600, 10 * 3600 };
    const int aDur[] = { 3600, 0, 10, 0 };

    w.form->iEvtSel = 1;
    w.form->ShowPrfMarkers();
    const QSize sz = p->size();
    const QImage imgBitmap = p->toPixmap(sz.width(), sz.height()).toImage();
    QImage imgPrinter(sz, QImage::Format_RGB32);
    imgPrinter.fill(Qt::white);
    {
        QCPPainter painter(&imgPrinter);
        p->toPainter(&painter, sz.width(), sz.height());
    }
    p->replot();
    const QImage imgScreen = p->grab().toImage();
    ASSERT_EQ(imgScreen.size(), sz);
    const QImage *const apImg[] = { &imgBitmap, &imgPrinter, &imgScreen };
    for (const QImage *pImg : apImg) {
        for (int i : { 0, 1, 3 }) {
            SCOPED_TRACE(i);
            const QColor color
                = i == 1 ? TChartPrf::SelectedMarkerColor() : TChartPrf::MarkerColor();
            const QRect rc = ExpectedRect(p, aStart[i], aDur[i]);
            ExpectFilled(*pImg, rc, color);
            const TMarkerRect mr = p->MarkerRect(i);
            EXPECT_EQ(QRect(QPoint(mr.nLeft, mr.nTop), QPoint(mr.nRight - 1, mr.nBottom - 1)), rc);
        }
        // One hour at 5 minutes: 12 periods wide; a voice note or a 0 s event
        // one period.
        const double flPeriod = p->xAxis->coordToPixel(1) - p->xAxis->coordToPixel(0);
        EXPECT_NEAR(ExpectedRect(p, aStart[0], aDur[0]).width(), 12 * flPeriod, 1.0);
        EXPECT_NEAR(ExpectedRect(p, aStart[1], aDur[1]).width(), flPeriod, 1.0);
        EXPECT_NEAR(ExpectedRect(p, aStart[3], aDur[3]).width(), flPeriod, 1.0);
        // 03:00 lies left of the time axis: nothing drawn.
        EXPECT_TRUE(p->MarkerRect(2).IsEmpty());
    }

    // Another selection turns its marker red at once, the previous one green.
    w.form->iEvtSel = 0;
    w.form->ShowPrfMarkers();
    const QImage img = p->toPixmap(sz.width(), sz.height()).toImage();
    ExpectFilled(img, ExpectedRect(p, aStart[0], aDur[0]), TChartPrf::SelectedMarkerColor());
    ExpectFilled(img, ExpectedRect(p, aStart[1], aDur[1]), TChartPrf::MarkerColor());
    // No selection: every marker green (the export's pictures).
    w.form->iEvtSel = -1;
    w.form->ShowPrfMarkers();
    const QImage imgNone = p->toPixmap(800, 320).toImage();
    ExpectFilled(imgNone, ExpectedRect(p, aStart[0], aDur[0]), TChartPrf::MarkerColor());
    ExpectFilled(imgNone, ExpectedRect(p, aStart[1], aDur[1]), TChartPrf::MarkerColor());

    // At one second a period is far below a pixel: a voice note and a 0 s
    // event are widened to 4 pixels.
    w.form->menuTH1s->trigger();
    const QImage img1s = p->toPixmap(sz.width(), sz.height()).toImage();
    for (int i : { 1, 3 }) {
        const QRect rc = ExpectedRect(p, aStart[i], aDur[i]);
        EXPECT_EQ(rc.width(), 4);
        ExpectFilled(img1s, rc, TChartPrf::MarkerColor());
    }
}

TEST(PrfChart, MarkersFollowTheZoom)
{
    TMarkerDay day;
    TNavWindow &w = day.w;
    TChartPrf *p = w.Chart();
    w.form->iEvtSel = -1;
    w.form->ShowPrfMarkers();
    w.DragChart(140, 150); // 11:40 to 12:30: the hour from 12:00 runs past the right end
    const QSize sz = p->size();
    const QImage img = p->toPixmap(sz.width(), sz.height()).toImage();
    const QRect rc = ExpectedRect(p, 12 * 3600, 3600);
    EXPECT_EQ(rc.right() + 1, int(std::floor(p->xAxis->coordToPixel(p->xAxis->range().upper))));
    ExpectFilled(img, rc, TChartPrf::MarkerColor());
    EXPECT_TRUE(p->MarkerRect(1).IsEmpty()) << "14:00 is right of the zoomed range";
}

TEST(PrfChart, TimeLabelsNeverOverlap)
{
    TNavWindow w;
    OpenDay(w, { HourRun() });
    TChartPrf *p = w.Chart();
    const QRegularExpression reLabel(QStringLiteral("^\\d\\d.\\d\\d.\\d\\d$"));
    auto check = [&](const char *why, int nWidth, int nHeight, int nMinLabels) {
        SCOPED_TRACE(why);
        (void)p->toPixmap(nWidth, nHeight); // lays the chart out at that size
        const QVector<double> aTicks = p->xAxis->tickVector();
        const QVector<QString> aLabels = p->xAxis->tickVectorLabels();
        ASSERT_EQ(aTicks.size(), aLabels.size());
        EXPECT_GE(aTicks.size(), nMinLabels);
        const QFontMetricsF fm(p->xAxis->tickLabelFont());
        double flPrevRight = -1e9;
        for (int i = 0; i < aTicks.size(); ++i) {
            EXPECT_TRUE(reLabel.match(aLabels[i]).hasMatch()) << aLabels[i].toStdString();
            EXPECT_EQ(aLabels[i],
                PointLabel(int(std::lround(aTicks[i])), p->Rate(), TimeSeparatorChar()));
            const double flX = p->xAxis->coordToPixel(aTicks[i]);
            const double flW = fm.horizontalAdvance(aLabels[i]);
            EXPECT_GE(flX - flW / 2, flPrevRight + 2.0) << aLabels[i].toStdString();
            flPrevRight = flX + flW / 2;
        }
    };
    for (QAction *pItem : w.form->groupTHRate->actions()) {
        SCOPED_TRACE(pItem->data().toInt());
        pItem->trigger();
        check("window", p->width(), p->height(), 4);
        check("export picture", 800, 320, 4);
        check("narrow", 300, 200, 2);
        p->replot();
        w.DragChart(p->xAxis->range().lower + 2, p->xAxis->range().lower + 8);
        check("zoomed", p->width(), p->height(), 2);
    }
}
