#pragma once
// Time-history chart computations shared by the day chart and dalvane-cli:
// the period levels of a day at a chart rate, the axis ranges the chart sets
// after a rebuild and after a zoom, and the pixel rectangles of the event
// markers. Plain functions on plain inputs (Qt Core only); the widgets draw
// what these return.

#include <QChar>
#include <QString>
#include <optional>
#include <span>
#include <vector>

namespace dlv {

inline constexpr int kSecondsPerDay = 86400;

// Seconds per chart point: 1, 300, 900 or 3600. Any other value counts as 1
// (never as a divisor); the stored setting may hold anything.
bool IsPrfRate(int nRate);
int SafePrfRate(int nRate);
// Points of a day at a rate: 86400 / rate (86400, 288, 96 or 24).
int PrfPointCount(int nRate);

// Period levels of a day. aflLeq holds the per-second levels (at least 86400
// slots; NaN or -1.0 = no value). At the rate of one second point k is
// second k; at the other rates it is the energy average of the seconds of the
// period that have a value, 10 log10(sum(10^(L/10)) / n), and NaN when none
// has. aflOut receives PrfPointCount(nRate) values and must be that long; the
// first form allocates nothing.
void PeriodLevels(std::span<const double> aflLeq, int nRate, std::span<double> aflOut);
std::vector<double> PeriodLevels(std::span<const double> aflLeq, int nRate);

// "hh:nn:ss" of the start of point k at a rate (hours 00..24: the end of the
// day, point 86400 / rate, reads 24:00:00). cSep separates the fields.
QString PointLabel(int nPoint, int nRate, QChar cSep = QLatin1Char(':'));
// The user's time separator, as the date labels use it.
QChar TimeSeparatorChar();

// What a rebuild notes while it appends the points: the first and last index
// with a value (-1 when none), the largest value (starting from 0) and the
// smallest value above 0 (starting from 999).
struct TLevelScan
{
    int nFirst = -1;
    int nLast = -1;
    double flLargest = 0.0;
    double flSmallest = 999.0;
};
// Scans afl[nBegin .. nEnd], both included and clipped to the span.
TLevelScan ScanLevels(std::span<const double> afl, int nBegin = 0, int nEnd = -1);

struct TAxisRange
{
    double flMin = 0.0;
    double flMax = 0.0;
    bool operator==(const TAxisRange &) const = default;
};

// Time axis after a rebuild: from the first point with a value + 1 to the last
// one + 1 (both one more than the indices). A chart axis cannot show an empty
// range, so a day with a single point with a value shows [k, k + 1] (that
// period's step) and a day without any value shows the whole day [0, points].
TAxisRange TimeAxisRange(const TLevelScan &scan, int nPoints);
// Level axis after a rebuild: the multiple of 10 dB at or below the smallest
// level to the next multiple of 10 dB strictly above the largest; nothing (the
// axis keeps its range) unless the largest is above the smallest.
std::optional<TAxisRange> LevelAxisRange(const TLevelScan &scan);
// Level axis after a zoom of the time axis to [flMin, flMax]: fitted to the
// points from round(flMin) to round(flMax) (halves to even) that exist;
// nothing when the zoom starts left of point 0 or the points do not spread.
std::optional<TAxisRange> ZoomLevelRange(
    std::span<const double> aflPoints, double flMin, double flMax);

// Linear mapping of axis values to pixel coordinates, as the chart maps them.
struct TPixelMap
{
    double flLower = 0.0; // axis minimum
    double flUpper = 1.0; // axis maximum
    double flPxLower = 0.0; // pixel coordinate of the minimum
    double flPxUpper = 1.0; // pixel coordinate of the maximum
    double Coord(double fl) const;
    // The pixel the coordinate lies in (pixel n spans n .. n + 1), clamped to
    // +-1e9; the stairs are drawn in the same pixels.
    int Pixel(double fl) const;
};

// A filled marker: columns nLeft up to but not including nRight, rows nTop up
// to but not including nBottom. Empty (nothing drawn) when nRight <= nLeft.
struct TMarkerRect
{
    int nLeft = 0;
    int nTop = 0;
    int nRight = 0;
    int nBottom = 0;
    bool IsEmpty() const { return nRight <= nLeft; }
    bool operator==(const TMarkerRect &) const = default;
};

// Rectangle of the marker of an event starting at nStartSec and lasting
// nDuration seconds (0 for a voice note): from point start / rate over
// duration / rate points (at least one), at least 4 pixels wide, clipped to the
// time axis's pixels, rows y0 - 4 .. y0 + 6 around the bottom of the plot (y0,
// the pixel row of the level axis's minimum).
TMarkerRect PrfMarkerRect(int nStartSec, int nDuration, int nRate, const TPixelMap &mapX, int nY0);

} // namespace dlv
