// Damaged meter and annotation files: every reader is fed each file cut at
// every length and files with seeded random byte changes. A damaged day may
// load partly or raise EDlvError; it never crashes, never reads or writes
// outside its arrays (run under AddressSanitizer by make check-asan) and always
// leaves a table the views can read.
#include "dlvcsv.h"
#include "dlvdatafixture.h"
#include "dlverror.h"
#include "dlvtesthome.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace dlv;
using dlv::test::TDayFixture;
using dlv::test::WriteFile;

namespace {

struct TDayFiles
{
    QByteArray abBin, abPrf, abEvt, abEvtx;
};

TDayFiles GoodDay(bool bLongPrf)
{
    TDayFiles d;
    TBinFile bin = MakeRunHeader(1, QStringLiteral("1234567"), QStringLiteral("632A"),
                                 TDayFixture::At(23, 59, 0), 1, bLongPrf);
    SetCalibration(bin, false, TDayFixture::At(23, 58, 0));
    SetCalibration(bin, true, TDayFixture::At(23, 59, 59));
    d.abBin = BinFileBytes(bin);
    for (int s = 86390; s < 86401; ++s) // up to the spare slot of 24:00:00
        d.abPrf += PrfRecordBytes(PrfAt(s, 50.0 + s % 7, 60.0), bLongPrf);
    d.abEvt = EvtFileBytes(200, {{23, 59, 55, 0, 0, 5, 1}, {0, 0, 1, 0, 0, 2, 2}, {24, 0, 0, 0, 0, 0, 0}});
    d.abEvtx = "Event,Notes,Report\r\n23:56:35,\"a, \"\"b\"\"\",0\r\n00:00:00,x,1\r\n";
    return d;
}

class Corruption : public ::testing::Test
{
protected:
    // Writes only the files that differ from the last call, each as a new
    // file: truncating a file in place makes ext4 flush it on close, which
    // would make these thousands of loads crawl.
    void Write(const TDayFiles &d)
    {
        Put(QStringLiteral("R001.BIN"), d.abBin, m_last.abBin);
        Put(QStringLiteral("R001.PRF"), d.abPrf, m_last.abPrf);
        Put(QStringLiteral("R001.EVT"), d.abEvt, m_last.abEvt);
        Put(QStringLiteral("evtx.csv"), d.abEvtx, m_last.abEvtx);
        if (!QFile::exists(fx.Path(QStringLiteral("R001NOTE.WAV"))))
            WriteFile(fx.Path(QStringLiteral("R001NOTE.WAV")), "RIFF");
    }
    void Put(const QString &sName, const QByteArray &ab, QByteArray &abLast)
    {
        if (ab == abLast && QFile::exists(fx.Path(sName)))
            return;
        QFile::remove(fx.Path(sName));
        ASSERT_TRUE(WriteFile(fx.Path(sName), ab));
        abLast = ab;
    }

    // The day loader's sequence plus what the views read afterwards. Returns
    // false when an EDlvError ended it; anything else thrown fails the test.
    bool LoadAndRead()
    {
        try {
            fx.LoadDay();
            fx.fs->Model();
            fx.fs->Calibrations();
        } catch (const EDlvError &) {
            return false;
        }
        const int n = fx.fs->EventCount();
        EXPECT_GE(n, 0);
        EXPECT_LE(n, TFileSys630::kMaxEvents);
        for (int i = 0; i < n; ++i) {
            const TEvent &e = fx.fs->aevt[static_cast<size_t>(i)];
            EXPECT_GE(e.StartSec(), 0); // every key reads back as a time
            EXPECT_GE(e.nDuration, 0);
        }
        return true;
    }

    TDayFixture fx;
    TDayFiles m_last;
};

} // namespace

TEST_F(Corruption, EveryFileCutAtEveryLength)
{
    for (bool bLong : {false, true}) {
        const TDayFiles good = GoodDay(bLong);
        Write(good);
        ASSERT_TRUE(LoadAndRead());
        ASSERT_EQ(fx.fs->EventCount(), 4);
        QByteArray TDayFiles::*aFiles[] = {&TDayFiles::abBin, &TDayFiles::abPrf, &TDayFiles::abEvt,
                                           &TDayFiles::abEvtx};
        for (QByteArray TDayFiles::*pFile : aFiles) {
            for (qsizetype nLen = 0; nLen < (good.*pFile).size(); ++nLen) {
                TDayFiles d = good;
                (d.*pFile).truncate(nLen);
                Write(d);
                EXPECT_TRUE(LoadAndRead()) << nLen; // cutting a file never raises
            }
        }
    }
}

TEST_F(Corruption, SeededByteChanges)
{
    for (bool bLong : {false, true}) {
        const TDayFiles good = GoodDay(bLong);
        for (unsigned nSeed = 0; nSeed < 400; ++nSeed) {
            std::mt19937 rng(nSeed);
            TDayFiles d = good;
            QByteArray *aFiles[] = {&d.abBin, &d.abPrf, &d.abEvt, &d.abEvtx};
            const int nChanges = 1 + static_cast<int>(rng() % 6);
            for (int i = 0; i < nChanges; ++i) {
                QByteArray &ab = *aFiles[rng() % 4];
                if (ab.isEmpty())
                    continue;
                const auto nAt = static_cast<qsizetype>(rng() % static_cast<unsigned>(ab.size()));
                // Mostly whole random bytes, sometimes the extremes.
                const unsigned nKind = rng() % 4;
                ab[nAt] = static_cast<char>(nKind == 0 ? 0xFF : nKind == 1 ? 0x00 : rng() & 0xFF);
            }
            Write(d);
            LoadAndRead();
            SCOPED_TRACE(nSeed);
        }
    }
}

TEST_F(Corruption, HugeAnnouncedCountsAndRunNumbers)
{
    TDayFiles d = GoodDay(false);
    d.abEvt[8] = char(0xFF);
    d.abEvt[9] = char(0xFF); // 65535 records announced, 3 present
    TBinFile bin;
    std::memcpy(&bin, d.abBin.constData(), sizeof bin);
    bin.wRunNumber = 65535;
    Write(d);
    WriteFile(fx.Path(QStringLiteral("R65535.BIN")), BinFileBytes(bin));
    WriteFile(fx.Path(QStringLiteral("R65535.EVT")), d.abEvt);
    ASSERT_TRUE(LoadAndRead());
    EXPECT_EQ(fx.fs->EventCount(), 1 + 3 + 3);
    EXPECT_EQ(fx.fs->aevt[4].sWavFile, QStringLiteral("R65535E001.WAV"));
}

// A byte string literal with its zero bytes, without the terminating one.
template <size_t N>
QByteArray Bytes(const char (&ac)[N])
{
    return QByteArray(ac, N - 1);
}

TEST(CsvCorruption, AnyBytesLoadAndSave)
{
    QTemporaryDir dir(dlv::test::FastTempTemplate());
    const QString sPath = dir.path() + QStringLiteral("/x.csv");
    const QByteArray abSeeds[] = {
        Bytes("\xFF\xFE" "E\0v\0,\0N\0\r\0\n\0\"\0" "x"), // UTF-16 with an odd tail
        QByteArray("\xEF\xBB\xBF" "Event,Notes\r\n\"unclosed,\xC3\r\n\xE2\x82"),
        Bytes("\xFE\xFF\0E\0,\0\"\0\"\0\"\0,"),
        QByteArray("Event,Notes,Report\r\n\"\"\"\",\",\",\r\n\x80\x81\xFE\r\r\n"),
    };
    std::mt19937 rng(7);
    for (const QByteArray &abSeed : abSeeds) {
        for (qsizetype nLen = 0; nLen <= abSeed.size(); ++nLen) {
            for (int nFlip = 0; nFlip < 4; ++nFlip) {
                QByteArray ab = abSeed.left(nLen);
                if (nFlip > 0 && !ab.isEmpty())
                    ab[static_cast<qsizetype>(rng() % static_cast<unsigned>(ab.size()))] =
                        static_cast<char>(rng());
                QFile::remove(sPath);
                ASSERT_TRUE(dlv::test::WriteFile(sPath, ab));
                TCsvFile csv;
                ASSERT_TRUE(csv.LoadFile(sPath));
                for (int r = -1; r <= csv.RecCount(); ++r) {
                    csv.FieldStr(r, QStringLiteral("Notes"));
                    csv.SetFieldStr(r, QStringLiteral("Event"), QStringLiteral("a,\"b\""));
                }
                csv.SetFilter(QStringLiteral("Event=a,\"b\""));
                csv.AppendRec();
                EXPECT_TRUE(csv.SaveFile());
                TCsvFile again;
                EXPECT_TRUE(again.LoadFile(sPath));
            }
        }
    }
}
