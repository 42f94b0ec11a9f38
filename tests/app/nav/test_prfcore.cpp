// The chart's computations without a chart: period levels, labels, axis
// ranges after a rebuild and after a zoom, marker rectangles.
#include "dlvprofile.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace dlv;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A day of per-second levels, all without value.
std::vector<double> EmptyDay()
{
    return std::vector<double>(86401, kNaN);
}

double Energy(std::initializer_list<double> afl)
{
    double fl = 0.0;
    for (double x : afl)
        fl += std::pow(10.0, x / 10.0);
    return 10.0 * std::log10(fl / double(afl.size()));
}

} // namespace

TEST(PrfPeriodLevels, EnergyAverageOfTheSecondsPresentOnly)
{
    std::vector<double> aDay = EmptyDay();
    // Period 0 at 5 minutes: 60 and 70 dB, the other 298 seconds missing
    // (NaN, and -1.0 which counts as missing too).
    aDay[0] = 60.0;
    aDay[150] = -1.0;
    aDay[299] = 70.0;
    // Period 1: one second of 0.0 dB, a value.
    aDay[300] = 0.0;
    // Period 3: every second the same tie level.
    for (int s = 900; s < 1200; ++s)
        aDay[s] = 60.25;
    // Second 86400 (24:00:00) belongs to no period.
    aDay[86400] = 99.0;
    const std::vector<double> afl = PeriodLevels(aDay, 300);
    ASSERT_EQ(afl.size(), 288u);
    EXPECT_NEAR(afl[0], Energy({ 60.0, 70.0 }), 1e-9);
    EXPECT_NEAR(afl[0], 67.403, 1e-3);
    EXPECT_EQ(afl[1], 0.0);
    EXPECT_TRUE(std::isnan(afl[2])) << "a period without any value is a gap";
    EXPECT_EQ(afl[3], 60.25) << "a constant period keeps its level exactly";
    EXPECT_TRUE(std::isnan(afl[287]));
}

TEST(PrfPeriodLevels, RatesAndPointCounts)
{
    std::vector<double> aDay = EmptyDay();
    for (int s = 0; s < 86400; ++s)
        aDay[s] = 40.0 + (s % 7);
    aDay[5] = -1.0;
    const struct
    {
        int nRate, nPoints;
    } cases[] = {
        { 1, 86400 }, { 300, 288 }, { 900, 96 }, { 3600, 24 }, { 0, 86400 }, { -300, 86400 },
        { 7, 86400 }, // unknown rates count as one second
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.nRate);
        EXPECT_EQ(PrfPointCount(c.nRate), c.nPoints);
        const std::vector<double> afl = PeriodLevels(aDay, c.nRate);
        ASSERT_EQ(int(afl.size()), c.nPoints);
        if (c.nPoints == 86400) {
            EXPECT_EQ(afl[4], 44.0);
            EXPECT_TRUE(std::isnan(afl[5])) << "-1.0 at one second is a gap too";
        } else {
            EXPECT_GT(afl[1], 40.0);
            EXPECT_LT(afl[1], 46.0);
        }
    }
    // The buffer form writes exactly the given span and leaves the rest.
    std::vector<double> aBuf(100, 1.0);
    PeriodLevels(aDay, 3600, std::span<double>(aBuf).first(24));
    EXPECT_EQ(aBuf[24], 1.0);
    // A short array (no full day) gives gaps, never reads past its end.
    const std::vector<double> aShort(10, 50.0);
    const std::vector<double> afl = PeriodLevels(aShort, 900);
    EXPECT_EQ(afl[0], 50.0);
    EXPECT_TRUE(std::isnan(afl[1]));
}

TEST(PrfPointLabels, StartOfThePeriod)
{
    const struct
    {
        int nPoint, nRate;
        const char *psz;
    } cases[] = {
        { 0, 1, "00:00:00" },
        { 86399, 1, "23:59:59" },
        { 97, 300, "08:05:00" },
        { 95, 900, "23:45:00" },
        { 23, 3600, "23:00:00" },
        { 24, 3600, "24:00:00" },
        { 25, 3600, "" },
        { -1, 300, "" },
        { 3723, 1, "01:02:03" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(PointLabel(c.nPoint, c.nRate), QString::fromLatin1(c.psz)) << c.nPoint;
    EXPECT_EQ(PointLabel(3723, 1, QLatin1Char('.')), QStringLiteral("01.02.03"));
}

TEST(PrfAxisRanges, RebuildRules)
{
    const struct
    {
        const char *why;
        std::vector<double> afl;
        TAxisRange rgTime;
        std::optional<TAxisRange> rgLevel;
    } cases[] = {
        { "32.4 to 78.9 dB", { kNaN, 32.4, 50.0, 78.9, kNaN }, { 2, 4 }, TAxisRange { 30, 80 } },
        { "largest exactly 80", { 40.0, 80.0 }, { 1, 2 }, TAxisRange { 40, 90 } },
        { "smallest exactly 30", { 30.0, 55.5 }, { 1, 2 }, TAxisRange { 30, 60 } },
        { "flat day keeps the range", { kNaN, 55.0, 55.0, 55.0 }, { 2, 4 }, std::nullopt },
        { "one point with a value", { kNaN, kNaN, 61.0, kNaN }, { 2, 3 }, std::nullopt },
        { "no value: the whole day", { kNaN, -1.0, kNaN }, { 0, 3 }, std::nullopt },
        { "0 dB is a value but not the smallest", { 0.0, 45.0, 47.0 }, { 1, 3 },
            TAxisRange { 40, 50 } },
        { "-1.0 is no value", { -1.0, 45.0, -1.0, 52.0, -1.0 }, { 2, 4 }, TAxisRange { 40, 60 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        const TLevelScan scan = ScanLevels(c.afl);
        EXPECT_EQ(TimeAxisRange(scan, int(c.afl.size())), c.rgTime);
        EXPECT_EQ(LevelAxisRange(scan), c.rgLevel);
    }
}

TEST(PrfAxisRanges, DataFromEightOClockAtFiveMinutes)
{
    std::vector<double> aDay = EmptyDay();
    for (int s = 8 * 3600; s < 17 * 3600; ++s)
        aDay[s] = 50.0 + (s % 11);
    const std::vector<double> afl = PeriodLevels(aDay, 300);
    const TLevelScan scan = ScanLevels(afl);
    EXPECT_EQ(scan.nFirst, 96);
    EXPECT_EQ(scan.nLast, 203);
    const TAxisRange rg = TimeAxisRange(scan, 288);
    EXPECT_EQ(rg.flMin, 97.0);
    EXPECT_EQ(PointLabel(int(rg.flMin), 300), QStringLiteral("08:05:00"));
    EXPECT_EQ(rg.flMax, 204.0);
}

TEST(PrfAxisRanges, ZoomFitsTheLevelAxisToTheZoomedPoints)
{
    //                          0     1     2     3     4     5     6     7
    const std::vector<double> afl { 30.0, 45.0, kNaN, 62.0, 71.0, 55.0, 90.0, kNaN };
    const struct
    {
        const char *why;
        double flMin, flMax;
        std::optional<TAxisRange> rg;
    } cases[] = {
        { "points 3 to 5", 2.6, 5.4, TAxisRange { 50, 80 } },
        { "halves go to the even neighbour", 2.5, 4.5, TAxisRange { 60, 80 } },
        { "3.5 rounds to 4, 5.5 to 6", 3.5, 5.5, TAxisRange { 50, 100 } },
        { "one point does not spread", 3.8, 4.2, std::nullopt },
        { "only gaps", 1.6, 2.4, std::nullopt },
        { "left of point 0", -0.5, 3.0, std::nullopt },
        { "past the last point", 5.0, 40.0, TAxisRange { 50, 100 } },
        { "beyond every point", 50.0, 60.0, std::nullopt },
        { "the whole range", 0.0, 7.0, TAxisRange { 30, 100 } },
        { "NaN maximum", 1.0, kNaN, std::nullopt },
        { "huge values", 1e300, 1e301, std::nullopt },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(ZoomLevelRange(afl, c.flMin, c.flMax), c.rg);
    }
}

TEST(PrfMarkers, RectangleGeometry)
{
    // 288 points at 5 minutes over the pixels 100 .. 676: 2 pixels a point.
    const TPixelMap map { 0.0, 288.0, 100.0, 676.0 };
    const int y0 = 300;
    const struct
    {
        const char *why;
        int nStart, nDur, nRate;
        TPixelMap map;
        TMarkerRect rc;
    } cases[] = {
        { "one hour from 12:00", 43200, 3600, 300, map, { 388, 296, 412, 306 } },
        { "one period is 2 pixels: widened to 4", 43200, 300, 300, map, { 388, 296, 392, 306 } },
        { "voice note: one period, 4 pixels", 43210, 0, 300, map, { 388, 296, 392, 306 } },
        { "zero-length event", 600, 0, 300, map, { 104, 296, 108, 306 } },
        { "widened past the right end, clipped", 86100, 0, 300, map, { 674, 296, 676, 306 } },
        { "starts before the zoomed range", 3600, 7200, 300, { 20.0, 30.0, 100.0, 600.0 },
            { 100, 296, 600, 306 } },
        { "left of the zoomed range: empty", 0, 600, 300, { 20.0, 30.0, 100.0, 600.0 },
            { 100, 296, -800, 306 } },
        { "right of the zoomed range: empty", 40000, 60, 300, { 20.0, 30.0, 100.0, 600.0 },
            { 5750, 296, 600, 306 } },
        { "at one second", 100, 50, 1, { 0.0, 86400.0, 0.0, 864.0 }, { 1, 296, 5, 306 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        const TMarkerRect rc = PrfMarkerRect(c.nStart, c.nDur, c.nRate, c.map, y0);
        EXPECT_EQ(rc, c.rc);
        EXPECT_EQ(rc.IsEmpty(), c.rc.nRight <= c.rc.nLeft);
    }
    // A far zoom maps whole days outside any int: clamped, never overflowing.
    const TMarkerRect rc = PrfMarkerRect(86399, 0, 1, { 0.0, 1e-9, 0.0, 800.0 }, y0);
    EXPECT_TRUE(rc.IsEmpty());
}
