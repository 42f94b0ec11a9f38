#include "dlvmeterfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace dlv {

namespace {

bool WriteBytes(const QString &sPath, const QByteArray &ab)
{
    const QFileInfo fi(sPath);
    if (!QDir().mkpath(fi.absolutePath()))
        return false;
    QFile f(sPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool bOk = f.write(ab) == ab.size();
    f.close();
    return bOk && f.error() == QFileDevice::NoError;
}

void PutU16(char *p, int n)
{
    qToLittleEndian<quint16>(static_cast<quint16>(n), p);
}

// A level in dB as the meter stores it: 1/320 dB steps, 0..65535.
quint16 LevelWord(double fl)
{
    if (!(fl > 0.0))
        return 0;
    const double flW = std::round(fl * 320.0);
    return flW >= 65535.0 ? 65535 : static_cast<quint16>(flW);
}

void PutBcdDateTime(uint8_t *p, const QDateTime &dt, bool bMSec)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    p[0] = ToBcd(d.year() - 2000);
    p[1] = ToBcd(d.month());
    p[2] = ToBcd(d.day());
    p[3] = ToBcd(t.hour());
    p[4] = ToBcd(t.minute());
    p[5] = ToBcd(t.second());
    if (bMSec)
        p[6] = ToBcd(std::min(t.msec(), 99));
}

} // namespace

uint8_t ToBcd(int n)
{
    n = std::clamp(n, 0, 99);
    return static_cast<uint8_t>(((n / 10) << 4) | (n % 10));
}

TBinFile MakeRunHeader(int nRunNumber, const QString &sSerial, const QString &sModel,
                       const QDateTime &dtRunStart, int nPrfSecsCode, bool bLongPrf)
{
    TBinFile bin;
    std::memset(&bin, 0, sizeof bin);
    bin.wSumRecSiz = 64;
    bin.wRunRecSiz = 128;
    bin.wPrfRecSiz = bLongPrf ? 28 : 18;
    bin.wMrkRecSiz = 16;
    PutBcdDateTime(bin.abyRunStart, dtRunStart, true);
    bin.byPrfSecs = static_cast<uint8_t>(nPrfSecsCode);
    bin.byPrfLns = bLongPrf ? 1 : 0;
    const QByteArray abyModel = sModel.toLatin1();
    for (int i = 0; i < 4 && i < abyModel.size(); ++i)
        bin.abyModelNum[i] = static_cast<uint8_t>(abyModel[i]);
    bin.byFWIssue = 3;
    bin.byFWProto = 1;
    bin.wRunNumber = static_cast<uint16_t>(nRunNumber);
    const QByteArray abySer = sSerial.toLatin1();
    for (int i = 0; i < 7 && i < abySer.size(); ++i)
        bin.abySerNum[i] = static_cast<uint8_t>(abySer[i]);
    bin.byThreshold = 65;
    bin.byRange = 1;
    return bin;
}

void SetCalibration(TBinFile &bin, bool bPost, const QDateTime &dt)
{
    uint8_t aby[7] = {};
    PutBcdDateTime(aby, dt, false);
    if (bPost) {
        bin.byPostCalValid = 1;
        bin.wPostCalRef = 9400;
        std::memcpy(bin.abyPostCalDate, aby, 6);
    } else {
        bin.byPreCalValid = 1;
        bin.wPreCalRef = 9400;
        std::memcpy(bin.abyPreCalDate, aby, 6);
    }
}

QByteArray BinFileBytes(const TBinFile &bin)
{
    // TBinFile is packed and the meter is little-endian like every platform we
    // build for, so the record's bytes are the file.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "meter records are little-endian");
    return QByteArray(reinterpret_cast<const char *>(&bin), sizeof bin);
}

bool WriteBinFile(const QString &sPath, const TBinFile &bin)
{
    return WriteBytes(sPath, BinFileBytes(bin));
}

QByteArray PrfRecordBytes(const TPrfRecord &rec, bool bLong)
{
    QByteArray ab(bLong ? 28 : 18, '\0');
    char *p = ab.data();
    p[0] = static_cast<char>(ToBcd(rec.nHour));
    p[1] = static_cast<char>(ToBcd(rec.nMin));
    p[2] = static_cast<char>(ToBcd(rec.nSec));
    PutU16(p + 6, LevelWord(rec.flLeq));
    PutU16(p + 10, LevelWord(rec.flMax));
    return ab;
}

bool WritePrfFile(const QString &sPath, const std::vector<TPrfRecord> &aRecs, bool bLong)
{
    QByteArray ab;
    ab.reserve(static_cast<qsizetype>(aRecs.size()) * (bLong ? 28 : 18));
    for (const TPrfRecord &rec : aRecs)
        ab += PrfRecordBytes(rec, bLong);
    return WriteBytes(sPath, ab);
}

QByteArray EvtFileBytes(int nLeadSecs, const std::vector<TEvtRecord> &aRecs, int nAnnounced)
{
    QByteArray ab(32 + 44 * static_cast<qsizetype>(aRecs.size()), '\0');
    char *p = ab.data();
    PutU16(p + 8, nAnnounced < 0 ? static_cast<int>(aRecs.size()) : nAnnounced);
    p[19] = static_cast<char>(std::clamp(nLeadSecs, 0, 255));
    p += 32;
    for (const TEvtRecord &rec : aRecs) {
        p[0] = static_cast<char>(ToBcd(rec.nHour));
        p[1] = static_cast<char>(ToBcd(rec.nMin));
        p[2] = static_cast<char>(ToBcd(rec.nSec));
        p[4] = static_cast<char>(ToBcd(rec.nDurH));
        p[5] = static_cast<char>(ToBcd(rec.nDurM));
        p[6] = static_cast<char>(ToBcd(rec.nDurS));
        PutU16(p + 10, rec.nRecording);
        p += 44;
    }
    return ab;
}

bool WriteEvtFile(const QString &sPath, int nLeadSecs, const std::vector<TEvtRecord> &aRecs,
                  int nAnnounced)
{
    return WriteBytes(sPath, EvtFileBytes(nLeadSecs, aRecs, nAnnounced));
}

QByteArray WavBytes(const std::vector<int16_t> &aSamples, int nSampleRate)
{
    const quint32 nData = static_cast<quint32>(aSamples.size() * 2);
    QByteArray ab(44 + static_cast<qsizetype>(nData), '\0');
    char *p = ab.data();
    std::memcpy(p, "RIFF", 4);
    qToLittleEndian<quint32>(36 + nData, p + 4);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, p + 16);
    qToLittleEndian<quint16>(1, p + 20); // PCM
    qToLittleEndian<quint16>(1, p + 22); // mono
    qToLittleEndian<quint32>(static_cast<quint32>(nSampleRate), p + 24);
    qToLittleEndian<quint32>(static_cast<quint32>(nSampleRate) * 2, p + 28);
    qToLittleEndian<quint16>(2, p + 32);
    qToLittleEndian<quint16>(16, p + 34);
    std::memcpy(p + 36, "data", 4);
    qToLittleEndian<quint32>(nData, p + 40);
    for (size_t i = 0; i < aSamples.size(); ++i)
        qToLittleEndian<qint16>(aSamples[i], p + 44 + 2 * i);
    return ab;
}

bool WriteWavFile(const QString &sPath, const std::vector<int16_t> &aSamples, int nSampleRate)
{
    return WriteBytes(sPath, WavBytes(aSamples, nSampleRate));
}

bool WriteToneWav(const QString &sPath, double flSeconds, double flHz, int nSampleRate)
{
    const int nCount = std::max(1, static_cast<int>(std::lround(flSeconds * nSampleRate)));
    std::vector<int16_t> a(static_cast<size_t>(nCount));
    std::minstd_rand rng(static_cast<unsigned>(nCount) ^ static_cast<unsigned>(flHz));
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const int nFade = std::min(nCount / 4, nSampleRate / 50);
    for (int i = 0; i < nCount; ++i) {
        double fl = 0.6 * std::sin(2.0 * M_PI * flHz * i / nSampleRate) + 0.05 * noise(rng);
        if (nFade > 0) {
            if (i < nFade)
                fl *= static_cast<double>(i) / nFade;
            else if (i >= nCount - nFade)
                fl *= static_cast<double>(nCount - 1 - i) / nFade;
        }
        a[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(fl * 32767.0 * 0.8));
    }
    return WriteWavFile(sPath, a, nSampleRate);
}

bool WriteSampleDrive(const QString &, const TSampleDriveOptions &)
{
    return false; // filled in below
}

} // namespace dlv
