// The data folder tree: meter folders and the day folders of a meter.
#include "dlvfiles.h"
#include "dlvtesthome.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dlv;

namespace {

class FolderTree : public ::testing::Test
{
protected:
    FolderTree() : fs([this] { return m_sBase; }) { m_sBase = m_dir.path() + QLatin1Char('/'); }
    void Dirs(const QStringList &sl)
    {
        for (const QString &s : sl)
            ASSERT_TRUE(QDir().mkpath(m_sBase + s));
    }

    QTemporaryDir m_dir;
    QString m_sBase;
    TDLVFileSys fs;
};

} // namespace

TEST(FolderNames, SerialNumbers)
{
    struct Case {
        const char *p;
        bool b;
    } cases[] = {{"1234567", true},  {"0000000", true},  {"123456", false},  {"12345678", false},
                 {"abcdefg", false}, {"123456a", false}, {"-123456", false}, {" 123456", false},
                 {"", false},        {"1234.67", false}};
    for (const Case &c : cases)
        EXPECT_EQ(TDLVFileSys::IsSerNumDir(QString::fromLatin1(c.p)), c.b) << c.p;
}

TEST(FolderNames, Days)
{
    struct Case {
        const char *p;
        bool b;
    } cases[] = {{"20160315", true},  {"20160230", true},  {"20010101", true},   {"20591231", true},
                 {"20000101", false}, {"20600101", false}, {"20161301", false},  {"20160100", false},
                 {"20160132", false}, {"2016-03-15", false}, {"201603150", false}, {"2016031", false},
                 {"2016ab15", false}, {"", false}};
    for (const Case &c : cases)
        EXPECT_EQ(TDLVFileSys::IsDateDir(QString::fromLatin1(c.p)), c.b) << c.p;
}

TEST_F(FolderTree, MetersAreSevenDigitFolders)
{
    Dirs({"7654321", "1234567", "123456", "12345678", "abcdefg"});
    dlv::test::WriteFile(m_sBase + QStringLiteral("2345678"), "file"); // not a folder
    EXPECT_EQ(fs.GetMeters(), (QStringList{"1234567", "7654321"}));
}

TEST_F(FolderTree, DaysInDateOrder)
{
    Dirs({"1234567/20160315", "1234567/20160301", "1234567/20160230", "1234567/20000101",
          "1234567/20600101", "1234567/20161301", "1234567/20160300", "1234567/2016-03-15",
          "1234567/201603150"});
    dlv::test::WriteFile(m_sBase + QStringLiteral("1234567/20160316"), "file");
    EXPECT_EQ(fs.GetMonths(QStringLiteral("1234567")),
              (QStringList{"20160230", "20160301", "20160315"}));
}

TEST_F(FolderTree, MissingFoldersGiveEmptyLists)
{
    EXPECT_TRUE(fs.GetMonths(QStringLiteral("7654321")).isEmpty());
    m_sBase = m_dir.path() + QStringLiteral("/missing/");
    EXPECT_TRUE(fs.GetMeters().isEmpty());
}

TEST_F(FolderTree, ListsAreRefilledInPlace)
{
    Dirs({"1234567/20160315", "7654321/20170101", "7654321/20170102"});
    const QStringList &slDays = fs.GetMonths(QStringLiteral("1234567"));
    EXPECT_EQ(slDays, QStringList{"20160315"});
    fs.GetMonths(QStringLiteral("7654321"));
    EXPECT_EQ(slDays, (QStringList{"20170101", "20170102"}));
    const QStringList &slMeters = fs.GetMeters();
    Dirs({"2222222"});
    fs.GetMeters();
    EXPECT_EQ(slMeters.size(), 3);
}

TEST_F(FolderTree, SerialsThatAreNotFolderNamesListNothing)
{
    Dirs({"20160315", "1234567/20160315"});
    for (const char *p : {"", ".", "..", "1234567/.."})
        EXPECT_TRUE(fs.GetMonths(QString::fromLatin1(p)).isEmpty()) << p;
}
