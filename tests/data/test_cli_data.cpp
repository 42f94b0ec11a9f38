// dalvane-cli's data commands, run through dlv::cli::Run as the binary runs
// them: meters, days, day (the JSON of a loaded day) and sample-drive.
#include "dlvcli.h"
#include "dlvdatafixture.h"
#include "dlvtestcli.h"
#include "dlvtesthome.h"
#include "dlvutils.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <charconv>
#include <cmath>
#include <gtest/gtest.h>

using namespace dlv;
using dlv::test::RunCli;
using dlv::test::TCliResult;
using dlv::test::TDayFixture;

namespace {

// The shortest text that reads back as the same double (an implementation of
// its own, to check the JSON writer's full precision).
QString Shortest(double fl)
{
    char ac[64];
    const auto res = std::to_chars(ac, ac + sizeof ac, fl);
    QString s = QString::fromLatin1(ac, res.ptr - ac);
    if (!s.contains(QLatin1Char('.')) && !s.contains(QLatin1Char('e')))
        s += QLatin1String(".0");
    return s;
}

bool EnglishNames()
{
    return QLocale::system().dayName(2, QLocale::ShortFormat) == QLatin1String("Tue");
}

} // namespace

TEST(CliData, MetersAndDays)
{
    TDayFixture fx(QStringLiteral("1234567"), QStringLiteral("20160315"));
    QDir().mkpath(fx.Base() + QStringLiteral("1234567/20160301"));
    QDir().mkpath(fx.Base() + QStringLiteral("7654321/20170101"));
    QDir().mkpath(fx.Base() + QStringLiteral("notameter"));
    const QString sBase = fx.Base().chopped(1); // given without the separator
    TCliResult r = RunCli({QStringLiteral("meters"), sBase});
    EXPECT_EQ(r.nRc, cli::kExitOk);
    EXPECT_EQ(r.sOut, QStringLiteral("1234567\n7654321\n"));
    r = RunCli({QStringLiteral("days"), fx.Base(), QStringLiteral("1234567")});
    EXPECT_EQ(r.nRc, cli::kExitOk);
    EXPECT_EQ(r.sOut, QStringLiteral("20160301\n20160315\n"));
    r = RunCli({QStringLiteral("days"), fx.Base(), QStringLiteral("1111111")});
    EXPECT_EQ(r.nRc, cli::kExitOk);
    EXPECT_EQ(r.sOut, QString());
}

TEST(CliData, UsageErrors)
{
    const QStringList aCases[] = {
        {QStringLiteral("meters")},
        {QStringLiteral("meters"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("days"), QStringLiteral("a")},
        {QStringLiteral("day"), QStringLiteral("a"), QStringLiteral("1234567")},
        {QStringLiteral("sample-drive")},
        {QStringLiteral("sample-drive"), QStringLiteral("d"), QStringLiteral("--days")},
        {QStringLiteral("sample-drive"), QStringLiteral("d"), QStringLiteral("--days"), QStringLiteral("0")},
        {QStringLiteral("sample-drive"), QStringLiteral("d"), QStringLiteral("--days"), QStringLiteral("x")},
        {QStringLiteral("sample-drive"), QStringLiteral("d"), QStringLiteral("--serial"), QStringLiteral("123456")},
        {QStringLiteral("sample-drive"), QStringLiteral("d"), QStringLiteral("--serial"), QStringLiteral("12345a7")},
        {QStringLiteral("sample-drive"), QStringLiteral("d"), QStringLiteral("--seed"), QStringLiteral("-1")},
        {QStringLiteral("sample-drive"), QStringLiteral("d"), QStringLiteral("--colour")},
        {QStringLiteral("sample-drive"), QStringLiteral("d"), QStringLiteral("e")},
    };
    for (const QStringList &sl : aCases) {
        const TCliResult r = RunCli(sl);
        EXPECT_EQ(r.nRc, cli::kExitUsage) << sl.join(' ').toStdString();
        EXPECT_FALSE(r.sErr.isEmpty()) << sl.join(' ').toStdString();
        EXPECT_TRUE(r.sOut.isEmpty()) << sl.join(' ').toStdString();
    }
}

TEST(CliData, DayAsJson)
{
    TDayFixture fx;
    TBinFile b1 = MakeRunHeader(1, QStringLiteral("1234567"), QStringLiteral("632A"),
                                TDayFixture::At(8, 59, 30));
    SetCalibration(b1, false, TDayFixture::At(9, 5, 0));
    WriteBinFile(fx.Path(QStringLiteral("R001.BIN")), b1);
    fx.WriteRun(2, TDayFixture::At(12, 0, 0));
    // 60 and 70 dB in two of the event's eight seconds.
    WritePrfFile(fx.Path(QStringLiteral("R001.PRF")),
                 {{9, 0, 9, 60.0, 64.0}, {9, 0, 10, 70.0, 70.0}, {8, 0, 0, 40.0, 41.0}}, false);
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 2, {{9, 0, 10, 0, 0, 5, 3}});
    WriteEvtFile(fx.Path(QStringLiteral("R002.EVT")), 0, {{13, 0, 0, 0, 0, 2, 0}});
    WriteToneWav(fx.Path(QStringLiteral("R002NOTE.WAV")), 0.1, 300);
    dlv::test::WriteFile(fx.Path(QStringLiteral("evtx.csv")),
                         "Event,Notes,Report\r\n13:00:00,\"say \"\"hi\"\"\\\",0\r\n");
    const TCliResult r = RunCli({QStringLiteral("day"), fx.Base(), QStringLiteral("1234567"),
                                 QStringLiteral("20160315")});
    ASSERT_EQ(r.nRc, cli::kExitOk) << r.sErr.toStdString();
    const double flLAeq = 10.0 * std::log10((1e6 + 1e7) / 2.0);
    const QString sCal = DayTimeLabel(EncodeDateTime(2016, 3, 15, 9, 5, 0));
    const QString sWant =
        QStringLiteral("{\"meter\":\"1234567\",\"date\":\"20160315\",\"binOk\":true,\"headers\":2,"
                       "\"model\":\"ZEV632A\",\"calibrations\":[\"%1\"],\"hasProfile\":true,\"events\":["
                       "{\"kind\":\"event\",\"start\":\"09:00:08\",\"duration\":7,\"laeq\":%2,"
                       "\"lafmax\":70.0,\"wav\":\"R001E003.WAV\",\"notes\":\"\",\"report\":true},"
                       "{\"kind\":\"voicenote\",\"start\":\"12:00:00\",\"duration\":0,\"laeq\":0.0,"
                       "\"lafmax\":0.0,\"wav\":\"R002NOTE.WAV\",\"notes\":\"\",\"report\":false},"
                       "{\"kind\":\"event\",\"start\":\"13:00:00\",\"duration\":2,\"laeq\":-1.0,"
                       "\"lafmax\":0.0,\"wav\":\"\",\"notes\":\"say \\\"hi\\\"\\\\\",\"report\":false}]}\n")
            .arg(sCal, Shortest(flLAeq));
    EXPECT_EQ(r.sOut, sWant);
    if (EnglishNames()) {
        EXPECT_EQ(sCal, QStringLiteral("Tue Mar 15, 2016 09:05:00"));
    }
    // It is JSON, and the level reads back as the very same double.
    const QJsonObject obj = QJsonDocument::fromJson(r.sOut.toUtf8()).object();
    EXPECT_EQ(obj.value(QStringLiteral("events")).toArray().at(0).toObject().value(QStringLiteral("laeq")).toDouble(),
              flLAeq);
}

TEST(CliData, DayWithoutHeadersExitsOne)
{
    TDayFixture fx;
    const TCliResult r = RunCli({QStringLiteral("day"), fx.Base(), QStringLiteral("1234567"),
                                 QStringLiteral("20160316")});
    EXPECT_EQ(r.nRc, cli::kExitFalse);
    EXPECT_EQ(r.sOut, QStringLiteral("{\"meter\":\"1234567\",\"date\":\"20160316\",\"binOk\":false,"
                                     "\"headers\":0,\"model\":\"\",\"calibrations\":[],"
                                     "\"hasProfile\":false,\"events\":[]}\n"));
}

TEST(CliData, DayWithAShortHeaderPrintsNoEvents)
{
    TDayFixture fx;
    fx.WriteRun(1);
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 0, {{13, 0, 0, 0, 0, 2, 0}});
    dlv::test::WriteFile(fx.Path(QStringLiteral("R002.BIN")), QByteArray(100, '\0'));
    const TCliResult r = RunCli({QStringLiteral("day"), fx.Base(), QStringLiteral("1234567"),
                                 QStringLiteral("20160315")});
    EXPECT_EQ(r.nRc, cli::kExitFalse);
    const QJsonObject obj = QJsonDocument::fromJson(r.sOut.toUtf8()).object();
    EXPECT_EQ(obj.value(QStringLiteral("headers")).toInt(), 1);
    EXPECT_EQ(obj.value(QStringLiteral("model")).toString(), QStringLiteral("ZEV632A"));
    EXPECT_TRUE(obj.value(QStringLiteral("events")).toArray().isEmpty());
}

TEST(CliData, RaisedErrorsExitThree)
{
    TDayFixture fx;
    fx.WriteRun(1);
    QByteArray ab = EvtFileBytes(0, {{13, 0, 0, 0, 0, 2, 0}});
    ab[32] = char(0x3F);
    dlv::test::WriteFile(fx.Path(QStringLiteral("R001.EVT")), ab);
    const TCliResult r = RunCli({QStringLiteral("day"), fx.Base(), QStringLiteral("1234567"),
                                 QStringLiteral("20160315")});
    EXPECT_EQ(r.nRc, cli::kExitError);
    EXPECT_TRUE(r.sOut.isEmpty());
    EXPECT_TRUE(r.sErr.contains(QStringLiteral("BCD"))) << r.sErr.toStdString();
}

TEST(CliData, SampleDriveWritesABelievableData)
{
    QTemporaryDir dir(dlv::test::FastTempTemplate());
    const QString sData = dir.path() + QStringLiteral("/data");
    TCliResult r = RunCli({QStringLiteral("sample-drive"), sData, QStringLiteral("--days"),
                           QStringLiteral("2"), QStringLiteral("--serial"), QStringLiteral("7654321"),
                           QStringLiteral("--seed"), QStringLiteral("5"), QStringLiteral("--as-data")});
    ASSERT_EQ(r.nRc, cli::kExitOk) << r.sErr.toStdString();
    r = RunCli({QStringLiteral("meters"), sData});
    EXPECT_EQ(r.sOut, QStringLiteral("7654321\n"));
    r = RunCli({QStringLiteral("days"), sData, QStringLiteral("7654321")});
    const QStringList slDays = r.sOut.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(slDays.size(), 2);
    // Ends yesterday.
    EXPECT_EQ(DirNameToDate(slDays[1]), DirNameToDate(QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyyMMdd"))));

    TFileSys630 fs([sData] { return sData + QLatin1Char('/'); });
    for (const QString &sDay : slDays) {
        ASSERT_TRUE(fs.LoadBin(QStringLiteral("7654321"), sDay));
        const int nRuns = static_cast<int>(fs.BinFiles().size());
        EXPECT_TRUE(nRuns == 2 || nRuns == 3) << nRuns;
        EXPECT_TRUE(fs.LoadProfiles());
        fs.LoadEvents();
        EXPECT_FALSE(fs.Calibrations().isEmpty());
        EXPECT_TRUE(fs.Model().startsWith(QStringLiteral("ZEV")));
        for (const TBinFile &bin : fs.BinFiles())
            EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(bin.abySerNum), 7), QByteArray("7654321"));
        // Most of the day is covered, with a gap somewhere.
        int nFilled = 0;
        for (int s = 0; s < 86400; ++s)
            nFilled += IsNoLevel(fs.aflLeq[static_cast<size_t>(s)]) ? 0 : 1;
        EXPECT_GT(nFilled, 80000);
        EXPECT_LT(nFilled, 86400);
        // Quieter at night than in the morning traffic.
        auto energyMean = [&fs](int nFrom, int nTo) {
            double flSum = 0;
            int n = 0;
            for (int s = nFrom; s < nTo; ++s) {
                if (!IsNoLevel(fs.aflLeq[static_cast<size_t>(s)])) {
                    flSum += std::pow(10.0, fs.aflLeq[static_cast<size_t>(s)] / 10);
                    ++n;
                }
            }
            return 10 * std::log10(flSum / n);
        };
        EXPECT_LT(energyMean(2 * 3600, 4 * 3600) + 10, energyMean(7 * 3600, 9 * 3600));
        // Events with their recordings, and a voice note; every named recording exists.
        int nEvents = 0, nNotes = 0, nWavs = 0;
        for (int i = 0; i < fs.EventCount(); ++i) {
            const TEvent &e = fs.aevt[static_cast<size_t>(i)];
            if (e.evttype == TEventType::etVoiceNotes) {
                ++nNotes;
            } else {
                ++nEvents;
                EXPECT_GT(e.flLAeq, 30.0);
                EXPECT_GE(e.flLAFMax, e.flLAeq);
            }
            if (!e.sWavFile.isEmpty()) {
                ++nWavs;
                const QByteArray ab = dlv::test::ReadFile(fs.DayFolder() + e.sWavFile);
                EXPECT_TRUE(ab.startsWith("RIFF") && ab.mid(8, 4) == "WAVE") << e.sWavFile.toStdString();
                EXPECT_GT(ab.size(), 8000); // at least half a second at 8 kHz
            }
        }
        EXPECT_GE(nEvents, 10);
        EXPECT_GE(nNotes, 1);
        EXPECT_GT(nWavs, nEvents / 2);
        EXPECT_GE(QDir(fs.DayFolder()).entryList({QStringLiteral("*.MKR")}).size(), 2);
        EXPECT_GE(QDir(fs.DayFolder()).entryList({QStringLiteral("*.EPR")}).size(), 2);
    }
}

TEST(CliData, SampleDriveIsRepeatableBySeed)
{
    QTemporaryDir dir(dlv::test::FastTempTemplate());
    auto write = [&dir](const QString &sName, const QString &sSeed) {
        const QString sDir = dir.path() + QLatin1Char('/') + sName;
        EXPECT_EQ(RunCli({QStringLiteral("sample-drive"), sDir, QStringLiteral("--days"),
                          QStringLiteral("1"), QStringLiteral("--seed"), sSeed})
                      .nRc,
                  cli::kExitOk);
        QStringList sl;
        QByteArray abAll;
        QDirIterator it(sDir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            sl << it.next();
        sl.sort();
        for (const QString &s : sl)
            abAll += s.mid(sDir.size()).toUtf8() + dlv::test::ReadFile(s);
        return abAll;
    };
    const QByteArray ab1 = write(QStringLiteral("a"), QStringLiteral("9"));
    EXPECT_EQ(write(QStringLiteral("b"), QStringLiteral("9")), ab1);
    EXPECT_NE(write(QStringLiteral("c"), QStringLiteral("10")), ab1);
    // The drive layout: dated folders at the root.
    const QStringList slRoot = QDir(dir.path() + QStringLiteral("/a")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(slRoot.size(), 1);
    EXPECT_NE(DirNameToDate(slRoot[0]), NoDate);
}

TEST(CliData, SampleDriveThatCannotBeWrittenExitsThree)
{
    QTemporaryDir dir(dlv::test::FastTempTemplate());
    dlv::test::WriteFile(dir.path() + QStringLiteral("/file"), "x");
    const TCliResult r = RunCli({QStringLiteral("sample-drive"), dir.path() + QStringLiteral("/file/sub")});
    EXPECT_EQ(r.nRc, cli::kExitError);
    EXPECT_FALSE(r.sErr.isEmpty());
}
