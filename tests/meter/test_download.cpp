// The recording download without a thread: the folder, serial, extension and
// copy rules, the data and archive layout, progress, cancel, and copies that
// fail part-way.
#include "dlvcli.h"
#include "dlvmeter.h"
#include "dlvmeterfiles.h"
#include "dlvmetertest.h"
#include "dlvtestcli.h"
#include "dlvtesthome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

using dlv::TMeterThread;
using dlv::TRecordingDownload;
using dlv::test::FileNames;
using dlv::test::ReadFile;
using dlv::test::WriteRun;
using dlv::test::WriteRunHeader;
using dlv::test::WriteSized;

namespace {

const QString kSerial = QStringLiteral("1234567");

TEST(MeterLabel, FirstSevenCharactersAndModelLetter)
{
    const struct
    {
        const char *label;
        bool bMeter;
    } cases[] = {
        { "ROZ-633A", true },
        { "ZOD-632C", true },
        { "ZOD-632B", true },
        { "ZOD-632AXYZ", true },
        { "ROZ-633D", false },
        { "ZEV-634A", false },
        { "roz-633A", false },
        { "ZOD-632a", false },
        { "ROZ-633", false },
        { "", false },
        { " ZOD-632A", false },
        { "ZOD632AA", false },
    };
    for (const auto &c : cases)
        EXPECT_EQ(TMeterThread::IsMeterLabel(QString::fromLatin1(c.label)), c.bMeter) << c.label;
}

TEST(DateFolder, YearMonthDayRanges)
{
    const struct
    {
        const char *name;
        bool bDate;
    } cases[] = {
        { "20110101", true },
        { "20591231", true },
        { "20101231", false },
        { "20600101", false },
        { "20161301", false },
        { "20160100", false },
        { "20160132", false },
        { "20160131", true },
        { "20160231", true },
        { "2016ab01", false },
        { "20160101x", true },
        { "2016010", false },
        { "2016+101", false },
        { "2016 101", false },
        { "", false },
        { "R001.BIN", false },
    };
    for (const auto &c : cases)
        EXPECT_EQ(TRecordingDownload::IsDateFolder(QString::fromLatin1(c.name)), c.bDate) << c.name;
}

// A run header's bytes with bytes 32..38 replaced, cut to nSize bytes.
QByteArray HeaderBytes(const QByteArray &abySerial, int nSize = 128)
{
    QByteArray aby = dlv::BinFileBytes(dlv::MakeRunHeader(
        1, QString(), QStringLiteral("632A"), QDateTime(QDate(2016, 3, 15), QTime(8, 0))));
    aby.replace(32, 7, abySerial.leftJustified(7, '\0', true));
    return aby.left(nSize);
}

TEST(BinSerial, DigitsUpToTheFirstZeroByte)
{
    const struct
    {
        QByteArray abySerial;
        int nSize;
        bool bOk;
        const char *serial;
    } cases[] = {
        { "1234567", 128, true, "1234567" },
        { QByteArray("12345\0\0", 7), 128, true, "12345" },
        { QByteArray("123\0"
                     "456",
              7),
            128, true, "123" },
        { "1234567", 39, true, "1234567" },
        { "1234567", 38, false, "" },
        { "", 128, false, "" },
        { "12a4567", 128, false, "12a4567" },
        { "-123456", 128, false, "-123456" },
        { " 123456", 128, false, " 123456" },
        { "..\\..\\x", 128, false, "..\\..\\x" },
    };
    QTemporaryDir dir;
    int i = 0;
    for (const auto &c : cases) {
        const QString sPath = dir.filePath(QStringLiteral("R%1.BIN").arg(++i));
        ASSERT_TRUE(dlv::test::WriteFile(sPath, HeaderBytes(c.abySerial, c.nSize)));
        QString sSerial = QStringLiteral("old");
        EXPECT_EQ(TRecordingDownload::ReadBinSerial(sPath, sSerial), c.bOk) << i;
        EXPECT_EQ(sSerial, QString::fromLatin1(c.serial)) << i;
    }
    QString sSerial = QStringLiteral("old");
    EXPECT_FALSE(TRecordingDownload::ReadBinSerial(dir.filePath("missing.BIN"), sSerial));
    EXPECT_TRUE(sSerial.isEmpty());
}

TEST(FolderSerial, FromTheFolderRunHeader)
{
    QTemporaryDir dir;
    const QString sNone = dir.filePath("none"), sOther = dir.filePath("other"),
                  sLower = dir.filePath("lower"), sGood = dir.filePath("good");
    ASSERT_TRUE(WriteSized(sNone + "/R001.PRF", 100));
    ASSERT_TRUE(WriteRunHeader(sOther + "/X001.BIN", kSerial));
    ASSERT_TRUE(WriteRunHeader(sLower + "/r001.bin", kSerial));
    ASSERT_TRUE(WriteRunHeader(sGood + "/R001.BIN", kSerial));
    QString sSerial = QStringLiteral("kept");
    EXPECT_FALSE(TRecordingDownload::ReadFolderSerial(sNone, sSerial));
    EXPECT_EQ(sSerial, "kept");
    EXPECT_FALSE(TRecordingDownload::ReadFolderSerial(sOther, sSerial));
    EXPECT_EQ(sSerial, "kept");
    // The meter's file system does not tell case apart.
    EXPECT_TRUE(TRecordingDownload::ReadFolderSerial(sLower, sSerial));
    EXPECT_EQ(sSerial, kSerial);
    EXPECT_TRUE(TRecordingDownload::ReadFolderSerial(sGood, sSerial));
    EXPECT_EQ(sSerial, kSerial);
}

TEST(CopyRule, RecordingExtensionsUpperCaseOnly)
{
    const struct
    {
        const char *name;
        bool bCopy;
    } cases[] = {
        { "R001.BIN", true },
        { "R001.EVT", true },
        { "R001.PRF", true },
        { "R001E001.WAV", true },
        { "R001.MKR", true },
        { "R001.EPR", true },
        { "R001NOTE.WAV", true },
        { "R001.bin", false },
        { "R001.Wav", false },
        { "R001.TXT", false },
        { "R001", false },
        { "R001.B", false },
        { "R001.BINX", true },
        { "R001.X.BIN", false },
        { ".BIN", true },
    };
    for (const auto &c : cases)
        EXPECT_EQ(TRecordingDownload::IsRecordingFile(QString::fromLatin1(c.name)), c.bCopy)
            << c.name;
}

TEST(CopyRule, MissingOrDifferentSize)
{
    QTemporaryDir src, dst;
    ASSERT_TRUE(WriteSized(src.filePath("R001.PRF"), 100, 'a'));
    const QFileInfo fi(src.filePath("R001.PRF"));
    EXPECT_TRUE(TRecordingDownload::NeedsCopy(dst.path(), fi)) << "missing";
    ASSERT_TRUE(WriteSized(dst.filePath("R001.PRF"), 99, 'a'));
    EXPECT_TRUE(TRecordingDownload::NeedsCopy(dst.path(), fi)) << "smaller";
    ASSERT_TRUE(WriteSized(dst.filePath("R001.PRF"), 101, 'a'));
    EXPECT_TRUE(TRecordingDownload::NeedsCopy(dst.path(), fi)) << "larger";
    ASSERT_TRUE(WriteSized(dst.filePath("R001.PRF"), 100, 'b'));
    EXPECT_FALSE(TRecordingDownload::NeedsCopy(dst.path(), fi)) << "same size, other bytes";
}

// A drive, a data folder and an archive home in one temporary folder.
class Download : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString Drive() const { return m_dir.filePath("drive"); }
    QString Data() const { return m_dir.filePath("data") + "/"; }
    QString Home() const { return m_dir.filePath("home"); }
    QString DayData(const QString &sDay, const QString &sSerial = kSerial) const
    {
        return Data() + sSerial + "/" + sDay;
    }
    QString DayArchive(const QString &sDay, const QString &sSerial = kSerial) const
    {
        return Home() + "/Quorvex/dlv/" + sSerial + "/" + sDay;
    }
    TRecordingDownload Make() const { return TRecordingDownload(Drive(), Data(), Home()); }
    bool RunOnce() const
    {
        TRecordingDownload dl = Make();
        return dl.Run();
    }
};

TEST_F(Download, FilesDatedFoldersBySerialAndDayWithArchiveCopies)
{
    const QStringList slDay1 = WriteRun(Drive() + "/20160101", kSerial, 1, 2);
    const QStringList slDay2 = WriteRun(Drive() + "/20160102", kSerial, 1, 1)
        + WriteRun(Drive() + "/20160102", kSerial, 2, 0);
    ASSERT_EQ(slDay1.size(), 7);
    // Never copied: other extensions, lower case, folders that are no day or
    // have no usable run header.
    ASSERT_TRUE(WriteSized(Drive() + "/20160101/R001.TXT", 10));
    ASSERT_TRUE(WriteRunHeader(Drive() + "/20160101/r009.bin", kSerial));
    WriteRun(Drive() + "/notadate", kSerial, 1);
    ASSERT_TRUE(WriteSized(Drive() + "/20160103/R001.PRF", 100));
    WriteRun(Drive() + "/20160104", QStringLiteral("12a"), 1);
    ASSERT_TRUE(dlv::test::WriteFile(Drive() + "/20160105/R001.BIN", HeaderBytes("1234567", 38)));
    ASSERT_TRUE(WriteSized(Drive() + "/20160106", 10)); // a plain file

    const QDateTime dtBefore = QDateTime::currentDateTime().addMSecs(-1);
    EXPECT_TRUE(RunOnce());
    const QDateTime dtAfter = QDateTime::currentDateTime().addMSecs(1);

    EXPECT_EQ(QDir(Data()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList { kSerial });
    EXPECT_EQ(QDir(Data() + kSerial).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        (QStringList { "20160101", "20160102" }));
    QStringList slSorted1 = slDay1, slSorted2 = slDay2;
    slSorted1.sort();
    slSorted2.sort();
    // No temporary files left behind either (FileNames lists hidden files).
    EXPECT_EQ(FileNames(DayData("20160101")), slSorted1);
    EXPECT_EQ(FileNames(DayData("20160102")), slSorted2);
    for (const QString &s : slDay1)
        EXPECT_EQ(ReadFile(DayData("20160101") + "/" + s), ReadFile(Drive() + "/20160101/" + s));

    // One archive copy per file copied: 17-digit local time stamp, "-", name.
    const QRegularExpression re(QStringLiteral("^(\\d{17})-(.+)$"));
    QStringList slArchived;
    for (const QString &s : FileNames(DayArchive("20160101"))) {
        const auto m = re.match(s);
        ASSERT_TRUE(m.hasMatch()) << s.toStdString();
        const QDateTime dt = QDateTime::fromString(m.captured(1), "yyyyMMddhhmmsszzz");
        EXPECT_TRUE(dt >= dtBefore && dt <= dtAfter) << s.toStdString();
        slArchived << m.captured(2);
        EXPECT_EQ(ReadFile(DayArchive("20160101") + "/" + s),
            ReadFile(Drive() + "/20160101/" + m.captured(2)));
    }
    slArchived.sort();
    EXPECT_EQ(slArchived, slSorted1);
    EXPECT_EQ(FileNames(DayArchive("20160102")).size(), slDay2.size());

    EXPECT_EQ(TRecordingDownload::ArchiveName(
                  "R001.BIN", QDateTime(QDate(2016, 3, 5), QTime(7, 8, 9, 12))),
        "20160305070809012-R001.BIN");
}

TEST_F(Download, LaterDownloadsCopyOnlyMissingAndResizedFiles)
{
    WriteRun(Drive() + "/20160101", kSerial, 1, 2);
    ASSERT_TRUE(RunOnce());
    const QString sPrf = "/20160101/R001.PRF";
    const QByteArray abyOldPrf = ReadFile(Drive() + sPrf);

    EXPECT_FALSE(RunOnce()) << "nothing new";
    EXPECT_EQ(FileNames(DayArchive("20160101")).size(), 7);

    // Same size, other bytes: not copied. Grown: copied again with a second
    // archive copy beside the first. Deleted from the data folder: copied again.
    QThread::msleep(2);
    ASSERT_TRUE(WriteSized(Drive() + "/20160101/R001.MKR", 16, 'z'));
    ASSERT_TRUE(WriteSized(Drive() + "/20160101/R001.PRF", abyOldPrf.size() + 18, 'g'));
    ASSERT_TRUE(QFile::remove(DayData("20160101") + "/R001.EVT"));
    EXPECT_TRUE(RunOnce());
    EXPECT_EQ(ReadFile(DayData("20160101") + "/R001.MKR"), QByteArray(16, 'm'));
    EXPECT_EQ(ReadFile(DayData("20160101") + "/R001.PRF"), ReadFile(Drive() + sPrf));
    EXPECT_TRUE(QFileInfo::exists(DayData("20160101") + "/R001.EVT"));

    QStringList slPrf
        = QDir(DayArchive("20160101")).entryList({ "*-R001.PRF" }, QDir::Files, QDir::Name);
    ASSERT_EQ(slPrf.size(), 2);
    EXPECT_LT(slPrf[0], slPrf[1]);
    EXPECT_EQ(ReadFile(DayArchive("20160101") + "/" + slPrf[0]), abyOldPrf);
    EXPECT_EQ(ReadFile(DayArchive("20160101") + "/" + slPrf[1]), ReadFile(Drive() + sPrf));
    EXPECT_EQ(QDir(DayArchive("20160101")).entryList({ "*-R001.EVT" }, QDir::Files).size(), 2);
    EXPECT_EQ(QDir(DayArchive("20160101")).entryList({ "*-R001.MKR" }, QDir::Files).size(), 1);
}

TEST_F(Download, EachFolderUnderItsOwnSerialNumber)
{
    WriteRun(Drive() + "/20160102", "7654321", 1, 0);
    WriteRun(Drive() + "/20160101", kSerial, 1, 0);
    WriteRun(Drive() + "/20160103", "12345", 1, 0);
    EXPECT_TRUE(RunOnce());
    EXPECT_TRUE(QFileInfo(DayData("20160101")).isDir());
    EXPECT_TRUE(QFileInfo(DayData("20160102", "7654321")).isDir());
    EXPECT_TRUE(QFileInfo(DayData("20160103", "12345")).isDir());
    EXPECT_EQ(FileNames(DayArchive("20160102", "7654321")).size(), 5);
}

struct TProgressCall
{
    QString sDir;
    int nFile;
    int nCount;
    bool operator==(const TProgressCall &o) const = default;
};

TEST_F(Download, ProgressPerFileBeforeEachCopyInFolderOrder)
{
    // Written out of order: the folders are copied in ascending name order.
    WriteRun(Drive() + "/20160103", kSerial, 1, 0); // 5 files
    WriteRunHeader(Drive() + "/20160102/R001.BIN", kSerial); // 1 file
    WriteRun(Drive() + "/20160101", kSerial, 1, 0); // nothing new
    ASSERT_TRUE(dlv::test::WriteFile(DayData("20160101") + "/keep", {}));
    for (const QString &s : FileNames(Drive() + "/20160101"))
        ASSERT_TRUE(QFile::copy(Drive() + "/20160101/" + s, DayData("20160101") + "/" + s));

    TRecordingDownload dl = Make();
    std::vector<TProgressCall> aCalls;
    int nCopied = 0;
    dl.fnProgress = [&](const QString &s, int i, int n) {
        EXPECT_EQ(nCopied, int(aCalls.size())) << "progress comes before the copy";
        aCalls.push_back({ s, i, n });
    };
    dl.fnFileCopied = [&](const QString &, const QString &, bool bOk) {
        EXPECT_TRUE(bOk);
        ++nCopied;
    };
    EXPECT_TRUE(dl.Run());
    const std::vector<TProgressCall> aExpected = {
        { "20160102", 0, 0 },
        { "20160103", 0, 4 },
        { "20160103", 1, 4 },
        { "20160103", 2, 4 },
        { "20160103", 3, 4 },
        { "20160103", 4, 4 },
    };
    EXPECT_EQ(aCalls, aExpected);
    EXPECT_EQ(nCopied, 6);
}

TEST_F(Download, CancelStopsBeforeTheNextFileOrFolder)
{
    WriteRun(Drive() + "/20160101", kSerial, 1, 0); // 5 files
    WriteRun(Drive() + "/20160102", kSerial, 1, 0); // 5 files

    const struct
    {
        int nCancelAt;
        int nDay1;
        int nDay2;
        const char *why;
    } cases[] = {
        { 1, 2, 0, "after the second file's progress: that file is still copied" },
        { 4, 5, 0, "at the last file of a folder: the next folder is not started" },
        { 0, 1, 0, "at the first file" },
    };
    for (const auto &c : cases) {
        QDir(Data()).removeRecursively();
        QDir(Home()).removeRecursively();
        TRecordingDownload dl = Make();
        std::atomic<bool> bCancel { false };
        int nCalls = 0;
        dl.fnCancelled = [&] { return bCancel.load(); };
        dl.fnProgress = [&](const QString &, int, int) {
            if (nCalls++ == c.nCancelAt)
                bCancel = true;
        };
        EXPECT_TRUE(dl.Run()) << c.why;
        EXPECT_EQ(FileNames(DayData("20160101")).size(), c.nDay1) << c.why;
        EXPECT_EQ(FileNames(DayData("20160102")).size(), c.nDay2) << c.why;
        EXPECT_EQ(FileNames(DayArchive("20160101")).size(), c.nDay1) << c.why;
        // What was copied stays; the next download copies the rest.
        EXPECT_TRUE(RunOnce());
        EXPECT_EQ(FileNames(DayData("20160101")).size(), 5) << c.why;
        EXPECT_EQ(FileNames(DayData("20160102")).size(), 5) << c.why;
    }

    // Cancelled during the scan: nothing is copied.
    QDir(Data()).removeRecursively();
    TRecordingDownload dl = Make();
    dl.fnCancelled = [] { return true; };
    EXPECT_FALSE(dl.Run());
    EXPECT_FALSE(QFileInfo::exists(Data()));
}

TEST_F(Download, NothingCopiedWithoutADataFolderOrWhenItsFolderCannotBeMade)
{
    WriteRun(Drive() + "/20160101", kSerial, 1, 0);
    WriteRun(Drive() + "/20160102", "7654321", 1, 0);
    TRecordingDownload dlNoBase(Drive(), QString(), Home());
    EXPECT_FALSE(dlNoBase.Run());
    EXPECT_FALSE(QFileInfo::exists(Home()));

    // A plain file where the meter's folder should be: that day is skipped,
    // the other meter's day is still copied.
    ASSERT_TRUE(WriteSized(Data() + kSerial, 3));
    EXPECT_TRUE(RunOnce());
    EXPECT_EQ(ReadFile(Data() + kSerial), QByteArray(3, 'x'));
    EXPECT_EQ(FileNames(DayData("20160102", "7654321")).size(), 5);
}

TEST_F(Download, ArchiveCopyNeverReplacesAFile)
{
    TRecordingDownload dl = Make();
    ASSERT_TRUE(WriteSized(m_dir.filePath("a"), 10, 'a'));
    ASSERT_TRUE(WriteSized(m_dir.filePath("b"), 5, 'b'));
    EXPECT_FALSE(dl.CopyFileSafely(m_dir.filePath("a"), m_dir.filePath("b"), false));
    EXPECT_EQ(ReadFile(m_dir.filePath("b")), QByteArray(5, 'b'));
    EXPECT_TRUE(dl.CopyFileSafely(m_dir.filePath("a"), m_dir.filePath("b"), true));
    EXPECT_EQ(ReadFile(m_dir.filePath("b")), QByteArray(10, 'a'));
    EXPECT_FALSE(dl.CopyFileSafely(m_dir.filePath("missing"), m_dir.filePath("c"), true));
    EXPECT_EQ(FileNames(m_dir.path()), (QStringList { "a", "b" }));
}

// A data folder on a file system too small for the recordings: each copy
// fails part-way (no space left).
TEST_F(Download, CopyFailingPartWayLeavesNoFileThatLooksComplete)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const QString sMount = m_dir.filePath("small");
    QDir().mkpath(sMount);
    if (QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=256k", "tmpfs", sMount }) != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    struct TUnmount
    {
        QString s;
        ~TUnmount() { QProcess::execute("umount", { "-l", s }); }
    } unmount { sMount };

    const QString sData = sMount + "/";
    const QString sDay = sData + kSerial + "/20160101";
    WriteRunHeader(Drive() + "/20160101/R001.BIN", kSerial);
    ASSERT_TRUE(WriteSized(Drive() + "/20160101/R001E001.WAV", 1 << 20, 'n'));
    ASSERT_TRUE(WriteSized(Drive() + "/20160101/R001E002.WAV", 1 << 20, 'n'));
    // An older, shorter copy of one of them is already there.
    ASSERT_TRUE(WriteSized(sDay + "/R001E001.WAV", 1000, 'o'));

    std::vector<std::pair<QString, bool>> aCopies;
    for (int nRun = 0; nRun < 2; ++nRun) {
        TRecordingDownload dl(Drive(), sData, Home());
        dl.fnFileCopied = [&](const QString &, const QString &sTarget, bool bOk) {
            aCopies.emplace_back(QFileInfo(sTarget).fileName(), bOk);
        };
        EXPECT_TRUE(dl.Run()) << "selected for copying, copied or not";
        EXPECT_EQ(ReadFile(sDay + "/R001E001.WAV"), QByteArray(1000, 'o'));
        EXPECT_FALSE(QFileInfo::exists(sDay + "/R001E002.WAV"));
        EXPECT_EQ(FileNames(sDay), (QStringList { "R001.BIN", "R001E001.WAV" }))
            << "no temporary files left";
        EXPECT_EQ(FileNames(DayArchive("20160101")).size(), 1) << "only the header";
    }
    int nFailed = 0;
    for (const auto &[s, bOk] : aCopies)
        nFailed += bOk ? 0 : 1;
    EXPECT_EQ(nFailed, 4) << "both recordings tried again at the next download";
}

// dalvane-cli download

int Cli(const QStringList &sl, QString &sOut, QString &sErr)
{
    dlv::test::TCliResult r = dlv::test::RunCli(QStringList { "download" } + sl);
    sOut = std::move(r.sOut);
    sErr = std::move(r.sErr);
    return r.nRc;
}

TEST_F(Download, CliUsageErrors)
{
    QDir().mkpath(Drive());
    const QStringList cases[] = {
        {},
        { Drive() },
        { Drive(), Data(), "extra" },
        { Drive(), Data(), "--archive-dir" },
        { Drive(), Data(), "--bogus" },
        { "", Data() },
    };
    for (const QStringList &sl : cases) {
        QString sOut, sErr;
        EXPECT_EQ(Cli(sl, sOut, sErr), dlv::cli::kExitUsage) << sl.join(' ').toStdString();
        EXPECT_TRUE(sOut.isEmpty());
        EXPECT_FALSE(sErr.isEmpty());
    }
    QString sOut, sErr;
    EXPECT_EQ(Cli({ m_dir.filePath("nowhere"), Data() }, sOut, sErr), dlv::cli::kExitError);
    EXPECT_FALSE(QFileInfo::exists(Data()));
}

TEST_F(Download, CliPrintsOneLinePerFileCopied)
{
    const QStringList sl = WriteRun(Drive() + "/20160101", kSerial, 1, 1);
    QString sOut, sErr;
    ASSERT_EQ(Cli({ Drive(), m_dir.filePath("data"), "--archive-dir", Home() }, sOut, sErr),
        dlv::cli::kExitOk)
        << sErr.toStdString();
    QStringList slLines = sOut.split('\n', Qt::SkipEmptyParts);
    slLines.sort();
    QStringList slExpected;
    for (const QString &s : sl)
        slExpected << QDir::toNativeSeparators(DayData("20160101") + "/" + s);
    slExpected.sort();
    EXPECT_EQ(slLines, slExpected);
    EXPECT_EQ(FileNames(DayArchive("20160101")).size(), sl.size());

    sOut.clear();
    EXPECT_EQ(Cli({ Drive(), m_dir.filePath("data"), "--archive-dir", Home() }, sOut, sErr),
        dlv::cli::kExitOk);
    EXPECT_TRUE(sOut.isEmpty()) << "nothing new";
}

TEST_F(Download, CliArchivesInTheUsersApplicationFolderByDefault)
{
    dlv::test::TTempHome home;
    WriteRun(Drive() + "/20160101", kSerial, 1, 0);
    QString sOut, sErr;
    ASSERT_EQ(Cli({ Drive(), m_dir.filePath("data") }, sOut, sErr), dlv::cli::kExitOk);
    EXPECT_EQ(dlv::DefaultArchiveHome(), home.Path() + "/.local/share");
    EXPECT_EQ(
        FileNames(home.Path() + "/.local/share/Quorvex/dlv/" + kSerial + "/20160101").size(), 5);
}

} // namespace
