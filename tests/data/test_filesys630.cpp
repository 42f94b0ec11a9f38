// The day measurement read from meter files written by the fixture writers:
// run headers, time histories, events, voice notes and their annotations.
#include "dlvdatafixture.h"
#include "dlverror.h"
#include "dlvtesthome.h"
#include "dlvutils.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace dlv;
using dlv::test::TDayFixture;

namespace {

// Limits the size of files this process writes for its lifetime (SIGXFSZ
// ignored, so an oversized write just fails).
class TFileSizeLimit
{
public:
    explicit TFileSizeLimit(rlim_t nBytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lim = m_old;
        lim.rlim_cur = nBytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

std::vector<TPrfRecord> Constant(int nFrom, int nCount, double flLeq, double flMax)
{
    std::vector<TPrfRecord> a;
    for (int s = nFrom; s < nFrom + nCount; ++s)
        a.push_back(PrfAt(s, flLeq, flMax));
    return a;
}

} // namespace

// ---------------------------------------------------------------- run headers

TEST(RunHeaders, LoadsEveryHeaderInNameOrder)
{
    TDayFixture fx;
    TBinFile b2 = MakeRunHeader(2, QStringLiteral("1234567"), QStringLiteral("633B"),
                                TDayFixture::At(12, 0, 0));
    WriteBinFile(fx.Path(QStringLiteral("R002.BIN")), b2);
    fx.WriteRun(1);
    QDir().mkpath(fx.Path(QStringLiteral("X.BIN"))); // a folder never counts
    EXPECT_TRUE(fx.Load());
    ASSERT_EQ(fx.fs->BinFiles().size(), 2u);
    EXPECT_EQ(fx.fs->BinFiles()[0].wRunNumber, 1);
    EXPECT_EQ(fx.fs->BinFiles()[1].wRunNumber, 2);
    EXPECT_EQ(fx.fs->Model(), QStringLiteral("ZEV632A")); // from R001.BIN
    EXPECT_TRUE(fx.fs->Loaded());
    EXPECT_EQ(fx.fs->Meter(), QStringLiteral("1234567"));
    EXPECT_EQ(fx.fs->Date(), QStringLiteral("20160315"));
}

TEST(RunHeaders, HeaderFilesMatchRegardlessOfCaseAndSortByName)
{
    TDayFixture fx;
    struct File {
        const char *pName;
        int nRun;
    } files[] = {{"r003.bin", 3}, {"R001.BIN", 1}, {"R002.Bin", 2}, {".R000.BIN", 9},
                 {"R004.BINX", 4}, {"R005.BI", 5}, {"R006BIN", 6}};
    for (const File &f : files)
        WriteBinFile(fx.Path(QString::fromLatin1(f.pName)),
                     MakeRunHeader(f.nRun, QStringLiteral("1234567"), QStringLiteral("632A"),
                                   TDayFixture::At(8, 0, 0)));
    EXPECT_TRUE(fx.Load());
    std::vector<int> anRuns;
    for (const TBinFile &bin : fx.fs->BinFiles())
        anRuns.push_back(bin.wRunNumber);
    // The hidden ".R000.BIN" sorts first, then names with letter case ignored;
    // the last three are not *.BIN.
    EXPECT_EQ(anRuns, (std::vector<int>{9, 1, 2, 3}));
}

TEST(RunHeaders, EmptyOrMissingDayFolderIsFalseButLoaded)
{
    TDayFixture fx;
    EXPECT_FALSE(fx.Load());
    EXPECT_TRUE(fx.fs->Loaded());
    EXPECT_TRUE(fx.fs->BinFiles().empty());
    EXPECT_EQ(fx.fs->Model(), QString());
    EXPECT_EQ(fx.fs->Calibrations(), QString());
    EXPECT_FALSE(fx.fs->LoadBin(QStringLiteral("7654321"), QStringLiteral("20160101")));
    EXPECT_EQ(fx.fs->Meter(), QStringLiteral("7654321"));
}

TEST(RunHeaders, ShortHeaderFailsTheLoadAndTheOthersLoad)
{
    TDayFixture fx;
    fx.WriteRun(1);
    QByteArray ab = BinFileBytes(MakeRunHeader(2, QStringLiteral("1234567"), QStringLiteral("632A"),
                                               TDayFixture::At(9, 0, 0)));
    ab.chop(1);
    dlv::test::WriteFile(fx.Path(QStringLiteral("R002.BIN")), ab);
    EXPECT_FALSE(fx.Load());
    ASSERT_EQ(fx.fs->BinFiles().size(), 1u);
    EXPECT_EQ(fx.fs->BinFiles()[0].wRunNumber, 1);
}

TEST(RunHeaders, LongerFileGivesItsFirst128Bytes)
{
    TDayFixture fx;
    QByteArray ab = BinFileBytes(MakeRunHeader(7, QStringLiteral("1234567"), QStringLiteral("632A"),
                                               TDayFixture::At(9, 0, 0)));
    dlv::test::WriteFile(fx.Path(QStringLiteral("R007.BIN")), ab + QByteArray(50, 'x'));
    EXPECT_TRUE(fx.Load());
    EXPECT_EQ(fx.fs->BinFiles().at(0).wRunNumber, 7);
}

TEST(RunHeaders, UnreadableHeaderRaises)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not stop root";
    TDayFixture fx;
    fx.WriteRun(1);
    QFile::setPermissions(fx.Path(QStringLiteral("R001.BIN")), QFileDevice::WriteOwner);
    EXPECT_THROW(fx.Load(), EDlvError);
}

TEST(RunHeaders, ModelCharacters)
{
    struct Case {
        QByteArray aby;
        QString sModel;
    } cases[] = {
        {QByteArray("632A", 4), QStringLiteral("ZEV632A")},
        {QByteArray("6\0" "32", 4), QStringLiteral("ZEV6")},
        {QByteArray("\0" "632", 4), QStringLiteral("ZEV")},
        {QByteArray("6\xE9\xFF" "A", 4), QStringLiteral("ZEV6\u00E9\u00FFA")}, // Latin-1
    };
    for (const Case &c : cases) {
        TDayFixture fx;
        TBinFile bin = MakeRunHeader(1, QStringLiteral("1234567"), QString(), TDayFixture::At(9, 0, 0));
        std::memcpy(bin.abyModelNum, c.aby.constData(), 4);
        WriteBinFile(fx.Path(QStringLiteral("R001.BIN")), bin);
        ASSERT_TRUE(fx.Load());
        EXPECT_EQ(fx.fs->Model(), c.sModel);
    }
}

TEST(RunHeaders, CalibrationsLastRunFirstWithoutDuplicates)
{
    TDayFixture fx;
    TBinFile b1 = MakeRunHeader(1, QStringLiteral("1234567"), QStringLiteral("632A"),
                                TDayFixture::At(9, 0, 0));
    SetCalibration(b1, false, TDayFixture::At(9, 5, 0));
    SetCalibration(b1, true, TDayFixture::At(17, 30, 15));
    TBinFile b2 = MakeRunHeader(2, QStringLiteral("1234567"), QStringLiteral("632A"),
                                TDayFixture::At(18, 0, 0));
    SetCalibration(b2, false, TDayFixture::At(17, 30, 15)); // same second as run 1's post check
    SetCalibration(b2, true, TDayFixture::At(23, 1, 2));
    WriteBinFile(fx.Path(QStringLiteral("R001.BIN")), b1);
    WriteBinFile(fx.Path(QStringLiteral("R002.BIN")), b2);
    ASSERT_TRUE(fx.Load());
    const QString sLabel1 = DayTimeLabel(EncodeDateTime(2016, 3, 15, 17, 30, 15));
    const QString sLabel2 = DayTimeLabel(EncodeDateTime(2016, 3, 15, 23, 1, 2));
    const QString sLabel3 = DayTimeLabel(EncodeDateTime(2016, 3, 15, 9, 5, 0));
    EXPECT_EQ(fx.fs->Calibrations(), QStringLiteral("\"%1\";\"%2\";\"%3\"").arg(sLabel1, sLabel2, sLabel3));
    EXPECT_EQ(SplitCalibrations(fx.fs->Calibrations()), (QStringList{sLabel1, sLabel2, sLabel3}));
}

TEST(RunHeaders, OnlyValidFlagOneAddsALabel)
{
    for (uint8_t byFlag : {0, 2, 255}) {
        TDayFixture fx;
        TBinFile b = MakeRunHeader(1, QStringLiteral("1234567"), QStringLiteral("632A"),
                                   TDayFixture::At(9, 0, 0));
        SetCalibration(b, false, TDayFixture::At(9, 5, 0));
        SetCalibration(b, true, TDayFixture::At(10, 5, 0));
        b.byPreCalValid = byFlag;
        b.byPostCalValid = byFlag;
        WriteBinFile(fx.Path(QStringLiteral("R001.BIN")), b);
        ASSERT_TRUE(fx.Load());
        EXPECT_EQ(fx.fs->Calibrations(), QString()) << int(byFlag);
    }
}

TEST(RunHeaders, BadCalibrationDateRaises)
{
    for (uint8_t byMonth : {0x13, 0x1A, 0x00}) {
        TDayFixture fx;
        TBinFile b = MakeRunHeader(1, QStringLiteral("1234567"), QStringLiteral("632A"),
                                   TDayFixture::At(9, 0, 0));
        SetCalibration(b, true, TDayFixture::At(9, 5, 0));
        b.abyPostCalDate[1] = byMonth;
        WriteBinFile(fx.Path(QStringLiteral("R001.BIN")), b);
        ASSERT_TRUE(fx.Load());
        EXPECT_THROW(fx.fs->Calibrations(), EDlvError) << int(byMonth);
    }
}

// ------------------------------------------------------------- time history

TEST(TimeHistory, PlacesRecordsBySecondOfDay)
{
    TDayFixture fx;
    fx.WriteRun(1);
    std::vector<TPrfRecord> a = {{12, 0, 0, 100.0, 101.5}, {0, 0, 0, 0.0, 0.0}, {23, 59, 59, 45.25, 50.0}};
    WritePrfFile(fx.Path(QStringLiteral("R001.PRF")), a, false);
    ASSERT_TRUE(fx.Load());
    EXPECT_TRUE(fx.fs->LoadProfiles());
    EXPECT_TRUE(fx.fs->HasProfile());
    EXPECT_EQ(fx.fs->aflLeq[43200], 100.0);
    EXPECT_EQ(fx.fs->aflMax[43200], 101.5);
    EXPECT_EQ(fx.fs->aflLeq[0], 0.0); // a stored 0 is a value
    EXPECT_EQ(fx.fs->aflLeq[86399], 45.25);
    EXPECT_TRUE(std::isnan(fx.fs->aflLeq[1]));
    EXPECT_TRUE(std::isnan(fx.fs->aflLeq[86400]));
    EXPECT_TRUE(std::isnan(fx.fs->aflMax[43201]));
}

TEST(TimeHistory, RawBytesOfARecord)
{
    TDayFixture fx;
    fx.WriteRun(1);
    QByteArray ab(18, '\0');
    ab[0] = 0x12;
    ab[6] = 0x00;
    ab[7] = 0x7D; // 32000 = 100.0 dB
    ab[10] = char(0xFF);
    ab[11] = char(0xFF); // 65535 / 320
    dlv::test::WriteFile(fx.Path(QStringLiteral("R001.PRF")), ab);
    ASSERT_TRUE(fx.Load());
    ASSERT_TRUE(fx.fs->LoadProfiles());
    EXPECT_EQ(fx.fs->aflLeq[43200], 100.0);
    EXPECT_EQ(fx.fs->aflMax[43200], 204.796875);
}

TEST(TimeHistory, RecordLengthAndPartialRecords)
{
    struct Case {
        bool bLong;       // byPrfLns 1: 28-byte records
        int nExtraBytes;  // a trailing partial record
        int nLoaded;      // whole records placed
    } cases[] = {{false, 1, 2}, {false, 17, 2}, {true, 0, 2}, {true, 27, 2}, {false, 0, 2}};
    for (const Case &c : cases) {
        TDayFixture fx;
        fx.WriteRun(1, TDayFixture::At(8, 0, 0), 1, c.bLong);
        QByteArray ab;
        for (int i = 0; i < 2; ++i)
            ab += PrfRecordBytes({10, 0, i, 50.0 + i, 60.0}, c.bLong);
        ab += QByteArray(c.nExtraBytes, '\x11');
        dlv::test::WriteFile(fx.Path(QStringLiteral("R001.PRF")), ab);
        ASSERT_TRUE(fx.Load());
        ASSERT_TRUE(fx.fs->LoadProfiles());
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(!std::isnan(fx.fs->aflLeq[36000 + i]), i < c.nLoaded)
                << c.bLong << " " << c.nExtraBytes << " " << i;
    }
}

TEST(TimeHistory, OnlyOneSecondRunsLoad)
{
    TDayFixture fx;
    fx.WriteRun(1, TDayFixture::At(8, 0, 0), 3); // five seconds
    WritePrfFile(fx.Path(QStringLiteral("R001.PRF")), Constant(36000, 10, 55.0, 60.0), false);
    ASSERT_TRUE(fx.Load());
    EXPECT_FALSE(fx.fs->LoadProfiles());
    EXPECT_FALSE(fx.fs->HasProfile());
    for (double fl : fx.fs->aflLeq)
        ASSERT_TRUE(std::isnan(fl));
    // Codes outside the table are never one second.
    for (int nCode : {0, 2, 15, 16, 255}) {
        fx.WriteRun(1, TDayFixture::At(8, 0, 0), nCode);
        ASSERT_TRUE(fx.Load());
        EXPECT_FALSE(fx.fs->LoadProfiles()) << nCode;
    }
}

TEST(TimeHistory, LaterRunWinsWhereRunsOverlap)
{
    TDayFixture fx;
    fx.WriteRun(1);
    fx.WriteRun(2);
    WritePrfFile(fx.Path(QStringLiteral("R001.PRF")), Constant(35700, 600, 50.0, 55.0), false);
    WritePrfFile(fx.Path(QStringLiteral("R002.PRF")), Constant(36000, 600, 70.0, 75.0), true);
    fx.WriteRun(2, TDayFixture::At(10, 0, 0), 1, true);
    ASSERT_TRUE(fx.Load());
    ASSERT_TRUE(fx.fs->LoadProfiles());
    EXPECT_EQ(fx.fs->aflLeq[35999], 50.0);
    EXPECT_EQ(fx.fs->aflLeq[36000], 70.0);
    EXPECT_EQ(fx.fs->aflLeq[36299], 70.0);
    EXPECT_EQ(fx.fs->aflMax[36599], 75.0);
    EXPECT_TRUE(std::isnan(fx.fs->aflLeq[36600]));
}

TEST(TimeHistory, MissingFileOfOneRunLeavesTheOthers)
{
    TDayFixture fx;
    fx.WriteRun(1);
    fx.WriteRun(2);
    WritePrfFile(fx.Path(QStringLiteral("R002.PRF")), Constant(100, 5, 40.0, 45.0), false);
    ASSERT_TRUE(fx.Load());
    EXPECT_TRUE(fx.fs->LoadProfiles());
    EXPECT_EQ(fx.fs->aflLeq[104], 40.0);
}

TEST(TimeHistory, BadBcdEndsThatFileOnly)
{
    TDayFixture fx;
    fx.WriteRun(1);
    fx.WriteRun(2);
    QByteArray ab = PrfRecordBytes({1, 0, 0, 41.0, 42.0}, false);
    QByteArray abBad = PrfRecordBytes({1, 0, 1, 41.0, 42.0}, false);
    abBad[1] = char(0x6A);
    ab += abBad + PrfRecordBytes({1, 0, 2, 41.0, 42.0}, false);
    dlv::test::WriteFile(fx.Path(QStringLiteral("R001.PRF")), ab);
    ASSERT_TRUE(fx.Load());
    EXPECT_FALSE(fx.fs->LoadProfiles()); // the only file with records failed
    EXPECT_EQ(fx.fs->aflLeq[3600], 41.0);  // earlier records stay
    EXPECT_TRUE(std::isnan(fx.fs->aflLeq[3602]));
    WritePrfFile(fx.Path(QStringLiteral("R002.PRF")), Constant(5000, 2, 30.0, 31.0), false);
    EXPECT_TRUE(fx.fs->LoadProfiles());
}

TEST(TimeHistory, SlotsPastTheDayAreSkipped)
{
    TDayFixture fx;
    fx.WriteRun(1);
    std::vector<TPrfRecord> a = {
        {24, 0, 0, 80.0, 81.0},   // slot 86400, the spare slot
        {24, 0, 1, 90.0, 91.0},   // one past it
        {25, 0, 0, 90.0, 91.0},
        {23, 99, 99, 90.0, 91.0}, // minutes and seconds that pass midnight
        {99, 99, 99, 90.0, 91.0},
        {23, 59, 59, 60.0, 61.0}, // records after them still load
    };
    WritePrfFile(fx.Path(QStringLiteral("R001.PRF")), a, false);
    ASSERT_TRUE(fx.Load());
    EXPECT_TRUE(fx.fs->LoadProfiles());
    EXPECT_EQ(fx.fs->aflLeq[86400], 80.0);
    EXPECT_EQ(fx.fs->aflLeq[86399], 60.0);
}

TEST(TimeHistory, NotLoadedMeasurementLeavesArraysUntouched)
{
    TFileSys630 fs([] { return QStringLiteral("/nonexistent/"); });
    fs.aflLeq[5] = 12.0;
    EXPECT_FALSE(fs.LoadProfiles());
    EXPECT_EQ(fs.aflLeq[5], 12.0);
}

// ------------------------------------------------------------------- events

TEST(Events, VoiceNoteThenEventsWithLeadTime)
{
    TDayFixture fx;
    fx.WriteRun(1, TDayFixture::At(8, 59, 30));
    WriteToneWav(fx.Path(QStringLiteral("R001NOTE.WAV")), 0.2, 440);
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 2,
                 {{9, 0, 10, 0, 0, 5, 3}, {9, 30, 0, 0, 1, 0, 0}});
    ASSERT_TRUE(fx.LoadDay());
    ASSERT_EQ(fx.fs->EventCount(), 3);
    const TEvent &note = fx.fs->aevt[0];
    EXPECT_EQ(note.evttype, TEventType::etVoiceNotes);
    EXPECT_EQ(note.sStart, QStringLiteral("08:59:30"));
    EXPECT_EQ(note.nDuration, 0);
    EXPECT_EQ(note.sWavFile, QStringLiteral("R001NOTE.WAV"));
    EXPECT_FALSE(note.bReport);
    EXPECT_EQ(note.flLAeq, 0.0);
    EXPECT_EQ(note.flLAFMax, 0.0);
    const TEvent &evt = fx.fs->aevt[1];
    EXPECT_EQ(evt.evttype, TEventType::etEvent);
    EXPECT_EQ(evt.sStart, QStringLiteral("09:00:08"));
    EXPECT_EQ(evt.StartSec(), 9 * 3600 + 8);
    EXPECT_EQ(evt.nDuration, 7);
    EXPECT_EQ(evt.sWavFile, QStringLiteral("R001E003.WAV"));
    EXPECT_TRUE(evt.bReport);
    EXPECT_EQ(evt.flLAeq, -1.0); // no time history
    EXPECT_EQ(evt.flLAFMax, -1.0);
    EXPECT_EQ(fx.fs->aevt[2].sWavFile, QString());
    EXPECT_EQ(fx.fs->aevt[2].nDuration, 62);
}

TEST(Events, RunsInLoadOrderAndEntriesFreedOnReload)
{
    TDayFixture fx;
    fx.WriteRun(1);
    fx.WriteRun(2, TDayFixture::At(7, 0, 0));
    WriteEvtFile(fx.Path(QStringLiteral("R002.EVT")), 0, {{7, 0, 5, 0, 0, 1, 1}});
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 0, {{9, 0, 5, 0, 0, 1, 1}});
    WriteToneWav(fx.Path(QStringLiteral("R002NOTE.WAV")), 0.1, 300);
    ASSERT_TRUE(fx.LoadDay());
    ASSERT_EQ(fx.fs->EventCount(), 3);
    EXPECT_EQ(fx.fs->aevt[0].sWavFile, QStringLiteral("R001E001.WAV"));
    EXPECT_EQ(fx.fs->aevt[1].sWavFile, QStringLiteral("R002NOTE.WAV"));
    EXPECT_EQ(fx.fs->aevt[2].sWavFile, QStringLiteral("R002E001.WAV"));
    fx.fs->aevt[0].sNotes = QStringLiteral("edited");
    QFile::remove(fx.Path(QStringLiteral("R002.EVT")));
    ASSERT_TRUE(fx.LoadDay());
    EXPECT_EQ(fx.fs->EventCount(), 2);
    EXPECT_EQ(fx.fs->aevt[0].sNotes, QString());
    EXPECT_EQ(fx.fs->aevt[2].sStart, QString()); // freed slot
}

TEST(Events, RecordingNamesAtEveryWidth)
{
    struct Case {
        int nRun, nRecording;
        const char *pName;
    } cases[] = {
        {1, 3, "R001E003.WAV"},     {12, 345, "R012E345.WAV"},     {999, 999, "R999E999.WAV"},
        {1000, 1, "R1000E001.WAV"}, {7, 65535, "R007E65535.WAV"}, {5, 0, ""},
    };
    TDayFixture fx;
    for (const Case &c : cases) {
        // One day folder reloaded per case: the name is rebuilt in the
        // entry's kept string, never appended to the last one.
        QDir(fx.Day()).removeRecursively();
        QDir().mkpath(fx.Day());
        fx.WriteRun(c.nRun);
        WriteEvtFile(fx.Path(QStringLiteral("R%1.EVT").arg(c.nRun, 3, 10, QLatin1Char('0'))), 0,
                     {{9, 0, 5, 0, 0, 1, c.nRecording}});
        ASSERT_TRUE(fx.LoadDay()) << c.pName;
        ASSERT_EQ(fx.fs->EventCount(), 1) << c.pName;
        EXPECT_EQ(fx.fs->aevt[0].sWavFile, QString::fromLatin1(c.pName));
    }
}

TEST(Events, AnnouncedCountAndPartialRecords)
{
    struct Case {
        int nAnnounced, nRecords, nExtraBytes, nEntries;
    } cases[] = {{5, 3, 20, 3}, {2, 3, 0, 2}, {0, 3, 0, 0}, {3, 3, 43, 3}, {4, 3, 43, 3}};
    for (const Case &c : cases) {
        TDayFixture fx;
        fx.WriteRun(1);
        std::vector<TEvtRecord> a;
        for (int i = 0; i < c.nRecords; ++i)
            a.push_back({10, i, 0, 0, 0, 3, i + 1});
        dlv::test::WriteFile(fx.Path(QStringLiteral("R001.EVT")),
                             EvtFileBytes(1, a, c.nAnnounced) + QByteArray(c.nExtraBytes, '\0'));
        ASSERT_TRUE(fx.LoadDay());
        EXPECT_EQ(fx.fs->EventCount(), c.nEntries) << c.nAnnounced << " " << c.nExtraBytes;
    }
}

TEST(Events, HeaderShorterThan32BytesGivesNoEvents)
{
    TDayFixture fx;
    fx.WriteRun(1);
    dlv::test::WriteFile(fx.Path(QStringLiteral("R001.EVT")), EvtFileBytes(1, {}).left(31));
    ASSERT_TRUE(fx.LoadDay());
    EXPECT_EQ(fx.fs->EventCount(), 0);
}

TEST(Events, Levels)
{
    struct Case {
        const char *pName;
        std::vector<TPrfRecord> aPrf;
        TEvtRecord evt;
        double flLAeq, flLAFMax;
    } cases[] = {
        {"energy average of two seconds",
         {{10, 0, 0, 60.0, 61.0}, {10, 0, 1, 70.0, 71.0}},
         {10, 0, 0, 0, 0, 1, 0},
         10.0 * std::log10((1e6 + 1e7) / 2.0), 71.0},
        {"missing seconds are skipped",
         {{10, 0, 0, 60.0, 61.0}, {10, 0, 2, 60.0, 65.0}, {10, 0, 4, 60.0, 62.0}},
         {10, 0, 0, 0, 0, 4, 0},
         60.0, 65.0},
        {"all seconds missing", {{11, 0, 0, 60.0, 61.0}}, {10, 0, 0, 0, 0, 4, 0}, -1.0, 0.0},
        {"a stored -1.0 is no value either", {}, {10, 0, 0, 0, 0, 0, 0}, -1.0, 0.0},
        {"end limited to the day", {{23, 59, 59, 50.0, 52.0}, {24, 0, 0, 50.0, 53.0}},
         {23, 59, 59, 1, 0, 0, 0}, 50.0, 53.0},
    };
    for (const Case &c : cases) {
        TDayFixture fx;
        fx.WriteRun(1);
        std::vector<TPrfRecord> aPrf = c.aPrf;
        aPrf.push_back({1, 0, 0, 10.0, 10.0}); // some history elsewhere
        WritePrfFile(fx.Path(QStringLiteral("R001.PRF")), aPrf, false);
        WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 0, {c.evt});
        ASSERT_TRUE(fx.Load());
        ASSERT_TRUE(fx.fs->LoadProfiles());
        if (std::string(c.pName).find("-1.0") != std::string::npos)
            fx.fs->aflLeq[36000] = fx.fs->aflMax[36000] = -1.0;
        fx.fs->LoadEvents();
        ASSERT_EQ(fx.fs->EventCount(), 1) << c.pName;
        EXPECT_NEAR(fx.fs->aevt[0].flLAeq, c.flLAeq, 1e-9) << c.pName;
        EXPECT_EQ(fx.fs->aevt[0].flLAFMax, c.flLAFMax) << c.pName;
    }
}

TEST(Events, BadBcdRaisesAndKeepsEarlierEntries)
{
    struct Case {
        int nOffset; // byte of the second record made invalid
    } cases[] = {{0}, {1}, {2}, {4}, {5}, {6}};
    for (const Case &c : cases) {
        TDayFixture fx;
        fx.WriteRun(1);
        WritePrfFile(fx.Path(QStringLiteral("R001.PRF")), {{9, 0, 2, 70.0, 75.0}}, false);
        QByteArray ab = EvtFileBytes(0, {{9, 0, 0, 0, 0, 5, 1}, {9, 1, 0, 0, 0, 5, 2}});
        ab[32 + 44 + c.nOffset] = char(0xA0);
        dlv::test::WriteFile(fx.Path(QStringLiteral("R001.EVT")), ab);
        dlv::test::WriteFile(fx.Path(QStringLiteral("evtx.csv")),
                             "Event,Notes,Report\r\n09:00:00,kept?,0\r\n");
        ASSERT_TRUE(fx.Load());
        fx.fs->LoadProfiles();
        EXPECT_THROW(fx.fs->LoadEvents(), EDlvError) << c.nOffset;
        EXPECT_EQ(fx.fs->EventCount(), 1);
        // The entry read before the fault has its levels all the same.
        EXPECT_NEAR(fx.fs->aevt[0].flLAeq, 70.0, 1e-9);
        EXPECT_EQ(fx.fs->aevt[0].flLAFMax, 75.0);
        EXPECT_EQ(fx.fs->aevt[0].sNotes, QString()); // notes not applied
    }
}

TEST(Events, BadRunStartOfAVoiceNoteRaises)
{
    TDayFixture fx;
    TBinFile b = MakeRunHeader(1, QStringLiteral("1234567"), QStringLiteral("632A"),
                               TDayFixture::At(9, 0, 0));
    b.abyRunStart[3] = 0x24; // hour 24
    WriteBinFile(fx.Path(QStringLiteral("R001.BIN")), b);
    WriteToneWav(fx.Path(QStringLiteral("R001NOTE.WAV")), 0.1, 300);
    ASSERT_TRUE(fx.Load());
    EXPECT_THROW(fx.fs->LoadEvents(), EDlvError);
    // Without the note file the run start is never read.
    QFile::remove(fx.Path(QStringLiteral("R001NOTE.WAV")));
    EXPECT_NO_THROW(fx.fs->LoadEvents());
}

TEST(Events, StartBeforeMidnightIsClampedToTheDay)
{
    TDayFixture fx;
    fx.WriteRun(1, TDayFixture::At(0, 0, 0));
    WritePrfFile(fx.Path(QStringLiteral("R001.PRF")), Constant(0, 10, 50.0, 55.0), false);
    // Stamped 00:00:02 with a lead time of 5 s: it began 3 s before midnight.
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 5, {{0, 0, 2, 0, 0, 4, 0}, {0, 0, 4, 0, 0, 0, 0}});
    ASSERT_TRUE(fx.LoadDay());
    ASSERT_EQ(fx.fs->EventCount(), 2);
    const TEvent &e = fx.fs->aevt[0];
    EXPECT_EQ(e.sStart, QStringLiteral("00:00:00"));
    EXPECT_EQ(e.StartSec(), 0);
    EXPECT_EQ(e.nDuration, 6); // 9 s less the 3 s before midnight: still ends at 00:00:06
    EXPECT_EQ(e.flLAeq, 50.0);
    EXPECT_EQ(fx.fs->aevt[1].sStart, QStringLiteral("00:00:00")); // stamped 00:00:04
    EXPECT_EQ(fx.fs->aevt[1].nDuration, 4);
    fx.fs->aevt[1].sNotes = QStringLiteral("same key");
    fx.fs->aevt[0].sNotes = QStringLiteral("early");
    ASSERT_TRUE(fx.fs->SaveEvtNotes());
    ASSERT_TRUE(fx.LoadDay());
    // Both start at 00:00:00 and so share one row: the last one wins.
    EXPECT_EQ(fx.fs->aevt[0].sNotes, QStringLiteral("same key"));
    EXPECT_EQ(fx.fs->aevt[1].sNotes, QStringLiteral("same key"));
}

TEST(Events, TimeStampsPastMidnightStayReadable)
{
    TDayFixture fx;
    fx.WriteRun(1);
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 0, {{99, 99, 99, 99, 99, 99, 1}});
    ASSERT_TRUE(fx.LoadDay());
    ASSERT_EQ(fx.fs->EventCount(), 1);
    EXPECT_EQ(fx.fs->aevt[0].StartSec(), 99 * 3600 + 99 * 60 + 99);
    EXPECT_EQ(fx.fs->aevt[0].flLAeq, -1.0);
}

TEST(Events, TableHolds1001EntriesAndDropsTheRest)
{
    TDayFixture fx;
    fx.WriteRun(1);
    fx.WriteRun(2);
    WriteToneWav(fx.Path(QStringLiteral("R001NOTE.WAV")), 0.1, 300);
    WriteToneWav(fx.Path(QStringLiteral("R002NOTE.WAV")), 0.1, 300);
    std::vector<TEvtRecord> a;
    for (int i = 0; i < 1200; ++i)
        a.push_back(EvtAt(i, 1, i % 999 + 1));
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 0, a);
    WriteEvtFile(fx.Path(QStringLiteral("R002.EVT")), 0, a);
    ASSERT_TRUE(fx.LoadDay());
    EXPECT_EQ(fx.fs->EventCount(), TFileSys630::kMaxEvents);
    EXPECT_EQ(fx.fs->aevt[0].evttype, TEventType::etVoiceNotes);
    EXPECT_EQ(fx.fs->aevt[1000].sStart, QStringLiteral("00:16:39")); // the 1000th event
    EXPECT_TRUE(fx.fs->SaveEvtNotes());
    ASSERT_TRUE(fx.LoadDay());
    EXPECT_EQ(fx.fs->EventCount(), TFileSys630::kMaxEvents);
}

TEST(Events, StartSecReadsPositions)
{
    struct Case {
        QString sStart;
        int nSec; // -1: raises
    } cases[] = {{QStringLiteral("09:05:00"), 32700}, {QStringLiteral("23:59:59"), 86399},
                 {QStringLiteral("24:00:00"), 86400}, {QStringLiteral("9:05:00"), -1},
                 {QStringLiteral(""), -1},           {QStringLiteral("ab:cd:ef"), -1},
                 {QStringLiteral("09:05"), -1},      {QStringLiteral("09:-5:00"), -1}};
    for (const Case &c : cases) {
        TEvent evt;
        evt.sStart = c.sStart;
        if (c.nSec < 0)
            EXPECT_THROW(evt.StartSec(), EDlvError) << c.sStart.toStdString();
        else
            EXPECT_EQ(evt.StartSec(), c.nSec) << c.sStart.toStdString();
    }
}

// -------------------------------------------------------------- annotations

namespace {

// One event at 09:00:08 (and a voice note at 08:59:30) with evtx.csv given.
void LoadWithEvtx(TDayFixture &fx, const QByteArray &abEvtx)
{
    fx.WriteRun(1, TDayFixture::At(8, 59, 30));
    WriteToneWav(fx.Path(QStringLiteral("R001NOTE.WAV")), 0.1, 300);
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 2, {{9, 0, 10, 0, 0, 5, 3}});
    if (!abEvtx.isNull())
        dlv::test::WriteFile(fx.Path(QStringLiteral("evtx.csv")), abEvtx);
    ASSERT_TRUE(fx.LoadDay());
    ASSERT_EQ(fx.fs->EventCount(), 2);
}

} // namespace

TEST(Annotations, SavedLineFormat)
{
    TDayFixture fx;
    LoadWithEvtx(fx, QByteArray());
    fx.fs->aevt[1].sNotes = QStringLiteral("truck, \"loud\"");
    fx.fs->aevt[1].bReport = false;
    ASSERT_TRUE(fx.fs->SaveEvtNotes());
    EXPECT_EQ(dlv::test::ReadFile(fx.Path(QStringLiteral("evtx.csv"))),
              QByteArray("Event,Notes,Report\r\n08:59:30,,0\r\n09:00:08,\"truck, \"\"loud\"\"\",0\r\n"));
    ASSERT_TRUE(fx.LoadDay());
    EXPECT_EQ(fx.fs->aevt[1].sNotes, QStringLiteral("truck, \"loud\""));
    EXPECT_FALSE(fx.fs->aevt[1].bReport);
    EXPECT_FALSE(fx.fs->aevt[0].bReport);
}

TEST(Annotations, LoadingRules)
{
    struct Case {
        const char *pName;
        QByteArray abEvtx;
        QString sNote;  // of the event at 09:00:08
        bool bReport;
        QString sVoiceNote;
        bool bVoiceReport;
    } cases[] = {
        {"report yes loads as on", "Event,Notes,Report\r\n09:00:08,a,yes\r\n", "a", true, "", false},
        {"empty report loads as on", "Event,Notes,Report\r\n09:00:08,a,\r\n", "a", true, "", false},
        {"0 is off", "Event,Notes,Report\r\n09:00:08,a,0\r\n", "a", false, "", false},
        {"fields found by name", "Report,Event,Notes\n0,09:00:08,b\n", "b", false, "", false},
        {"last row of a start wins",
         "Event,Notes,Report\r\n09:00:08,first,0\r\n09:00:08,second,1\r\n", "second", true, "", false},
        {"short line: empty note, report on", "Event,Notes,Report\r\n09:00:08\r\n", "", true, "", false},
        {"unknown start ignored", "Event,Notes,Report\r\n10:00:00,x,0\r\n", "", true, "", false},
        {"letter case of the start counts", "Event,Notes,Report\r\n08:59:30,v,1\r\n", "", true, "v", true},
        {"header only", "Event,Notes,Report\r\n", "", true, "", false},
        {"empty file", "", "", true, "", false},
    };
    for (const Case &c : cases) {
        TDayFixture fx;
        LoadWithEvtx(fx, c.abEvtx);
        EXPECT_EQ(fx.fs->aevt[1].sNotes, c.sNote) << c.pName;
        EXPECT_EQ(fx.fs->aevt[1].bReport, c.bReport) << c.pName;
        EXPECT_EQ(fx.fs->aevt[0].sNotes, c.sVoiceNote) << c.pName;
        EXPECT_EQ(fx.fs->aevt[0].bReport, c.bVoiceReport) << c.pName;
    }
}

TEST(Annotations, SameStartSharesTheRow)
{
    TDayFixture fx;
    fx.WriteRun(1, TDayFixture::At(9, 0, 8));
    WriteToneWav(fx.Path(QStringLiteral("R001NOTE.WAV")), 0.1, 300);
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 2, {{9, 0, 10, 0, 0, 5, 3}});
    dlv::test::WriteFile(fx.Path(QStringLiteral("evtx.csv")), "Event,Notes,Report\r\n09:00:08,both,0\r\n");
    ASSERT_TRUE(fx.LoadDay());
    ASSERT_EQ(fx.fs->EventCount(), 2);
    EXPECT_EQ(fx.fs->aevt[0].sStart, fx.fs->aevt[1].sStart);
    EXPECT_EQ(fx.fs->aevt[0].sNotes, QStringLiteral("both"));
    EXPECT_EQ(fx.fs->aevt[1].sNotes, QStringLiteral("both"));
    EXPECT_FALSE(fx.fs->aevt[1].bReport);
}

TEST(Annotations, FullTableEachRowFindsExactlyItsEntries)
{
    // 1000 events a minute apart and one far past midnight ("100:40:39", a
    // longer key), every third one annotated, among rows that name no entry.
    TDayFixture fx;
    fx.WriteRun(1);
    std::vector<TEvtRecord> aEvt;
    for (int i = 0; i < 1000; ++i) {
        const int nAt = 10 + i * 60;
        aEvt.push_back(EvtAt(nAt, 1, 0));
    }
    aEvt.push_back({99, 99, 99, 0, 0, 1, 0});
    WriteEvtFile(fx.Path(QStringLiteral("R001.EVT")), 0, aEvt);
    QByteArray abCsv("Event,Notes,Report\r\n 00:00:10,space,0\r\n0:00:10,short,0\r\n");
    for (int i = 0; i < 1000; i += 3) {
        const int nAt = 10 + i * 60;
        abCsv += QString::asprintf("%02d:%02d:%02d,note %d,0\r\n", nAt / 3600, nAt / 60 % 60,
                                   nAt % 60, i)
                     .toLatin1();
    }
    abCsv += "100:40:39,late,0\r\n23:59:59,nobody,0\r\n";
    dlv::test::WriteFile(fx.Path(QStringLiteral("evtx.csv")), abCsv);
    ASSERT_TRUE(fx.LoadDay());
    ASSERT_EQ(fx.fs->EventCount(), 1001);
    for (int i = 0; i < 1000; ++i) {
        const TEvent &e = fx.fs->aevt[static_cast<size_t>(i)];
        EXPECT_EQ(e.sNotes, i % 3 == 0 ? QStringLiteral("note %1").arg(i) : QString()) << i;
        EXPECT_EQ(e.bReport, i % 3 != 0) << i;
    }
    EXPECT_EQ(fx.fs->aevt[1000].sStart, QStringLiteral("100:40:39"));
    EXPECT_EQ(fx.fs->aevt[1000].sNotes, QStringLiteral("late"));
}

TEST(Annotations, DeletingTheFileRestoresDefaults)
{
    TDayFixture fx;
    LoadWithEvtx(fx, "Event,Notes,Report\r\n09:00:08,n,0\r\n");
    EXPECT_FALSE(fx.fs->aevt[1].bReport);
    QFile::remove(fx.Path(QStringLiteral("evtx.csv")));
    ASSERT_TRUE(fx.LoadDay());
    EXPECT_TRUE(fx.fs->aevt[1].bReport);
    EXPECT_EQ(fx.fs->aevt[1].sNotes, QString());
}

TEST(Annotations, LoadingNeverWrites)
{
    TDayFixture fx;
    LoadWithEvtx(fx, QByteArray());
    EXPECT_FALSE(QFile::exists(fx.Path(QStringLiteral("evtx.csv"))));
}

TEST(Annotations, FailedSaveKeepsThePreviousFile)
{
    TDayFixture fx;
    const QByteArray abOld("Event,Notes,Report\r\n09:00:08,old note,0\r\n");
    LoadWithEvtx(fx, abOld);
    fx.fs->aevt[1].sNotes = QStringLiteral("a new note long enough to pass the limit");
    bool bSaved = true;
    {
        // A file-size limit makes the write fail even for root (as a full disk
        // would); the old file must survive whole. Nothing may print in here:
        // the limit applies to redirected output too.
        TFileSizeLimit limit(24);
        bSaved = fx.fs->SaveEvtNotes();
    }
    EXPECT_FALSE(bSaved);
    EXPECT_EQ(dlv::test::ReadFile(fx.Path(QStringLiteral("evtx.csv"))), abOld);
    EXPECT_EQ(QDir(fx.Day()).entryList(QStringList{QStringLiteral("evtx*")}, QDir::Files).size(), 1);
    // A day folder that has gone: nothing is written anywhere.
    ASSERT_TRUE(QDir(fx.Day()).removeRecursively());
    EXPECT_FALSE(fx.fs->SaveEvtNotes());
    EXPECT_FALSE(QFile::exists(fx.Path(QStringLiteral("evtx.csv"))));
}

TEST(Annotations, NamesThatLeaveTheDataFolderAreNeverWritten)
{
    TDayFixture fx;
    for (const QString &sDate : {QStringLiteral(".."), QStringLiteral("../x"), QString()}) {
        fx.fs->LoadBin(QStringLiteral("1234567"), sDate);
        EXPECT_FALSE(fx.fs->SaveEvtNotes()) << sDate.toStdString();
    }
    EXPECT_FALSE(QFile::exists(fx.Base() + QStringLiteral("1234567/evtx.csv")));
}
