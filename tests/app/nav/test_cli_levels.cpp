// dalvane-cli levels, run through dlv::cli::Run as the binary runs it: the
// chart's period levels of a day written by the meter-file writers.
#include "dlvcli.h"
#include "dlvmeterfiles.h"
#include "dlvtestcli.h"
#include "dlvtesthome.h"
#include "dlvutils.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dlv;

namespace {

const QString kMeter = QStringLiteral("1234567");
const QString kDate = QStringLiteral("20160315");

struct TCliLines
{
    int nRc = -1;
    QStringList slOut;
    QString sErr;
};

// RunCli with the output as lines (each must end with a line feed).
TCliLines RunCliLines(const QStringList &slArgs)
{
    const test::TCliResult res = test::RunCli(slArgs);
    TCliLines r { res.nRc, res.sOut.split(QLatin1Char('\n')), res.sErr };
    EXPECT_EQ(r.slOut.last(), QString()) << "every line ends with a line feed";
    r.slOut.removeLast();
    return r;
}

// A data folder with one day: 60 dB from 08:00:00 to 08:04:59 except 70 dB
// at 08:00:00 and 08:00:01, nothing at 08:00:02..08:00:09, 45.25 dB from
// 09:00:00 to 09:09:59.
class TLevelsDay
{
public:
    TLevelsDay()
    {
        const QString sDay = Dir() + kMeter + '/' + kDate + '/';
        QDir().mkpath(sDay);
        EXPECT_TRUE(WriteBinFile(sDay + "R001.BIN",
            MakeRunHeader(
                1, kMeter, QStringLiteral("632A"), QDateTime(QDate(2016, 3, 15), QTime(8, 0)))));
        std::vector<TPrfRecord> a;
        for (int s = 8 * 3600; s < 8 * 3600 + 300; ++s) {
            if (s >= 8 * 3600 + 2 && s < 8 * 3600 + 10)
                continue;
            const double fl = s < 8 * 3600 + 2 ? 70.0 : 60.0;
            a.push_back(PrfAt(s, fl, fl));
        }
        for (int s = 9 * 3600; s < 9 * 3600 + 600; ++s)
            a.push_back(PrfAt(s, 45.25, 50.0));
        EXPECT_TRUE(WritePrfFile(sDay + "R001.PRF", a, false));
    }
    QString Dir() const { return m_dir.path() + '/'; }
    QStringList Args(const QStringList &slMore = {}) const
    {
        return QStringList { QStringLiteral("levels"), Dir(), kMeter, kDate } + slMore;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(CliLevels, OneLinePerPointAtEveryRate)
{
    TLevelsDay day;
    const double flFirst5m = 10.0 * std::log10((2 * 1e7 + 290 * 1e6) / 292.0);
    const struct
    {
        QStringList slRate;
        int nLines;
        QStringList slExpect; // lines at the indices of aAt
        std::vector<int> aAt;
    } cases[] = {
        { {}, 86400,
            { "0,00:00:00,", "28800,08:00:00," + FormatLevel(70.0), "28802,08:00:02,",
                "28810,08:00:10," + FormatLevel(60.0), "32400,09:00:00," + FormatLevel(45.25),
                "86399,23:59:59," },
            { 0, 28800, 28802, 28810, 32400, 86399 } },
        { { "--rate", "300" }, 288,
            { "96,08:00:00," + FormatLevel(flFirst5m), "97,08:05:00,",
                "108,09:00:00," + FormatLevel(45.25), "287,23:55:00," },
            { 96, 97, 108, 287 } },
        { { "--rate", "900" }, 96,
            { "32,08:00:00," + FormatLevel(flFirst5m), "36,09:00:00," + FormatLevel(45.25) },
            { 32, 36 } },
        { { "--rate", "3600" }, 24, { "7,07:00:00,", "23,23:00:00," }, { 7, 23 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.slRate.join(' ').toStdString());
        const TCliLines r = RunCliLines(day.Args(c.slRate));
        EXPECT_EQ(r.nRc, cli::kExitOk) << r.sErr.toStdString();
        ASSERT_EQ(r.slOut.size(), c.nLines);
        for (size_t i = 0; i < c.aAt.size(); ++i)
            EXPECT_EQ(r.slOut[c.aAt[i]], c.slExpect[int(i)]);
    }
    // The 45.25 dB tie prints as everywhere else, and the energy mean of
    // 70 and 60 dB seconds is not their arithmetic mean.
    EXPECT_EQ(FormatLevel(45.25), QLocale::system().toString(45.3, 'f', 1));
    EXPECT_NEAR(flFirst5m, 60.3, 0.05);
}

TEST(CliLevels, UsageErrorsAndMissingDay)
{
    TLevelsDay day;
    const struct
    {
        const char *why;
        QStringList slArgs;
        int nRc;
    } cases[] = {
        { "no arguments", { "levels" }, cli::kExitUsage },
        { "missing date", { "levels", day.Dir(), kMeter }, cli::kExitUsage },
        { "extra argument", day.Args({ "x" }), cli::kExitUsage },
        { "rate not allowed", day.Args({ "--rate", "60" }), cli::kExitUsage },
        { "rate zero", day.Args({ "--rate", "0" }), cli::kExitUsage },
        { "rate not a number", day.Args({ "--rate", "5m" }), cli::kExitUsage },
        { "rate without value", day.Args({ "--rate" }), cli::kExitUsage },
        { "unknown option", day.Args({ "--csv" }), cli::kExitUsage },
        { "serial that leaves the data folder", { "levels", day.Dir(), "../../x", kDate },
            cli::kExitUsage },
        { "date that is no day folder name", { "levels", day.Dir(), kMeter, "2016-03-15" },
            cli::kExitUsage },
        { "day without run header", { "levels", day.Dir(), kMeter, "20160316" }, cli::kExitFalse },
        { "meter without days", { "levels", day.Dir(), "7654321", kDate }, cli::kExitFalse },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        const TCliLines r = RunCliLines(c.slArgs);
        EXPECT_EQ(r.nRc, c.nRc);
        EXPECT_TRUE(r.slOut.isEmpty());
        EXPECT_FALSE(r.sErr.isEmpty());
    }
}
