#include "dlvutils.h"

#include "dlverror.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTime>
#include <cmath>
#include <cstdio>

namespace dlv {

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMSecPerDay = 86400000;

// Splits a date-time value into its calendar date and milliseconds of the day.
// The fraction is rounded to the nearest millisecond: 09:05:00 is not exact in
// binary and must not come back as 09:04:59.999.
bool DecodeDateTime(TDateTime dt, QDate &date, int &nMSec)
{
    if (!std::isfinite(dt) || std::fabs(dt) > 3.0e6)
        return false;
    double flDays = std::floor(dt);
    qint64 nMs = std::llround((dt - flDays) * kMSecPerDay);
    if (nMs >= kMSecPerDay) {
        nMs -= kMSecPerDay;
        flDays += 1.0;
    }
    date = kEpoch.addDays(static_cast<qint64>(flDays));
    nMSec = static_cast<int>(nMs);
    return date.isValid();
}

QString Two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The user's time separator, taken from the locale's short time format (the
// character that follows the hours). Most locales use ":", a few ".".
QString TimeSeparator()
{
    const QString sFmt = QLocale::system().timeFormat(QLocale::ShortFormat);
    int i = 0;
    while (i < sFmt.size() && sFmt[i] != QLatin1Char('h') && sFmt[i] != QLatin1Char('H'))
        ++i;
    while (i < sFmt.size() && (sFmt[i] == QLatin1Char('h') || sFmt[i] == QLatin1Char('H')))
        ++i;
    if (i < sFmt.size() && !sFmt[i].isLetterOrNumber() && sFmt[i] != QLatin1Char('\''))
        return QString(sFmt[i]);
    return QStringLiteral(":");
}

// "ddd mmm d, yyyy": the abbreviated names come from the user's own locale
// (QLocale::system()), not from whatever default the program may have set.
QString DayPart(const QDate &date)
{
    const QLocale loc = QLocale::system();
    return loc.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ')
        + loc.monthName(date.month(), QLocale::ShortFormat) + QLatin1Char(' ')
        + QString::number(date.day()) + QStringLiteral(", ")
        + QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
}

} // namespace

TDateTime EncodeDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec,
                         int nMSec)
{
    const QDate date(nYear, nMonth, nDay);
    if (!date.isValid() || !QTime::isValid(nHour, nMin, nSec, nMSec))
        return NoDate;
    const qint64 nDays = kEpoch.daysTo(date);
    const qint64 nMs = ((nHour * 60LL + nMin) * 60LL + nSec) * 1000LL + nMSec;
    return static_cast<double>(nDays) + static_cast<double>(nMs) / kMSecPerDay;
}

QString IsoDateStr(TDateTime dt)
{
    QDate date;
    int nMs = 0;
    if (!DecodeDateTime(dt, date, nMs))
        return QString();
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(Two(date.month()), Two(date.day()));
}

TDateTime DirNameToDate(const QString &s)
{
    auto readNum = [](QStringView sv, bool &bOk) {
        int n = 0;
        bOk = !sv.isEmpty();
        for (QChar c : sv) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                bOk = false;
                return 0;
            }
            n = n * 10 + (c.unicode() - '0');
        }
        return n;
    };
    QStringView sv(s);
    QStringView svY, svM, svD;
    if (s.size() == 10 && s[4] == QLatin1Char('-') && s[7] == QLatin1Char('-')) {
        svY = sv.mid(0, 4);
        svM = sv.mid(5, 2);
        svD = sv.mid(8, 2);
    } else if (s.size() == 8) {
        svY = sv.mid(0, 4);
        svM = sv.mid(4, 2);
        svD = sv.mid(6, 2);
    } else {
        return NoDate;
    }
    bool bY = false, bM = false, bD = false;
    const int nY = readNum(svY, bY), nM = readNum(svM, bM), nD = readNum(svD, bD);
    if (!bY || !bM || !bD)
        return NoDate;
    return EncodeDateTime(nY, nM, nD);
}

QString DayLabel(TDateTime dt)
{
    QDate date;
    int nMs = 0;
    if (!DecodeDateTime(dt, date, nMs))
        return QString();
    return DayPart(date);
}

QString DayTimeLabel(TDateTime dt)
{
    QDate date;
    int nMs = 0;
    if (!DecodeDateTime(dt, date, nMs))
        return QString();
    const int nSecs = nMs / 1000;
    const QString sSep = TimeSeparator();
    return DayPart(date) + QLatin1Char(' ') + Two(nSecs / 3600) + sSep + Two(nSecs / 60 % 60)
        + sSep + Two(nSecs % 60);
}

TDateTime BcdToDateTime(const uint8_t *aby, int nCount)
{
    if (nCount != 6 && nCount != 7)
        return NoDate;
    int an[7] = {0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < nCount; ++i) {
        an[i] = BcdByte(aby[i]);
        if (an[i] < 0)
            throw EDlvError(QStringLiteral("'%1' is not a valid BCD value")
                                .arg(aby[i], 2, 16, QLatin1Char('0'))
                                .toUpper());
    }
    const TDateTime dt = EncodeDateTime(2000 + an[0], an[1], an[2], an[3], an[4], an[5], an[6]);
    if (dt == NoDate)
        throw EDlvError(QStringLiteral("Invalid date and time: %1-%2-%3 %4:%5:%6")
                            .arg(2000 + an[0])
                            .arg(Two(an[1]), Two(an[2]), Two(an[3]), Two(an[4]), Two(an[5])));
    return dt;
}

int CountFiles(const QString &sPattern)
{
    const QFileInfo fi(sPattern);
    const QDir dir = fi.dir();
    if (!dir.exists())
        return 0;
    // Wildcards match regardless of letter case, as on the meter's own file
    // system; only plain files (or links to them) count.
    return static_cast<int>(
        dir.entryList(QStringList{fi.fileName()}, QDir::Files | QDir::Hidden).size());
}

QString FormatLevel(double fl)
{
    if (std::isnan(fl))
        return QStringLiteral("NAN");
    if (std::isinf(fl))
        return fl > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    char ac[64];
    const double flTen = fl * 10.0;
    // An exact tie (x.25 or x.75 stored exactly, so fl * 10 ends in .5 with no
    // rounding in the product) goes away from zero; everything else is plain
    // "%.1f" of the exact binary value.
    if (std::fma(fl, 10.0, -flTen) == 0.0 && std::fabs(flTen) < 1e15
        && std::fabs(flTen - std::trunc(flTen)) == 0.5) {
        const double flRounded = std::trunc(flTen) + (flTen > 0 ? 1.0 : -1.0);
        std::snprintf(ac, sizeof ac, "%.1f", flRounded / 10.0);
    } else {
        std::snprintf(ac, sizeof ac, "%.1f", fl);
    }
    QString s = QString::fromLatin1(ac);
    const QString sDec = QLocale::system().decimalPoint();
    if (sDec != QLatin1String("."))
        s.replace(QLatin1Char('.'), sDec);
    return s;
}

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
namespace {
__attribute__((target("avx"), noinline)) void VzeroUpper()
{
    __builtin_ia32_vzeroupper();
}
} // namespace

void ReleaseVectorUpper()
{
    static const bool bAvx = __builtin_cpu_supports("avx");
    if (bAvx)
        VzeroUpper();
}
#else
void ReleaseVectorUpper() {}
#endif

} // namespace dlv
