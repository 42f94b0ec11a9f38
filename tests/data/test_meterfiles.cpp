// The meter file writers put every field where the meter does: the fixtures of
// all tests and the sample drive rely on these bytes.
#include "dlvmeterfiles.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace dlv;

namespace {

int U16(const QByteArray &ab, int nAt)
{
    return qFromLittleEndian<quint16>(ab.constData() + nAt);
}

int Byte(const QByteArray &ab, int nAt)
{
    return static_cast<uint8_t>(ab[nAt]);
}

} // namespace

TEST(MeterFiles, RunHeaderLayout)
{
    TBinFile bin = MakeRunHeader(258, QStringLiteral("1234567"), QStringLiteral("633B"),
                                 QDateTime(QDate(2016, 3, 15), QTime(9, 5, 7, 42)), 3, true);
    SetCalibration(bin, false, QDateTime(QDate(2016, 3, 15), QTime(8, 59, 1)));
    SetCalibration(bin, true, QDateTime(QDate(2017, 12, 31), QTime(23, 59, 59)));
    const QByteArray ab = BinFileBytes(bin);
    ASSERT_EQ(ab.size(), 128);
    struct Case {
        int nOffset;
        QByteArray abWant;
    } cases[] = {
        {8, QByteArray("\x16\x03\x15\x09\x05\x07\x42", 7)}, // run start, 7th byte ms
        {17, QByteArray("\x03", 1)},                        // interval code
        {22, QByteArray("\x01", 1)},                        // long records
        {24, QByteArray("633B", 4)},
        {30, QByteArray("\x02\x01", 2)},                    // run 258, little-endian
        {32, QByteArray("1234567", 7)},
        {71, QByteArray("\x01\x16\x03\x15\x08\x59\x01", 7)}, // pre check: valid, date
        {85, QByteArray("\x01\x17\x12\x31\x23\x59\x59", 7)}, // post check
    };
    for (const Case &c : cases)
        EXPECT_EQ(ab.mid(c.nOffset, c.abWant.size()).toHex(), c.abWant.toHex()) << c.nOffset;
    const QByteArray abShort = BinFileBytes(
        MakeRunHeader(1, QStringLiteral("12"), QStringLiteral("6"), QDateTime(QDate(2016, 3, 15), QTime())));
    EXPECT_EQ(abShort.mid(32, 7), QByteArray("12\0\0\0\0\0", 7));
    EXPECT_EQ(abShort.mid(24, 4), QByteArray("6\0\0\0", 4));
    EXPECT_EQ(Byte(abShort, 71), 0);
    EXPECT_EQ(Byte(abShort, 85), 0);
}

TEST(MeterFiles, TimeHistoryRecords)
{
    for (bool bLong : {false, true}) {
        const QByteArray ab = PrfRecordBytes({23, 59, 58, 100.0, 204.796875}, bLong);
        ASSERT_EQ(ab.size(), bLong ? 28 : 18);
        EXPECT_EQ(ab.left(3), QByteArray("\x23\x59\x58"));
        EXPECT_EQ(U16(ab, 6), 32000);
        EXPECT_EQ(U16(ab, 10), 65535);
    }
    // Levels round to the nearest 1/320 dB and stay in the storable range.
    EXPECT_EQ(U16(PrfRecordBytes({0, 0, 0, 67.4036, 500.0}, false), 6), 21569);
    EXPECT_EQ(U16(PrfRecordBytes({0, 0, 0, -5.0, 500.0}, false), 10), 65535);
    EXPECT_EQ(U16(PrfRecordBytes({0, 0, 0, -5.0, 500.0}, false), 6), 0);
}

TEST(MeterFiles, EventFile)
{
    const QByteArray ab = EvtFileBytes(7, {{9, 0, 10, 1, 2, 3, 513}, {0, 0, 0, 0, 0, 0, 0}}, 5);
    ASSERT_EQ(ab.size(), 32 + 2 * 44);
    EXPECT_EQ(U16(ab, 8), 5);
    EXPECT_EQ(Byte(ab, 19), 7);
    EXPECT_EQ(ab.mid(32, 7).toHex(), QByteArray("\x09\x00\x10\x00\x01\x02\x03", 7).toHex());
    EXPECT_EQ(U16(ab, 32 + 10), 513);
    EXPECT_EQ(U16(EvtFileBytes(0, {{}, {}, {}}), 8), 3);
    EXPECT_EQ(ToBcd(59), 0x59);
    EXPECT_EQ(ToBcd(0), 0x00);
    EXPECT_EQ(ToBcd(99), 0x99);
}

TEST(MeterFiles, WavHeader)
{
    const QByteArray ab = WavBytes({0, 1000, -1000}, 8000);
    ASSERT_EQ(ab.size(), 44 + 6);
    EXPECT_EQ(ab.left(4), QByteArray("RIFF"));
    EXPECT_EQ(qFromLittleEndian<quint32>(ab.constData() + 4), 36u + 6u);
    EXPECT_EQ(ab.mid(8, 8), QByteArray("WAVEfmt "));
    EXPECT_EQ(U16(ab, 20), 1);  // PCM
    EXPECT_EQ(U16(ab, 22), 1);  // mono
    EXPECT_EQ(qFromLittleEndian<quint32>(ab.constData() + 24), 8000u);
    EXPECT_EQ(U16(ab, 34), 16); // bits
    EXPECT_EQ(ab.mid(36, 4), QByteArray("data"));
    EXPECT_EQ(qFromLittleEndian<quint32>(ab.constData() + 40), 6u);
    EXPECT_EQ(qFromLittleEndian<qint16>(ab.constData() + 46), 1000);
}
