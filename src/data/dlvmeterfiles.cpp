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

TPrfRecord PrfAt(int nSec, double flLeq, double flMax)
{
    return {nSec / 3600, nSec / 60 % 60, nSec % 60, flLeq, flMax};
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

TEvtRecord EvtAt(int nSec, int nDurationSecs, int nRecording)
{
    return {nSec / 3600, nSec / 60 % 60, nSec % 60,
            nDurationSecs / 3600, nDurationSecs / 60 % 60, nDurationSecs % 60, nRecording};
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

// ------------------------------------------------------------ sample drive

namespace {

// The shape of an ordinary day by a road: quiet at night, a morning and an
// evening traffic peak, a busy but calmer midday (LAeq in dB by hour).
double DailyBase(double flHour)
{
    static const double kHourly[25] = {43, 40, 38, 37, 38, 42, 51, 59, 63, 60, 57, 56, 57,
                                       57, 56, 58, 61, 64, 62, 58, 55, 52, 49, 46, 43};
    const int h = std::clamp(static_cast<int>(flHour), 0, 23);
    const double flFrac = flHour - h;
    return kHourly[h] + (kHourly[h + 1] - kHourly[h]) * flFrac;
}

struct TSampleEvent
{
    int nCross = 0;     // second the level crossed the threshold (the stamp)
    int nLength = 0;    // seconds above the threshold
    double flRise = 0;  // dB above the background at the peak
    int nKind = 0;      // 0 heavy vehicle, 1 aircraft, 2 horn, 3 dog
    int nRecording = 0; // 0: no recording
};

struct TSampleRun
{
    int nRun = 0;
    int nFrom = 0, nTo = 0; // seconds of the day covered, inclusive
    bool bLong = false;
    bool bNote = false;
    std::vector<TSampleEvent> aEvents;
};

// A recording that sounds like its event: a rumble, a broadband swell, a horn
// or barks under the event's envelope, over some background hiss.
std::vector<int16_t> EventSound(const TSampleEvent &evt, int nLead, int nRate, std::mt19937 &rng)
{
    const double flSecs = std::min(12.0, static_cast<double>(evt.nLength + nLead));
    const int n = static_cast<int>(flSecs * nRate);
    std::vector<int16_t> a(static_cast<size_t>(n));
    std::uniform_real_distribution<double> uni(-1.0, 1.0);
    double flLow = 0.0, flLow2 = 0.0;
    const double flPeakAt = (nLead + evt.nLength * 0.4) / flSecs;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / nRate;
        const double x = t / flSecs;
        // Rises to the peak, then falls away.
        double flEnv = x < flPeakAt ? x / flPeakAt : 1.0 - (x - flPeakAt) / (1.0 - flPeakAt);
        flEnv = std::clamp(flEnv, 0.0, 1.0);
        flEnv = 0.08 + 0.92 * flEnv * flEnv;
        const double flNoise = uni(rng);
        flLow += 0.05 * (flNoise - flLow);
        flLow2 += 0.2 * (flNoise - flLow2);
        double fl = 0.0;
        switch (evt.nKind) {
        case 0: // heavy vehicle: engine harmonics and tyre noise
            fl = 0.5 * std::sin(2 * M_PI * 55 * t) + 0.25 * std::sin(2 * M_PI * 110 * t)
                + 2.5 * flLow + 0.15 * flNoise;
            break;
        case 1: // aircraft: broadband roar with a slow whine
            fl = 2.0 * flLow2 + 0.4 * flNoise + 0.1 * std::sin(2 * M_PI * (900 + 80 * x) * t);
            break;
        case 2: { // horn, twice
            const bool bOn = std::fmod(t, 1.2) < 0.7;
            fl = bOn ? 0.5 * std::sin(2 * M_PI * 420 * t) + 0.3 * std::sin(2 * M_PI * 525 * t)
                    : 0.0;
            fl += 0.1 * flNoise;
            break;
        }
        default: { // barks: short bursts of noisy tone
            const double flPhase = std::fmod(t, 0.55);
            const double flBurst = flPhase < 0.18 ? std::sin(M_PI * flPhase / 0.18) : 0.0;
            fl = flBurst * (0.6 * std::sin(2 * M_PI * 650 * t) + 0.5 * flNoise) + 0.05 * flNoise;
            break;
        }
        }
        fl *= flEnv;
        a[static_cast<size_t>(i)] =
            static_cast<int16_t>(std::clamp(fl * 12000.0, -32767.0, 32767.0));
    }
    return a;
}

// A few seconds of voiced, speech-like sound: syllables of a glottal pulse
// train shaped by moving vowel formants.
std::vector<int16_t> VoiceSound(int nRate, std::mt19937 &rng)
{
    static const double kFormants[5][2] = {
        {730, 1090}, {270, 2290}, {530, 1840}, {570, 840}, {300, 870}}; // a i e o u
    std::uniform_int_distribution<int> vowel(0, 4);
    std::uniform_real_distribution<double> uni(-1.0, 1.0);
    const int nSyllables = 9;
    const double flSyll = 0.28, flPause = 0.07;
    const int n = static_cast<int>((nSyllables * (flSyll + flPause) + 0.4) * nRate);
    std::vector<int16_t> a(static_cast<size_t>(n));
    double flPhase = 0.0;
    // Two-pole resonators per formant.
    double ay[2][2] = {{0, 0}, {0, 0}};
    int nV = vowel(rng);
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / nRate - 0.2;
        const int nS = t < 0 ? -1 : static_cast<int>(t / (flSyll + flPause));
        const double flIn = t < 0 ? -1 : std::fmod(t, flSyll + flPause);
        const bool bVoiced = nS >= 0 && nS < nSyllables && flIn < flSyll;
        if (bVoiced && flIn < 1.0 / nRate * 1.5)
            nV = vowel(rng);
        const double flPitch = 125.0 + 25.0 * std::sin(2 * M_PI * 0.4 * t) - 15.0 * (t / 3.0);
        flPhase += flPitch / nRate;
        double flSrc = 0.0;
        if (bVoiced) {
            const double flFrac = flPhase - std::floor(flPhase);
            flSrc = (flFrac < 0.08 ? 1.0 : 0.0) + 0.05 * uni(rng);
            flSrc *= std::sin(M_PI * flIn / flSyll);
        }
        double flOut = 0.0;
        for (int f = 0; f < 2; ++f) {
            const double flR = 0.97;
            const double flW = 2 * M_PI * kFormants[nV][f] / nRate;
            const double y = flSrc + 2 * flR * std::cos(flW) * ay[f][0] - flR * flR * ay[f][1];
            ay[f][1] = ay[f][0];
            ay[f][0] = y;
            flOut += y * (f == 0 ? 1.0 : 0.6);
        }
        a[static_cast<size_t>(i)] =
            static_cast<int16_t>(std::clamp(flOut * 900.0, -32767.0, 32767.0));
    }
    return a;
}

QDateTime AtSecond(const QDate &d, int nSec)
{
    return QDateTime(d, QTime(0, 0).addSecs(std::clamp(nSec, 0, 86399)));
}

// Marker file (never read by Dalvane): 16-byte records of a time and a type.
QByteArray MarkerBytes(const TSampleRun &run)
{
    QByteArray ab;
    for (const TSampleEvent &evt : run.aEvents) {
        QByteArray rec(16, '\0');
        rec[0] = static_cast<char>(ToBcd(evt.nCross / 3600));
        rec[1] = static_cast<char>(ToBcd(evt.nCross / 60 % 60));
        rec[2] = static_cast<char>(ToBcd(evt.nCross % 60));
        rec[3] = static_cast<char>(evt.nKind + 1);
        ab += rec;
    }
    return ab;
}

// Periodic results file (never read by Dalvane): one 32-byte block per hour.
QByteArray PeriodBytes(const TSampleRun &run, const std::vector<double> &aflLeq)
{
    QByteArray ab;
    for (int h = run.nFrom / 3600; h <= run.nTo / 3600; ++h) {
        QByteArray rec(32, '\0');
        rec[0] = static_cast<char>(ToBcd(h));
        double flSum = 0;
        int nCount = 0;
        for (int s = std::max(run.nFrom, h * 3600); s <= std::min(run.nTo, h * 3600 + 3599); ++s) {
            if (aflLeq[static_cast<size_t>(s)] > 0) {
                flSum += std::pow(10.0, aflLeq[static_cast<size_t>(s)] / 10.0);
                ++nCount;
            }
        }
        PutU16(rec.data() + 2, nCount ? LevelWord(10 * std::log10(flSum / nCount)) : 0);
        ab += rec;
    }
    return ab;
}

bool WriteSampleDay(const QString &sDayDir, const QDate &date, const TSampleDriveOptions &opt,
                    int &nNextRun, std::mt19937 &rng)
{
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    auto between = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };

    // Runs: two or three, covering most of the day, with a gap for a battery
    // change between some and an overlap between others.
    std::vector<TSampleRun> aRuns;
    const int nRuns = between(2, 3);
    if (nRuns == 2) {
        const int nSplit = between(11 * 3600, 13 * 3600);
        aRuns.push_back({0, between(0, 600), nSplit, false, true, {}});
        aRuns.push_back({0, nSplit + between(10 * 60, 40 * 60), 86399 - between(0, 1800), false,
                         false, {}});
    } else {
        const int nSplit1 = between(7 * 3600, 9 * 3600);
        const int nSplit2 = between(15 * 3600, 17 * 3600);
        aRuns.push_back({0, between(0, 300), nSplit1, false, true, {}});
        // Overlaps the first run: the meter was restarted before it stopped.
        aRuns.push_back({0, nSplit1 - between(5 * 60, 15 * 60), nSplit2, false, false, {}});
        aRuns.push_back({0, nSplit2 + between(5 * 60, 20 * 60), 86399, true, between(0, 1) == 1, {}});
    }
    for (TSampleRun &run : aRuns)
        run.nRun = nNextRun++;

    // The day's levels: the daily shape, a slow wander and second-to-second
    // scatter; background bursts that stay under the event threshold.
    std::vector<double> aflLeq(86400), aflMax(86400);
    double flWander = 0.0;
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (int s = 0; s < 86400; ++s) {
        flWander = 0.999 * flWander + 0.06 * gauss(rng);
        const double fl = DailyBase(s / 3600.0) + flWander + 1.2 * gauss(rng);
        aflLeq[static_cast<size_t>(s)] = std::max(25.0, fl);
        aflMax[static_cast<size_t>(s)] = aflLeq[static_cast<size_t>(s)] + 0.8 + 2.5 * uni(rng);
    }

    // Events: more by day than by night, each a swell of its kind above the
    // background; the meter stamps the moment the level crosses its threshold.
    const int nLead = 5;
    for (TSampleRun &run : aRuns) {
        const int nHours = std::max(1, (run.nTo - run.nFrom) / 3600);
        const int nEvents = std::max(2, nHours * between(6, 10) / 8);
        int nRecording = 0;
        for (int i = 0; i < nEvents; ++i) {
            TSampleEvent evt;
            // Draw a time, favouring the day: retry night times half of the time.
            int nAt = between(run.nFrom + 60, std::max(run.nFrom + 61, run.nTo - 120));
            const double flHour = nAt / 3600.0;
            if ((flHour < 6 || flHour > 22) && uni(rng) < 0.5)
                nAt = between(run.nFrom + 60, std::max(run.nFrom + 61, run.nTo - 120));
            evt.nKind = between(0, 3);
            static const int kLen[4][2] = {{6, 25}, {25, 70}, {2, 6}, {3, 12}};
            evt.nLength = between(kLen[evt.nKind][0], kLen[evt.nKind][1]);
            evt.nCross = nAt;
            evt.flRise = 12.0 + 16.0 * uni(rng);
            evt.nRecording = uni(rng) < 0.85 ? 1 : 0; // numbered in time order below
            if (evt.nCross + evt.nLength >= run.nTo)
                continue;
            run.aEvents.push_back(evt);
            const int nFrom = evt.nCross - nLead, nTo = evt.nCross + evt.nLength + 3;
            for (int s = std::max(0, nFrom); s <= std::min(86399, nTo); ++s) {
                const double x = static_cast<double>(s - nFrom) / (nTo - nFrom);
                const double flShape = std::sin(M_PI * std::clamp(x, 0.0, 1.0));
                const double flEvt = aflLeq[static_cast<size_t>(s)] - 3 + evt.flRise * flShape;
                // Energy sum of background and event.
                const double flSum =
                    10 * std::log10(std::pow(10.0, aflLeq[static_cast<size_t>(s)] / 10)
                                    + std::pow(10.0, flEvt / 10));
                aflLeq[static_cast<size_t>(s)] = flSum;
                aflMax[static_cast<size_t>(s)] = std::max(aflMax[static_cast<size_t>(s)],
                                                          flSum + 1.5 + 2.5 * uni(rng));
            }
        }
        std::sort(run.aEvents.begin(), run.aEvents.end(),
                  [](const TSampleEvent &a, const TSampleEvent &b) { return a.nCross < b.nCross; });
        for (TSampleEvent &evt : run.aEvents) {
            if (evt.nRecording != 0)
                evt.nRecording = ++nRecording;
        }
    }

    for (const TSampleRun &run : aRuns) {
        const auto runFile = [&](const char *pszSuffix) {
            return sDayDir + RunFileName(run.nRun, QLatin1String(pszSuffix));
        };
        // Time history with the odd pause (the operator paused the meter).
        std::vector<TPrfRecord> aPrf;
        aPrf.reserve(static_cast<size_t>(run.nTo - run.nFrom + 1));
        int nPauseAt = between(run.nFrom, run.nTo), nPauseLen = between(60, 600);
        for (int s = run.nFrom; s <= run.nTo; ++s) {
            if (s >= nPauseAt && s < nPauseAt + nPauseLen)
                continue;
            aPrf.push_back(
                PrfAt(s, aflLeq[static_cast<size_t>(s)], aflMax[static_cast<size_t>(s)]));
        }
        if (!WritePrfFile(runFile(".PRF"), aPrf, run.bLong))
            return false;

        TBinFile bin = MakeRunHeader(run.nRun, opt.sSerial, QStringLiteral("632A"),
                                     AtSecond(date, run.nFrom), 1, run.bLong);
        SetCalibration(bin, false, AtSecond(date, run.nFrom - between(60, 240)));
        // No check after a run that went on to midnight: it belongs to the next day.
        if (run.nTo + 180 < 86400)
            SetCalibration(bin, true, AtSecond(date, run.nTo + between(20, 120)));
        bin.dwPrfRecCount = static_cast<uint32_t>(aPrf.size());
        bin.dwMrkRecCount = static_cast<uint32_t>(run.aEvents.size());
        if (!WriteBinFile(runFile(".BIN"), bin))
            return false;

        std::vector<TEvtRecord> aEvt;
        for (const TSampleEvent &evt : run.aEvents) {
            aEvt.push_back(EvtAt(evt.nCross, evt.nLength, evt.nRecording));
            if (evt.nRecording != 0
                && !WriteWavFile(sDayDir + RecordingFileName(run.nRun, evt.nRecording),
                                 EventSound(evt, nLead, 8000, rng), 8000))
                return false;
        }
        if (!WriteEvtFile(runFile(".EVT"), nLead, aEvt))
            return false;
        if (run.bNote && !WriteWavFile(runFile("NOTE.WAV"), VoiceSound(8000, rng), 8000))
            return false;
        if (!WriteBytes(runFile(".MKR"), MarkerBytes(run))
            || !WriteBytes(runFile(".EPR"), PeriodBytes(run, aflLeq)))
            return false;
    }
    return true;
}

} // namespace

bool WriteSampleDrive(const QString &sDir, const TSampleDriveOptions &opt)
{
    if (sDir.isEmpty() || opt.nDays < 1)
        return false;
    QDate dFirst = opt.dFirst;
    if (!dFirst.isValid())
        dFirst = QDate::currentDate().addDays(-opt.nDays);
    std::mt19937 rng(opt.nSeed);
    QString sRoot = sDir;
    if (!sRoot.endsWith(QLatin1Char('/')))
        sRoot += QLatin1Char('/');
    if (opt.bAsData)
        sRoot += opt.sSerial + QLatin1Char('/');
    int nNextRun = 1;
    for (int i = 0; i < opt.nDays; ++i) {
        const QDate d = dFirst.addDays(i);
        const QString sDay = sRoot + d.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('/');
        if (!QDir().mkpath(sDay) || !WriteSampleDay(sDay, d, opt, nNextRun, rng))
            return false;
    }
    return true;
}

} // namespace dlv
