#pragma once

#include <QString>
#include <cstdint>

namespace dlv {

// Date-time values count days from 30 December 1899; the fraction is the time
// of day (one second is 1/86400). NoDate stands for "no date".
using TDateTime = double;
inline constexpr TDateTime NoDate = -1.0;

// "YYYY-MM-DD", for example 2016-03-15.
QString IsoDateStr(TDateTime dt);
// "YYYYMMDD" or "YYYY-MM-DD" to a date at midnight; NoDate for anything else
// (including names that are not calendar dates). Never throws.
TDateTime DirNameToDate(const QString &s);
// "ddd mmm d, yyyy" with the day and month names of the user's locale.
QString DayLabel(TDateTime dt);
// "ddd mmm d, yyyy hh:nn:ss".
QString DayTimeLabel(TDateTime dt);
// Packed-BCD year (2000 + yy), month, day, hour, minute, second and, with 7
// bytes, milliseconds. Any count but 6 or 7 gives NoDate. Throws EDlvError on a
// nibble above 9 or an impossible date or time.
TDateTime BcdToDateTime(const uint8_t *aby, int nCount);
// Number of plain files (not folders) matching "folder/wildcard"; 0 when the
// folder does not exist.
int CountFiles(const QString &sPattern);

// Conversions between TDateTime and the calendar, shared by the date helpers.
TDateTime EncodeDateTime(int nYear, int nMonth, int nDay, int nHour = 0, int nMin = 0,
                         int nSec = 0, int nMSec = 0); // NoDate when invalid

// One packed-BCD byte as a number 0..99; -1 when a half is above 9.
constexpr int BcdByte(uint8_t by)
{
    const int hi = by >> 4, lo = by & 0x0F;
    return (hi > 9 || lo > 9) ? -1 : hi * 10 + lo;
}

// The single formatter for levels shown or written with one decimal ("%.1f"):
// the decimal separator of the user's locale; exact binary ties (x.25, x.75,
// common with 1/320 dB steps) round half away from zero everywhere, so a value
// never prints two ways. NaN and -1.0 are formatted as numbers too; callers
// decide when a level is missing.
QString FormatLevel(double fl);

// A level that readers treat as "no value": NaN or exactly -1.0.
inline bool IsNoLevel(double fl)
{
    return fl != fl || fl == -1.0;
}

// Releases the upper halves of the wide vector registers (vzeroupper where
// the CPU has AVX, nothing elsewhere). Library code (string and memory
// routines) can leave them in use, and some CPUs then make every scalar SSE
// instruction wait on them: the level loops of the day load ran three times
// slower. Call it before such a loop, after any library call.
void ReleaseVectorUpper();

} // namespace dlv
