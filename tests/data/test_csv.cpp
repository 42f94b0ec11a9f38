// The comma-separated table file: line format, record access by number and
// field name, filtering, encodings and writing.
#include "dlvcsv.h"
#include "dlvtesthome.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace dlv;
using dlv::test::ReadFile;
using dlv::test::WriteFile;

namespace {

class CsvFile : public ::testing::Test
{
protected:
    QString Path(const char *pName = "t.csv") const
    {
        return m_dir.path() + QLatin1Char('/') + QString::fromLatin1(pName);
    }
    // Loads the bytes as a file.
    void Load(const QByteArray &ab)
    {
        ASSERT_TRUE(WriteFile(Path(), ab));
        ASSERT_TRUE(csv.LoadFile(Path()));
    }

    QTemporaryDir m_dir;
    TCsvFile csv;
};

} // namespace

TEST(CsvLine, Split)
{
    struct Case {
        QString sLine;
        QStringList slFields;
    } cases[] = {
        {QString(), {}},
        {QStringLiteral("a,b,c"), {"a", "b", "c"}},
        {QStringLiteral("a,b,"), {"a", "b", ""}},
        {QStringLiteral(","), {"", ""}},
        {QStringLiteral(" a ,\tb"), {" a ", "\tb"}},
        {QStringLiteral("\"a,b\",c"), {"a,b", "c"}},
        {QStringLiteral("\"say \"\"hi\"\"\",x"), {"say \"hi\"", "x"}},
        {QStringLiteral("\"\""), {""}},
        {QStringLiteral("\"\","), {"", ""}},
        {QStringLiteral("\"open,end"), {"open,end"}},
        {QStringLiteral("\"ab\"cd,e"), {"abcd", "e"}},
        {QStringLiteral("a\"b,c"), {"a\"b", "c"}},
        {QStringLiteral("x;y,z"), {"x;y", "z"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TCsvFile::SplitLine(c.sLine), c.slFields) << c.sLine.toStdString();
}

TEST(CsvLine, JoinAndRoundTrip)
{
    struct Case {
        QStringList slFields;
        QString sLine;
    } cases[] = {
        {{"a", "b", "c"}, QStringLiteral("a,b,c")},
        {{"a b", " c "}, QStringLiteral("a b, c ")},
        {{"a,b", "c"}, QStringLiteral("\"a,b\",c")},
        {{"say \"hi\""}, QStringLiteral("\"say \"\"hi\"\"\"")},
        {{""}, QStringLiteral("\"\"")},
        {{"", ""}, QStringLiteral(",")},
        {{}, QString()},
        {{"two\r\nlines", "x"}, QStringLiteral("two lines,x")}, // a record stays one line
    };
    for (const Case &c : cases) {
        EXPECT_EQ(TCsvFile::JoinLine(c.slFields), c.sLine) << c.sLine.toStdString();
        if (!c.sLine.contains(QLatin1String("two"))) {
            EXPECT_EQ(TCsvFile::SplitLine(TCsvFile::JoinLine(c.slFields)), c.slFields);
        }
    }
}

TEST_F(CsvFile, FieldsByRecordAndName)
{
    Load("Event,Notes,Report\r\n09:00:08,\"a, b\",0\r\n10:00:00,,1\r\n11:00:00\r\n");
    EXPECT_EQ(csv.RecCount(), 4);
    EXPECT_EQ(csv.FieldStr(0, QStringLiteral("Notes")), QStringLiteral("Notes"));
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("notes")), QStringLiteral("a, b"));
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("EVENT")), QStringLiteral("09:00:08"));
    EXPECT_EQ(csv.FieldStr(3, QStringLiteral("Notes")), QString()); // line without that field
    EXPECT_EQ(csv.FieldStr(4, QStringLiteral("Event")), QString());
    EXPECT_EQ(csv.FieldStr(-1, QStringLiteral("Event")), QString());
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("Missing")), QString());
}

TEST_F(CsvFile, FirstMatchingHeaderNameWins)
{
    Load("A,a,B\r\n1,2,3\r\n");
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("a")), QStringLiteral("1"));
}

TEST_F(CsvFile, TypedReads)
{
    Load("S,N,F,B\r\nx,42,2.5,0\r\n,-7,,1\r\n,12a,1e3,yes\r\n");
    const QString sDec = QLocale::system().decimalPoint();
    struct Case {
        int nRec;
        int nInt;
        bool bBool;
    } cases[] = {{1, 42, false}, {2, -7, true}, {3, -1, true}};
    for (const Case &c : cases) {
        EXPECT_EQ(csv.FieldInt(c.nRec, QStringLiteral("N")), c.nInt) << c.nRec;
        EXPECT_EQ(csv.FieldBool(c.nRec, QStringLiteral("B")), c.bBool) << c.nRec;
    }
    EXPECT_EQ(csv.FieldInt(1, QStringLiteral("S")), -1);
    EXPECT_EQ(csv.FieldFloat(2, QStringLiteral("F")), -1.0);
    if (sDec == QLatin1String(".")) {
        EXPECT_EQ(csv.FieldFloat(1, QStringLiteral("F")), 2.5);
    }
    // A missing field or field name reads as true.
    EXPECT_TRUE(csv.FieldBool(1, QStringLiteral("Nothing")));
    EXPECT_TRUE(csv.FieldBool(9, QStringLiteral("B")));
}

TEST_F(CsvFile, AppendAndSetWriteTheLineFormat)
{
    ASSERT_TRUE(csv.CreateFile(Path(), QStringLiteral("Event,Notes,Report"), true));
    EXPECT_EQ(ReadFile(Path()), QByteArray("Event,Notes,Report\r\n"));
    ASSERT_TRUE(csv.LoadFile(Path()));
    EXPECT_EQ(csv.AppendRec(), 1);
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("Notes")), QString());
    csv.SetFieldStr(1, QStringLiteral("Event"), QStringLiteral("09:00:08"));
    csv.SetFieldStr(1, QStringLiteral("Notes"), QStringLiteral("a \"quoted\", note"));
    csv.SetFieldBool(1, QStringLiteral("Report"), false);
    EXPECT_EQ(csv.AppendRec(), 2);
    csv.SetFieldInt(2, QStringLiteral("Report"), 12);
    csv.SetFieldStr(2, QStringLiteral("Nothing"), QStringLiteral("x")); // ignored
    csv.SetFieldStr(7, QStringLiteral("Event"), QStringLiteral("x"));   // ignored
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("Notes")), QStringLiteral("a \"quoted\", note"));
    ASSERT_TRUE(csv.SaveFile());
    EXPECT_EQ(ReadFile(Path()), QByteArray("Event,Notes,Report\r\n"
                                           "09:00:08,\"a \"\"quoted\"\", note\",0\r\n"
                                           ",,12\r\n"));
}

TEST_F(CsvFile, AppendRecOfFewHeaderFields)
{
    for (const char *pHeader : {"One", ""}) {
        TCsvFile c;
        ASSERT_TRUE(c.CreateFile(Path(), QString::fromLatin1(pHeader), true));
        ASSERT_TRUE(c.LoadFile(Path()));
        EXPECT_EQ(c.AppendRec(), 1);
        ASSERT_TRUE(c.SaveFile());
        EXPECT_EQ(ReadFile(Path()), QByteArray(pHeader) + "\r\n\r\n");
    }
}

TEST_F(CsvFile, SetOnAShortLineLeavesItAlone)
{
    Load("A,B,C\r\nx\r\n");
    csv.SetFieldStr(1, QStringLiteral("C"), QStringLiteral("z"));
    csv.SetFieldStr(1, QStringLiteral("A"), QStringLiteral("y"));
    ASSERT_TRUE(csv.SaveFile());
    EXPECT_EQ(ReadFile(Path()), QByteArray("A,B,C\r\ny\r\n"));
}

TEST_F(CsvFile, LineEndsOnReading)
{
    struct Case {
        QByteArray ab;
        int nRecs;
    } cases[] = {
        {"H\r\na\r\nb\r\n", 3}, {"H\na\nb", 3}, {"H\ra\rb\r", 3}, {"H\r\n\r\nb\r\n", 3},
        {"H\n\ra", 3},          {"", 0},        {"H", 1},          {"H\r\n", 1},
    };
    for (const Case &c : cases) {
        Load(c.ab);
        EXPECT_EQ(csv.RecCount(), c.nRecs) << c.ab.toStdString();
    }
    Load("H\ra\n\nb");
    EXPECT_EQ(csv.FieldStr(3, QStringLiteral("H")), QStringLiteral("b"));
}

TEST_F(CsvFile, Filter)
{
    Load("Event,Notes,Report\r\n1,a,0\r\n2,b,1\r\n3,c,0\r\n4,d\r\n5,\"x=y\",0 \r\n");
    csv.SetFilter(QStringLiteral("Report=0"));
    EXPECT_EQ(csv.RecCount(), 3);
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("Event")), QStringLiteral("1"));
    EXPECT_EQ(csv.FieldStr(2, QStringLiteral("Event")), QStringLiteral("3"));
    csv.SetFilter(QStringLiteral("notes=\"x=y\""));
    EXPECT_EQ(csv.RecCount(), 2);
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("Event")), QStringLiteral("5"));
    csv.SetFilter(QStringLiteral("Notes=A")); // letter case of the value counts
    EXPECT_EQ(csv.RecCount(), 1);
    for (const char *p : {"Report", "Nope=0", "a=b=c"}) {
        csv.SetFilter(QString::fromLatin1(p));
        EXPECT_EQ(csv.RecCount(), 1) << p; // the header line only
        EXPECT_EQ(csv.FieldStr(0, QStringLiteral("Report")), QStringLiteral("Report"));
    }
    // Filtering starts from every line, and saving writes the filtered lines.
    csv.SetFilter(QStringLiteral("Report=1"));
    EXPECT_EQ(csv.RecCount(), 2);
    csv.SetFieldStr(1, QStringLiteral("Notes"), QStringLiteral("B"));
    ASSERT_TRUE(csv.SaveFile());
    EXPECT_EQ(ReadFile(Path()), QByteArray("Event,Notes,Report\r\n2,B,1\r\n"));
    csv.SetFilter(QString());
    EXPECT_EQ(csv.RecCount(), 6);
}

TEST_F(CsvFile, CreateFileKeepsOrReplaces)
{
    WriteFile(Path(), "old\r\n");
    EXPECT_TRUE(csv.CreateFile(Path(), QStringLiteral("new"), false));
    EXPECT_EQ(ReadFile(Path()), QByteArray("old\r\n"));
    EXPECT_TRUE(csv.CreateFile(Path(), QStringLiteral("new"), true));
    EXPECT_EQ(ReadFile(Path()), QByteArray("new\r\n"));
    EXPECT_FALSE(csv.CreateFile(Path("missing/t.csv"), QStringLiteral("new"), true));
    EXPECT_EQ(csv.RecCount(), 0); // the object itself is untouched
}

TEST_F(CsvFile, FailedLoadLeavesNothingLoaded)
{
    Load("A,B\r\n1,2\r\n");
    EXPECT_FALSE(csv.LoadFile(Path("missing.csv")));
    EXPECT_EQ(csv.RecCount(), 0);
    EXPECT_EQ(csv.FieldStr(0, QStringLiteral("A")), QString());
    csv.SetFieldStr(0, QStringLiteral("A"), QStringLiteral("x"));
    // AppendRec still works on the active list; SaveFile still targets the
    // last loaded file.
    EXPECT_EQ(csv.AppendRec(), 0);
    EXPECT_TRUE(csv.SaveFile());
    EXPECT_EQ(ReadFile(Path()), QByteArray(",\r\n"));
    QDir().mkpath(Path("folder.csv"));
    EXPECT_FALSE(csv.LoadFile(Path("folder.csv")));
    EXPECT_EQ(csv.FieldStr(0, QStringLiteral("A")), QString());
}

TEST_F(CsvFile, SaveWithoutAFileFails)
{
    EXPECT_EQ(csv.AppendRec(), 0);
    EXPECT_FALSE(csv.SaveFile());
}

TEST_F(CsvFile, EncodingsAreKept)
{
    const QString sNote = QStringLiteral("Lärm über 70 dB – Straße");
    struct Case {
        const char *pName;
        QByteArray abBom;
        QStringConverter::Encoding enc;
    } cases[] = {
        {"system", QByteArray(), QStringConverter::System},
        {"utf8 bom", QByteArray("\xEF\xBB\xBF"), QStringConverter::Utf8},
        {"utf16le bom", QByteArray("\xFF\xFE"), QStringConverter::Utf16LE},
        {"utf16be bom", QByteArray("\xFE\xFF"), QStringConverter::Utf16BE},
    };
    for (const Case &c : cases) {
        QStringEncoder enc(c.enc);
        const QByteArray abBody = enc.encode(QStringLiteral("Event,Notes\r\n1,") + sNote + QStringLiteral("\r\n"));
        Load(c.abBom + abBody);
        EXPECT_EQ(csv.FieldStr(0, QStringLiteral("Event")), QStringLiteral("Event")) << c.pName;
        EXPECT_EQ(csv.FieldStr(1, QStringLiteral("Notes")), sNote) << c.pName;
        csv.SetFieldStr(1, QStringLiteral("Event"), QStringLiteral("2"));
        ASSERT_TRUE(csv.SaveFile());
        const QByteArray abWant =
            c.abBom + enc.encode(QStringLiteral("Event,Notes\r\n2,") + sNote + QStringLiteral("\r\n"));
        EXPECT_EQ(ReadFile(Path()), abWant) << c.pName;
    }
    // A new file is written in the system code page, without a mark.
    ASSERT_TRUE(csv.CreateFile(Path("new.csv"), sNote, true));
    QStringEncoder sys(QStringConverter::System);
    EXPECT_EQ(ReadFile(Path("new.csv")), sys.encode(sNote + QStringLiteral("\r\n")));
}

TEST_F(CsvFile, FileChanged)
{
    WriteFile(Path(), "A\r\n");
    EXPECT_FALSE(csv.FileChanged(Path("missing.csv")));
    EXPECT_TRUE(csv.FileChanged(Path()));  // another name than the remembered one
    EXPECT_FALSE(csv.FileChanged(Path())); // same name, same time
    QFile f(Path());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QFileInfo(Path()).lastModified().addSecs(5), QFileDevice::FileModificationTime));
    f.close();
    EXPECT_TRUE(csv.FileChanged(Path()));
    EXPECT_FALSE(csv.FileChanged(Path()));
    WriteFile(Path("b.csv"), "A\r\n");
    EXPECT_TRUE(csv.FileChanged(Path("b.csv")));
}

TEST_F(CsvFile, NewFileIsWrittenOnlyBySave)
{
    csv.NewFile(Path(), QStringLiteral("Event,Notes,Report"));
    EXPECT_FALSE(QFile::exists(Path()));
    EXPECT_EQ(csv.AppendRec({QStringLiteral("09:00:00"), QStringLiteral("x,y")}), 1);
    EXPECT_EQ(csv.FieldStr(1, QStringLiteral("Report")), QString());
    ASSERT_TRUE(csv.SaveFile());
    EXPECT_EQ(ReadFile(Path()), QByteArray("Event,Notes,Report\r\n09:00:00,\"x,y\",\r\n"));
}
