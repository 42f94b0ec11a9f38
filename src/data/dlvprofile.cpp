#include "dlvprofile.h"

#include "dlvutils.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace dlv {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// 10^(L/10) = exp(L * ln(10) / 10): exp is several times faster than pow and
// a day at 1 s is 86 400 of them per rate.
constexpr double kLn10By10 = 0.23025850929940456840;

// Only the energy average of several different levels goes through exp and
// log; a period whose seconds all carry one level gets that level exactly, so
// that a tie such as 60.25 dB prints the same as in every other view.
double EnergyAverage(const double *afl, int nCount)
{
    double flSum = 0.0;
    double flLo = std::numeric_limits<double>::infinity();
    double flHi = -flLo;
    int n = 0;
    for (int i = 0; i < nCount; ++i) {
        const double fl = afl[i];
        if (IsNoLevel(fl))
            continue;
        flSum += std::exp(fl * kLn10By10);
        flLo = std::min(flLo, fl);
        flHi = std::max(flHi, fl);
        ++n;
    }
    if (n == 0)
        return kNaN;
    if (flLo == flHi)
        return flLo;
    // Rounding in exp/log must not carry the mean outside the levels averaged.
    return std::clamp(10.0 * std::log10(flSum / n), flLo, flHi);
}

// Multiples of 10 dB as the axis rules want them (trunc, not floor).
double TruncTens(double fl)
{
    return std::trunc(fl / 10.0) * 10.0;
}

} // namespace

bool IsPrfRate(int nRate)
{
    return nRate == 1 || nRate == 300 || nRate == 900 || nRate == 3600;
}

int SafePrfRate(int nRate)
{
    return IsPrfRate(nRate) ? nRate : 1;
}

int PrfPointCount(int nRate)
{
    return kSecondsPerDay / SafePrfRate(nRate);
}

void PeriodLevels(std::span<const double> aflLeq, int nRate, std::span<double> aflOut)
{
    nRate = SafePrfRate(nRate);
    const int nPoints = PrfPointCount(nRate);
    const int nOut = static_cast<int>(std::min<size_t>(aflOut.size(), size_t(nPoints)));
    for (int k = 0; k < nOut; ++k) {
        const size_t nFirst = size_t(k) * size_t(nRate);
        if (nFirst >= aflLeq.size()) {
            aflOut[k] = kNaN;
            continue;
        }
        const int nCount = static_cast<int>(std::min(aflLeq.size() - nFirst, size_t(nRate)));
        if (nRate == 1) {
            const double fl = aflLeq[nFirst];
            aflOut[k] = IsNoLevel(fl) ? kNaN : fl;
        } else {
            aflOut[k] = EnergyAverage(aflLeq.data() + nFirst, nCount);
        }
    }
}

std::vector<double> PeriodLevels(std::span<const double> aflLeq, int nRate)
{
    std::vector<double> afl(size_t(PrfPointCount(nRate)));
    PeriodLevels(aflLeq, nRate, afl);
    return afl;
}

QString PointLabel(int nPoint, int nRate, QChar cSep)
{
    const qint64 nSec = qint64(nPoint) * SafePrfRate(nRate);
    if (nSec < 0 || nSec > kSecondsPerDay)
        return QString();
    const int n = static_cast<int>(nSec);
    QString s(8, cSep);
    auto put = [&s](int nAt, int nValue) {
        s[nAt] = QLatin1Char(char('0' + nValue / 10));
        s[nAt + 1] = QLatin1Char(char('0' + nValue % 10));
    };
    put(0, n / 3600);
    put(3, n / 60 % 60);
    put(6, n % 60);
    return s;
}

QChar TimeSeparatorChar()
{
    // The date labels own the rule for the separator; read it off one.
    const QString s = DayTimeLabel(EncodeDateTime(2001, 1, 1, 1, 2, 3));
    if (s.size() >= 3 && s.endsWith(QLatin1String("03")))
        return s[s.size() - 3];
    return QLatin1Char(':');
}

TLevelScan ScanLevels(std::span<const double> afl, int nBegin, int nEnd)
{
    TLevelScan scan;
    const int nSize = static_cast<int>(std::min<size_t>(afl.size(), size_t(INT_MAX)));
    if (nEnd < 0 || nEnd >= nSize)
        nEnd = nSize - 1;
    nBegin = std::max(nBegin, 0);
    for (int k = nBegin; k <= nEnd; ++k) {
        const double fl = afl[size_t(k)];
        if (IsNoLevel(fl))
            continue;
        if (scan.nFirst < 0)
            scan.nFirst = k;
        scan.nLast = k;
        if (fl > scan.flLargest)
            scan.flLargest = fl;
        if (fl > 0.0 && fl < scan.flSmallest)
            scan.flSmallest = fl;
    }
    return scan;
}

TAxisRange TimeAxisRange(const TLevelScan &scan, int nPoints)
{
    if (scan.nFirst < 0)
        return { 0.0, double(nPoints) };
    if (scan.nFirst == scan.nLast)
        return { double(scan.nFirst), double(scan.nLast + 1) };
    return { double(scan.nFirst + 1), double(scan.nLast + 1) };
}

std::optional<TAxisRange> LevelAxisRange(const TLevelScan &scan)
{
    if (!(scan.flLargest > scan.flSmallest))
        return std::nullopt;
    return TAxisRange { TruncTens(scan.flSmallest), TruncTens(scan.flLargest + 10.0) };
}

std::optional<TAxisRange> ZoomLevelRange(
    std::span<const double> aflPoints, double flMin, double flMax)
{
    if (!(flMin >= 0.0) || std::isnan(flMax) || aflPoints.empty())
        return std::nullopt;
    // Nearest integer with halves to the even neighbour (the default rounding
    // mode), clamped before conversion so that any axis value is safe.
    const double flLast = double(aflPoints.size() - 1);
    const double flB = std::nearbyint(std::min(flMin, flLast + 1.0));
    const double flC = std::nearbyint(std::clamp(flMax, -1.0, flLast));
    if (flC < flB)
        return std::nullopt;
    return LevelAxisRange(ScanLevels(aflPoints, int(flB), int(flC)));
}

double TPixelMap::Coord(double fl) const
{
    const double flSpan = flUpper - flLower;
    if (!(flSpan != 0.0))
        return flPxLower;
    return flPxLower + (fl - flLower) / flSpan * (flPxUpper - flPxLower);
}

int TPixelMap::Pixel(double fl) const
{
    const double flPx = Coord(fl);
    if (std::isnan(flPx))
        return 0;
    return static_cast<int>(std::floor(std::clamp(flPx, -1e9, 1e9)));
}

TMarkerRect PrfMarkerRect(int nStartSec, int nDuration, int nRate, const TPixelMap &mapX, int nY0)
{
    nRate = SafePrfRate(nRate);
    const int nX0 = nStartSec / nRate;
    const int nW = std::max(nDuration / nRate, 1);
    TMarkerRect rc;
    rc.nLeft = mapX.Pixel(double(nX0));
    rc.nRight = mapX.Pixel(double(nX0) + double(nW));
    if (rc.nRight - rc.nLeft < 4)
        rc.nRight = rc.nLeft + 4;
    rc.nLeft = std::max(rc.nLeft, mapX.Pixel(mapX.flLower));
    rc.nRight = std::min(rc.nRight, mapX.Pixel(mapX.flUpper));
    rc.nTop = nY0 - 4;
    rc.nBottom = nY0 + 6;
    return rc;
}

} // namespace dlv
