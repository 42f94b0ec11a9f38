// Date values, labels, packed-BCD decoding, file counting and the one level
// formatter.
#include "dlverror.h"
#include "dlvtesthome.h"
#include "dlvutils.h"

#include <QDate>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace dlv;

namespace {

// The day and month names the labels must use: the user's own locale.
QString Names(int nDayOfWeek, int nMonth)
{
    const QLocale loc = QLocale::system();
    return loc.dayName(nDayOfWeek, QLocale::ShortFormat) + QLatin1Char(' ')
        + loc.monthName(nMonth, QLocale::ShortFormat);
}

bool EnglishNames()
{
    return QLocale::system().dayName(6, QLocale::ShortFormat) == QLatin1String("Sat");
}

} // namespace

TEST(DateValues, EncodeCountsDaysFrom30December1899)
{
    EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDateTime(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDateTime(2016, 3, 15), 42444.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2016, 3, 15, 12, 0, 0), 42444.5);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2016, 3, 15, 0, 0, 1), 42444.0 + 1.0 / 86400);
    EXPECT_EQ(EncodeDateTime(2016, 2, 30), NoDate);
    EXPECT_EQ(EncodeDateTime(2016, 3, 15, 24, 0, 0), NoDate);
}

TEST(DateValues, DirNameToDate)
{
    const TDateTime dt = EncodeDateTime(2016, 3, 15);
    struct Case {
        const char *p;
        TDateTime dt;
    } cases[] = {
        {"20160315", dt},  {"2016-03-15", dt},   {"2016/03/15", NoDate}, {"160315", NoDate},
        {"", NoDate},      {"20160230", NoDate}, {"2016-02-30", NoDate}, {"2016031a", NoDate},
        {"201603150", NoDate}, {"2016-0315x", NoDate}, {"20161301", NoDate}, {"20160300", NoDate},
        {"+2016031", NoDate}, {"20000101", EncodeDateTime(2000, 1, 1)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DirNameToDate(QString::fromLatin1(c.p)), c.dt) << c.p;
}

TEST(DateValues, IsoDateStr)
{
    EXPECT_EQ(IsoDateStr(EncodeDateTime(2016, 3, 15, 23, 59, 59)), QStringLiteral("2016-03-15"));
    EXPECT_EQ(IsoDateStr(EncodeDateTime(2001, 1, 2)), QStringLiteral("2001-01-02"));
}

TEST(DateLabels, DayAndDayTime)
{
    EXPECT_EQ(DayLabel(EncodeDateTime(2016, 3, 5)), Names(6, 3) + QStringLiteral(" 5, 2016"));
    const QString sDayTime = DayTimeLabel(EncodeDateTime(2016, 3, 5, 14, 7, 9));
    EXPECT_TRUE(sDayTime.startsWith(Names(6, 3) + QStringLiteral(" 5, 2016 14"))) << sDayTime.toStdString();
    EXPECT_TRUE(sDayTime.endsWith(QStringLiteral("07") + sDayTime.mid(sDayTime.size() - 3, 1) + QStringLiteral("09")));
    if (EnglishNames()) {
        EXPECT_EQ(DayLabel(EncodeDateTime(2016, 3, 5)), QStringLiteral("Sat Mar 5, 2016"));
        EXPECT_EQ(DayLabel(EncodeDateTime(2016, 3, 15)), QStringLiteral("Tue Mar 15, 2016"));
        EXPECT_EQ(DayTimeLabel(EncodeDateTime(2016, 3, 5, 14, 7, 9)),
                  QStringLiteral("Sat Mar 5, 2016 14:07:09"));
        EXPECT_EQ(DayTimeLabel(EncodeDateTime(2016, 3, 15, 9, 5, 0)),
                  QStringLiteral("Tue Mar 15, 2016 09:05:00"));
    }
}

TEST(DateLabels, TimesThatAreNotExactInBinaryDoNotLoseASecond)
{
    // Every second of a day read back from its date-time value.
    for (int s = 0; s < 86400; s += 7) {
        const TDateTime dt = EncodeDateTime(2016, 3, 15, s / 3600, s / 60 % 60, s % 60);
        const QString sLabel = DayTimeLabel(dt);
        const QString sTime = sLabel.right(8);
        ASSERT_EQ(sTime.left(2).toInt() * 3600 + sTime.mid(3, 2).toInt() * 60 + sTime.right(2).toInt(), s)
            << sLabel.toStdString();
    }
}

TEST(Bcd, Decoding)
{
    const uint8_t aby[7] = {0x16, 0x03, 0x15, 0x09, 0x05, 0x00, 0x50};
    EXPECT_EQ(BcdToDateTime(aby, 6), EncodeDateTime(2016, 3, 15, 9, 5, 0));
    EXPECT_DOUBLE_EQ(BcdToDateTime(aby, 7), EncodeDateTime(2016, 3, 15, 9, 5, 0, 50));
    for (int n : {0, 1, 5, 8, -1})
        EXPECT_EQ(BcdToDateTime(aby, n), NoDate) << n;
    EXPECT_EQ(BcdByte(0x59), 59);
    EXPECT_EQ(BcdByte(0x99), 99);
    EXPECT_EQ(BcdByte(0x5A), -1);
    EXPECT_EQ(BcdByte(0xA5), -1);
}

TEST(Bcd, BadBytesAndImpossibleDatesRaise)
{
    struct Case {
        int nIndex;
        uint8_t by;
    } cases[] = {{1, 0x13}, {1, 0x1A}, {1, 0x00}, {2, 0x00}, {2, 0x32}, {3, 0x24},
                 {4, 0x60}, {5, 0x60}, {0, 0xF0}, {5, 0x0F}};
    for (const Case &c : cases) {
        uint8_t aby[6] = {0x16, 0x03, 0x15, 0x09, 0x05, 0x00};
        aby[c.nIndex] = c.by;
        EXPECT_THROW(BcdToDateTime(aby, 6), EDlvError) << c.nIndex << " " << int(c.by);
    }
    const uint8_t abyLeap[6] = {0x16, 0x02, 0x29, 0x00, 0x00, 0x00};
    EXPECT_NO_THROW(BcdToDateTime(abyLeap, 6));
    const uint8_t abyNoLeap[6] = {0x15, 0x02, 0x29, 0x00, 0x00, 0x00};
    EXPECT_THROW(BcdToDateTime(abyNoLeap, 6), EDlvError);
}

TEST(Files, CountFilesCountsPlainFilesOnly)
{
    QTemporaryDir dir;
    const QString s = dir.path() + QLatin1Char('/');
    dlv::test::WriteFile(s + QStringLiteral("R001.BIN"), "x");
    dlv::test::WriteFile(s + QStringLiteral("R002.BIN"), "x");
    dlv::test::WriteFile(s + QStringLiteral("R002.PRF"), "x");
    QDir().mkpath(s + QStringLiteral("X.BIN"));
    EXPECT_EQ(CountFiles(s + QStringLiteral("*.BIN")), 2);
    EXPECT_EQ(CountFiles(s + QStringLiteral("*.EVT")), 0);
    EXPECT_EQ(CountFiles(s + QStringLiteral("missing/*.BIN")), 0);
}

TEST(LevelFormat, OneDecimalWithExactTiesAwayFromZero)
{
    const QString sDec = QLocale::system().decimalPoint();
    struct Case {
        double fl;
        const char *p;
    } cases[] = {
        {67.25, "67.3"},  {67.75, "67.8"}, {67.35, "67.3"}, // 67.35 is below the tie in binary
        {0.05, "0.1"},    {0.15, "0.1"},   {100.0, "100.0"}, {-1.0, "-1.0"}, {-0.25, "-0.3"},
        {8000.0 / 320, "25.0"}, {8008.0 / 320, "25.0"}, {8016.0 / 320, "25.1"}, {8080.0 / 320, "25.3"},
        {204.796875, "204.8"}, {0.0, "0.0"}, {1e-9, "0.0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatLevel(c.fl), QString::fromLatin1(c.p).replace(QLatin1Char('.'), sDec)) << c.p;
    EXPECT_TRUE(IsNoLevel(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(IsNoLevel(-1.0));
    EXPECT_FALSE(IsNoLevel(0.0));
    EXPECT_FALSE(IsNoLevel(-1.0000001));
}
