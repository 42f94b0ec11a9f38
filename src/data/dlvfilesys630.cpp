#include "dlvfilesys630.h"

#include "dlvcsv.h"
#include "dlverror.h"
#include "dlvutils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace dlv {

namespace {

// Interval lengths in seconds of the run header's byPrfSecs code.
constexpr int kPrfSecs[16] = {0, 1, 2, 5, 10, 15, 20, 30, 60, 120, 300, 600, 900, 1200, 1800, 3600};

constexpr int kEvtHeaderLen = 32;
constexpr int kEvtRecordLen = 44;

const QString kEvtxName = QStringLiteral("evtx.csv");
const QString kEvtxHeader = QStringLiteral("Event,Notes,Report");

// Reads up to nLen bytes, going on after short reads until the file ends or
// fails; returns how many bytes arrived. Callers only ever look at that many.
qint64 ReadUpTo(QFile &f, char *p, qint64 nLen)
{
    qint64 nGot = 0;
    while (nGot < nLen) {
        const qint64 n = f.read(p + nGot, nLen - nGot);
        if (n <= 0)
            break;
        nGot += n;
    }
    return nGot;
}

[[noreturn]] void ThrowOpenError(const QFile &f)
{
    throw EDlvError(QStringLiteral("Cannot open file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(f.fileName()), f.errorString()));
}

[[noreturn]] void ThrowBcdError(uint8_t by, const QString &sFile)
{
    throw EDlvError(QStringLiteral("'%1' is not a valid BCD value in \"%2\"")
                        .arg(QStringLiteral("%1").arg(by, 2, 16, QLatin1Char('0')).toUpper(),
                             QDir::toNativeSeparators(sFile)));
}

// A short Latin-1 text (a start time, a file name) put together in a fixed
// buffer and written into a string in one go. The strings of the event table
// are rebuilt this way on every load, so they keep their buffers instead of
// going through formatted copies.
class TShortText
{
public:
    TShortText &operator<<(char c)
    {
        if (m_nLen < kCap)
            m_ac[m_nLen++] = c;
        return *this;
    }
    TShortText &operator<<(QLatin1String s)
    {
        for (const char c : s)
            *this << c;
        return *this;
    }
    // n (>= 0) in decimal with at least nWidth digits ("%3.3d" and the like).
    TShortText &Padded(int n, int nWidth)
    {
        char ac[16];
        int nDigits = 0;
        unsigned u = static_cast<unsigned>(n);
        do {
            ac[nDigits++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u != 0);
        while (nDigits < nWidth)
            ac[nDigits++] = '0';
        while (nDigits > 0)
            *this << ac[--nDigits];
        return *this;
    }
    void AssignTo(QString &s) const
    {
        s.resize(m_nLen);
        QChar *p = s.data();
        for (int i = 0; i < m_nLen; ++i)
            p[i] = QLatin1Char(m_ac[i]);
    }

private:
    static constexpr int kCap = 32;
    char m_ac[kCap];
    int m_nLen = 0;
};

// "%2.2d:%2.2d:%2.2d" of the hours, minutes and seconds of nSec (nSec >= 0).
void SetHms(QString &s, int nSec)
{
    TShortText t;
    t.Padded(nSec / 3600, 2) << ':';
    t.Padded(nSec % 3600 / 60, 2) << ':';
    t.Padded(nSec % 60, 2).AssignTo(s);
}

// "R%3.3dE%3.3d.WAV" of a run and recording number.
void SetRecordingName(QString &s, int nRun, int nRecording)
{
    TShortText t;
    t << 'R';
    t.Padded(nRun, 3) << 'E';
    t.Padded(nRecording, 3) << QLatin1String(".WAV");
    t.AssignTo(s);
}

// Packed-BCD bytes decoded by table: -1 for a byte with a half above 9.
struct TBcdTable
{
    int8_t an[256];
    constexpr TBcdTable() : an()
    {
        for (int i = 0; i < 256; ++i)
            an[i] = static_cast<int8_t>(BcdByte(static_cast<uint8_t>(i)));
    }
};
constexpr TBcdTable kBcd;

// Every storable level (1/320 dB steps), exactly the stored word divided by
// 320.0, computed once per process: the time history is placed by lookup.
struct TLevelTable
{
    std::vector<double> aflLevel;
    TLevelTable() : aflLevel(65536)
    {
        for (int w = 0; w < 65536; ++w)
            aflLevel[static_cast<size_t>(w)] = w / 320.0;
    }
};

const double *LevelTable()
{
    static const TLevelTable table;
    return table.aflLevel.data();
}

// 10^(L/10) of a storable level L = w/320 is 10^((w & ~63)/3200) *
// 10^((w & 63)/3200): two small tables (9 KB) that stay in the first-level
// cache while an event's seconds are summed, within an ulp or two of
// std::pow. Any other value goes through std::pow.
struct TEnergyTable
{
    double aflHigh[1024];
    double aflLow[64];
    TEnergyTable()
    {
        for (int i = 0; i < 1024; ++i)
            aflHigh[i] = std::pow(10.0, i * 64 / 3200.0);
        for (int i = 0; i < 64; ++i)
            aflLow[i] = std::pow(10.0, i / 3200.0);
    }
};

const TEnergyTable &EnergyTable()
{
    static const TEnergyTable table;
    return table;
}

// Adds the energy of one second's level to flSum and counts it; a missing
// level (NaN or -1.0) adds nothing. A level the loader stored (fl * 320 a whole
// word) is settled by one conversion and two table reads; any other value goes
// through std::pow.
inline void AddEnergy(const TEnergyTable &t, double fl, double &flSum, int &nCount)
{
    const double flW = fl * 320.0;
    if (flW > -0.5 && flW < 65535.5) { // false for NaN
        const int w = static_cast<int>(flW + 0.5);
        if (std::fabs(flW - w) < 1e-7) {
            flSum += t.aflHigh[w >> 6] * t.aflLow[w & 63];
            ++nCount;
            return;
        }
    }
    if (!IsNoLevel(fl)) {
        flSum += std::pow(10.0, fl / 10.0);
        ++nCount;
    }
}

// A meter or day name that would lead out of the data folder.
bool IsPathLike(const QString &s)
{
    return s.contains(QLatin1Char('/')) || s.contains(QLatin1Char('\\'))
        || s == QLatin1String(".") || s == QLatin1String("..");
}

} // namespace

int TEvent::StartSec() const
{
    // "hh:nn:ss"; an hour above 99 (a time stamp far past midnight in a damaged
    // file) gives a longer text, read the same way.
    const qsizetype nLen = sStart.size();
    const qsizetype nHourLen = nLen - 6;
    auto digits = [this](qsizetype nFrom, qsizetype nCount, bool &bOk) {
        int n = 0;
        for (qsizetype i = nFrom; i < nFrom + nCount; ++i) {
            const QChar c = sStart[i];
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                bOk = false;
                return 0;
            }
            n = n * 10 + (c.unicode() - '0');
        }
        return n;
    };
    bool bOk = nHourLen >= 2 && nHourLen <= 6;
    int nH = 0, nM = 0, nS = 0;
    if (bOk) {
        nH = digits(0, nHourLen, bOk);
        nM = digits(nHourLen + 1, 2, bOk);
        nS = digits(nHourLen + 4, 2, bOk);
    }
    if (!bOk)
        throw EDlvError(QStringLiteral("'%1' is not a valid time").arg(sStart));
    return nH * 3600 + nM * 60 + nS;
}

QStringList SplitCalibrations(const QString &sCalibrations)
{
    return TCsvFile::SplitDelimited(sCalibrations, QLatin1Char(';'));
}

QString RunFileName(int nRun, QLatin1String sSuffix)
{
    TShortText t;
    t << 'R';
    t.Padded(nRun, 3) << sSuffix;
    QString s;
    t.AssignTo(s);
    return s;
}

QString RecordingFileName(int nRun, int nRecording)
{
    QString s;
    SetRecordingName(s, nRun, nRecording);
    return s;
}

TFileSys630::TFileSys630(TBaseDirFn fnBaseDir) : m_fnBaseDir(std::move(fnBaseDir))
{
    std::memset(aflLeq.data(), 0xFF, sizeof(double) * kSlots);
    std::memset(aflMax.data(), 0xFF, sizeof(double) * kSlots);
}

QString TFileSys630::DayFolder() const
{
    QString s = m_fnBaseDir ? m_fnBaseDir() : QString();
    if (!s.isEmpty() && !s.endsWith(QLatin1Char('/')) && !s.endsWith(QDir::separator()))
        s += QLatin1Char('/');
    return s + sMeter + QLatin1Char('/') + sDate + QLatin1Char('/');
}

bool TFileSys630::LoadBin(const QString &sMeterName, const QString &sDateName)
{
    sMeter = sMeterName;
    sDate = sDateName;
    abinfile.clear();
    const QString sDir = DayFolder();
    // One listing gives both the count of plain *.BIN files and the files in
    // name order, so the two can never disagree while a download is writing.
    // The pattern matches regardless of letter case, as everywhere else.
    QStringList slNames;
    QDirIterator it(sDir, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString sName = it.fileName();
        if (sName.endsWith(QLatin1String(".BIN"), Qt::CaseInsensitive))
            slNames.append(sName);
    }
    std::sort(slNames.begin(), slNames.end(), [](const QString &s1, const QString &s2) {
        const int n = s1.compare(s2, Qt::CaseInsensitive);
        return n != 0 ? n < 0 : s1 < s2;
    });
    abinfile.reserve(static_cast<size_t>(slNames.size()));
    bool bAllWhole = true;
    for (const QString &sName : slNames) {
        QFile f(sDir + sName);
        if (!f.open(QIODevice::ReadOnly))
            ThrowOpenError(f);
        TBinFile bin;
        std::memset(&bin, 0, sizeof bin);
        if (ReadUpTo(f, reinterpret_cast<char *>(&bin), sizeof bin)
            < static_cast<qint64>(sizeof bin)) {
            // A short header fails the load but is not kept: a half-read
            // record would hand garbage run numbers and dates to the readers.
            bAllWhole = false;
            continue;
        }
        abinfile.push_back(bin);
    }
    return !slNames.isEmpty() && bAllWhole;
}

QString TFileSys630::Model() const
{
    if (abinfile.empty())
        return QString();
    // One byte per character; bytes above 127 are taken as Latin-1, which maps
    // each byte value to the character of the same code.
    const uint8_t *p = abinfile.front().abyModelNum;
    int n = 0;
    while (n < 4 && p[n] != 0)
        ++n;
    return QStringLiteral("ZEV") + QString::fromLatin1(reinterpret_cast<const char *>(p), n);
}

QStringList TFileSys630::CalibrationLabels() const
{
    QStringList slLabels;
    auto add = [&slLabels](const uint8_t *aby) {
        const QString sLabel = DayTimeLabel(BcdToDateTime(aby, 6));
        if (!slLabels.contains(sLabel, Qt::CaseInsensitive))
            slLabels.append(sLabel);
    };
    for (auto it = abinfile.rbegin(); it != abinfile.rend(); ++it) {
        if (it->byPreCalValid == 1)
            add(it->abyPreCalDate);
        if (it->byPostCalValid == 1)
            add(it->abyPostCalDate);
    }
    return slLabels;
}

QString TFileSys630::Calibrations() const
{
    QString s;
    for (const QString &sLabel : CalibrationLabels()) {
        if (!s.isEmpty())
            s += QLatin1Char(';');
        QString sQuoted = sLabel;
        sQuoted.replace(QLatin1String("\""), QLatin1String("\"\""));
        s += QLatin1Char('"') + sQuoted + QLatin1Char('"');
    }
    return s;
}

bool TFileSys630::LoadProfiles()
{
    bHasProfile = false;
    if (!Loaded())
        return false;
    std::memset(aflLeq.data(), 0xFF, sizeof(double) * kSlots);
    std::memset(aflMax.data(), 0xFF, sizeof(double) * kSlots);
    for (size_t i = 0; i < abinfile.size(); ++i) {
        const uint8_t byCode = abinfile[i].byPrfSecs;
        if (byCode < 16 && kPrfSecs[byCode] == 1 && LoadRunProfile(static_cast<int>(i)))
            bHasProfile = true;
    }
    return bHasProfile;
}

bool TFileSys630::LoadRunProfile(int nIndex)
{
    const TBinFile &bin = abinfile[static_cast<size_t>(nIndex)];
    const QString sPath = DayFolder() + RunFileName(bin.wRunNumber, QLatin1String(".PRF"));
    const qint64 nRecLen = PrfRecordLength(bin);
    QFile f(sPath);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    m_abyBuf.resize(static_cast<size_t>(kPrfChunk));
    char *pBuf = m_abyBuf.data();
    const double *aflLevel = LevelTable();
    double *pLeq = aflLeq.data();
    double *pMax = aflMax.data();
    for (;;) {
        const qint64 nGot = ReadUpTo(f, pBuf, kPrfChunk);
        const qint64 nWhole = nGot / nRecLen; // a trailing partial record is ignored
        const auto *p = reinterpret_cast<const uint8_t *>(pBuf);
        ReleaseVectorUpper();
        for (qint64 r = 0; r < nWhole; ++r, p += nRecLen) {
            const int nH = kBcd.an[p[0]], nM = kBcd.an[p[1]], nS = kBcd.an[p[2]];
            if ((nH | nM | nS) < 0)
                return false; // ends this file only; earlier records stay
            const unsigned nSlot = static_cast<unsigned>(nH * 3600 + nM * 60 + nS);
            // Valid BCD can still name a second past 24:00:00 (hour 25, minute
            // 99): such a record has no slot and is skipped.
            if (nSlot > static_cast<unsigned>(kSlots - 1))
                continue;
            pLeq[nSlot] = aflLevel[p[6] | (p[7] << 8)];
            pMax[nSlot] = aflLevel[p[10] | (p[11] << 8)];
        }
        if (nGot < kPrfChunk)
            break;
    }
    return true;
}

TEvent *TFileSys630::NextEvent()
{
    if (nEvents >= kMaxEvents)
        return nullptr; // the table is full: later entries are dropped
    return &aevt[static_cast<size_t>(nEvents++)];
}

void TFileSys630::LoadEvents()
{
    // The previous day's entries go back to their defaults; their strings keep
    // their buffers for the entries of this load.
    for (int i = 0; i < nEvents; ++i) {
        TEvent &e = aevt[static_cast<size_t>(i)];
        e.evttype = TEventType::etEvent;
        e.sStart.resize(0);
        e.nDuration = 0;
        e.flLAeq = -1.0;
        e.flLAFMax = -1.0;
        e.sWavFile.resize(0);
        e.sNotes.resize(0);
        e.bReport = true;
    }
    nEvents = 0;
    const QString sDir = DayFolder();
    try {
        LoadRunsEvents(sDir);
    } catch (const EDlvError &) {
        FillEventLevels(); // the entries read before the fault keep their levels
        throw;
    }
    FillEventLevels();
    LoadEvtNotes();
}

void TFileSys630::LoadRunsEvents(const QString &sDir)
{
    for (const TBinFile &bin : abinfile) {
        if (nEvents >= kMaxEvents)
            break;
        const int nRun = bin.wRunNumber;
        const QString sNote = RunFileName(nRun, QLatin1String("NOTE.WAV"));
        if (QFileInfo::exists(sDir + sNote)) {
            const TDateTime dt = BcdToDateTime(bin.abyRunStart, 7);
            const qint64 nMs = std::llround((dt - std::floor(dt)) * 86400000.0) % 86400000;
            TEvent *pe = NextEvent();
            if (pe == nullptr)
                break;
            TEvent &e = *pe;
            e.evttype = TEventType::etVoiceNotes;
            // The same literal ":" as the event starts, so a voice note and an
            // event of the same second share their key in evtx.csv.
            SetHms(e.sStart, static_cast<int>(nMs / 1000));
            e.nDuration = 0;
            e.flLAeq = 0.0;
            e.flLAFMax = 0.0;
            e.sWavFile = sNote;
            e.bReport = false;
        }
        LoadRunEvents(sDir + RunFileName(nRun, QLatin1String(".EVT")), nRun);
    }
}

void TFileSys630::FillEventLevels()
{
    if (!bHasProfile)
        return; // the levels stay "no value"
    ReleaseVectorUpper();
    // EventLAeq and EventLAFMax of each event, in one pass over the seconds
    // from its start to its end, once all the runs are read.
    for (int i = 0; i < nEvents; ++i) {
        TEvent &e = aevt[static_cast<size_t>(i)];
        if (e.evttype != TEventType::etEvent)
            continue;
        const int nStart = m_anStartSec[static_cast<size_t>(i)];
        EventLevels(nStart,
                    static_cast<int>(std::min<qint64>(static_cast<qint64>(nStart) + e.nDuration, kSlots - 1)),
                    e.flLAeq, e.flLAFMax);
    }
}

namespace {

// The slots an .EVT record covers: from its time stamp less the lead time to
// that plus its duration and the lead time. The lead time can reach back
// before midnight. The day has no slots there and "hh:nn:ss" no negative form,
// so such an event starts at 00:00:00 and is shortened by the seconds cut
// off; it still ends when the meter said. False on a byte that is not BCD
// (byBad names it).
bool EvtRecordSpan(const uint8_t *p, int nLead, int &nStart, int &nDuration, uint8_t &byBad)
{
    int an[6];
    for (int i = 0; i < 6; ++i) {
        const uint8_t by = p[i < 3 ? i : i + 1];
        an[i] = kBcd.an[by];
        if (an[i] < 0) {
            byBad = by;
            return false;
        }
    }
    nStart = an[0] * 3600 + an[1] * 60 + an[2] - nLead;
    nDuration = an[3] * 3600 + an[4] * 60 + an[5] + nLead;
    if (nStart < 0) {
        nDuration += nStart;
        nStart = 0;
    }
    return true;
}

} // namespace

void TFileSys630::LoadRunEvents(const QString &sPath, int nRun)
{
    if (!QFileInfo::exists(sPath))
        return;
    QFile f(sPath);
    if (!f.open(QIODevice::ReadOnly))
        ThrowOpenError(f);
    uint8_t abyHeader[kEvtHeaderLen];
    if (ReadUpTo(f, reinterpret_cast<char *>(abyHeader), kEvtHeaderLen) < kEvtHeaderLen)
        return;
    const int nAnnounced = qFromLittleEndian<quint16>(abyHeader + 8);
    const int nLead = abyHeader[19];
    const qint64 nWant = static_cast<qint64>(nAnnounced) * kEvtRecordLen;
    m_abyBuf.resize(static_cast<size_t>(std::max<qint64>(nWant, kPrfChunk)));
    const qint64 nWhole = ReadUpTo(f, m_abyBuf.data(), nWant) / kEvtRecordLen;
    const auto *p = reinterpret_cast<const uint8_t *>(m_abyBuf.data());
    for (qint64 r = 0; r < nWhole && nEvents < kMaxEvents; ++r, p += kEvtRecordLen) {
        int nStart = 0, nDuration = 0;
        uint8_t byBad = 0;
        if (!EvtRecordSpan(p, nLead, nStart, nDuration, byBad))
            ThrowBcdError(byBad, sPath);
        const int nRecording = qFromLittleEndian<quint16>(p + 10);
        TEvent *pe = NextEvent();
        if (pe == nullptr)
            break;
        TEvent &e = *pe;
        e.evttype = TEventType::etEvent;
        SetHms(e.sStart, nStart);
        m_anStartSec[static_cast<size_t>(nEvents - 1)] = nStart;
        e.nDuration = nDuration;
        if (nRecording != 0)
            SetRecordingName(e.sWavFile, nRun, nRecording);
        e.bReport = true;
    }
}

void TFileSys630::EventLevels(int nFirst, int nLast, double &flLAeq, double &flLAFMax) const
{
    if (!bHasProfile) {
        flLAeq = flLAFMax = -1.0;
        return;
    }
    const TEnergyTable &t = EnergyTable();
    double flSum = 0.0, flMax = 0.0;
    int nCount = 0;
    const int nFrom = std::max(nFirst, 0), nTo = std::min(nLast, kSlots - 1);
    for (int s = nFrom; s <= nTo; ++s) {
        AddEnergy(t, aflLeq[static_cast<size_t>(s)], flSum, nCount);
        // NaN never compares greater and -1.0 never beats 0.0: a missing
        // level needs no test of its own here.
        const double flMx = aflMax[static_cast<size_t>(s)];
        flMax = flMx > flMax ? flMx : flMax;
    }
    flLAeq = nCount > 0 ? 10.0 * std::log10(flSum / nCount) : -1.0;
    flLAFMax = flMax; // 0.0, not -1.0, when no second has a value
}

size_t TFileSys630::FindStartBucket(QStringView svStart) const
{
    // A start is "hh:nn:ss": its eight characters make the hash directly.
    uint64_t qw = static_cast<uint64_t>(svStart.size());
    for (const QChar c : svStart)
        qw = qw * 131 + c.unicode();
    size_t n = static_cast<size_t>((qw * 0x9E3779B97F4A7C15ull) >> 53) & (kStartBuckets - 1);
    // Linear probing: at most 1001 starts in 2048 buckets, so an empty bucket
    // always ends the search.
    for (;;) {
        const int nEntry = m_anStartBucket[n];
        if (nEntry < 0 || aevt[static_cast<size_t>(nEntry)].sStart == svStart)
            return n;
        n = (n + 1) & (kStartBuckets - 1);
    }
}

void TFileSys630::LoadEvtNotes()
{
    TCsvFile csv;
    if (nEvents == 0 || !csv.LoadFile(DayFolder() + kEvtxName))
        return;
    const int nEventIdx = csv.FieldIndex(QStringLiteral("Event"));
    const int nNotesIdx = csv.FieldIndex(QStringLiteral("Notes"));
    const int nReportIdx = csv.FieldIndex(QStringLiteral("Report"));
    if (nEventIdx < 0)
        return; // no Event field: every row reads an empty start, which no entry has
    // Entries by start text, chained in table order: a row changes every entry
    // with its start. The index has twice as many buckets as the table has
    // entries and lives in the object, so a load allocates nothing for it.
    m_anStartBucket.fill(-1);
    for (int i = nEvents - 1; i >= 0; --i) {
        const QString &sStart = aevt[static_cast<size_t>(i)].sStart;
        int &nFirst = m_anStartBucket[FindStartBucket(sStart)];
        m_anNextSame[static_cast<size_t>(i)] = nFirst;
        nFirst = i;
    }
    // Rows in file order, so the last row of a start wins.
    QStringList slFields;
    const int nRecs = csv.RecCount();
    for (int r = 1; r < nRecs; ++r) {
        csv.SplitRecord(r, slFields);
        if (nEventIdx >= slFields.size())
            continue;
        const int nFirst = m_anStartBucket[FindStartBucket(slFields[nEventIdx])];
        if (nFirst < 0)
            continue;
        // A missing Notes field reads as empty, a missing Report field as on.
        const QString sNotes = nNotesIdx >= 0 && nNotesIdx < slFields.size() ? slFields[nNotesIdx]
                                                                              : QString();
        const bool bReport = !(nReportIdx >= 0 && nReportIdx < slFields.size()
                               && slFields[nReportIdx] == QLatin1String("0"));
        for (int i = nFirst; i >= 0; i = m_anNextSame[static_cast<size_t>(i)]) {
            aevt[static_cast<size_t>(i)].sNotes = sNotes;
            aevt[static_cast<size_t>(i)].bReport = bReport;
        }
    }
}

bool TFileSys630::SaveEvtNotes()
{
    if (!Loaded() || IsPathLike(sMeter) || IsPathLike(sDate) || sDate.isEmpty())
        return false;
    // Built in memory and written in one go through QSaveFile: a save that
    // fails leaves the previous evtx.csv as it was, never a header-only file.
    TCsvFile csv;
    csv.NewFile(DayFolder() + kEvtxName, kEvtxHeader);
    const QString s1 = QStringLiteral("1"), s0 = QStringLiteral("0");
    for (int i = 0; i < nEvents; ++i) {
        const TEvent &evt = aevt[static_cast<size_t>(i)];
        csv.AppendRec(QStringList{evt.sStart, evt.sNotes, evt.bReport ? s1 : s0});
    }
    return csv.SaveFile();
}

} // namespace dlv
