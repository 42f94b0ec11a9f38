#include "dlvfilesys630.h"

#include "dlvcsv.h"
#include "dlverror.h"
#include "dlvutils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
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
// A multiple of both .PRF record lengths (18 and 28), so a chunk holds whole
// records only.
constexpr qint64 kPrfChunk = 252 * 260;

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

QString HmsText(int nSec)
{
    return QString::asprintf("%2.2d:%2.2d:%2.2d", nSec / 3600, nSec % 3600 / 60,
                             nSec % 3600 % 60);
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
    const int nCount = CountFiles(sDir + QStringLiteral("*.BIN"));
    QStringList slNames;
    if (nCount > 0) {
        slNames = QDir(sDir).entryList(QStringList{QStringLiteral("*.BIN")},
                                       QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
        if (slNames.size() > nCount)
            slNames.resize(nCount);
    }
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

QString TFileSys630::Calibrations() const
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
    QString s;
    for (const QString &sLabel : slLabels) {
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
    const QString sPath = DayFolder() + QString::asprintf("R%3.3d.PRF", bin.wRunNumber);
    const qint64 nRecLen = bin.byPrfLns == 1 ? 28 : 18;
    QFile f(sPath);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    m_abyBuf.resize(static_cast<size_t>(kPrfChunk));
    char *pBuf = m_abyBuf.data();
    for (;;) {
        const qint64 nGot = ReadUpTo(f, pBuf, kPrfChunk);
        const qint64 nWhole = nGot / nRecLen; // a trailing partial record is ignored
        const auto *p = reinterpret_cast<const uint8_t *>(pBuf);
        for (qint64 r = 0; r < nWhole; ++r, p += nRecLen) {
            const int nH = BcdByte(p[0]), nM = BcdByte(p[1]), nS = BcdByte(p[2]);
            if ((nH | nM | nS) < 0)
                return false; // ends this file only; earlier records stay
            const int nSlot = nH * 3600 + nM * 60 + nS;
            // Valid BCD can still name a second past 24:00:00 (hour 25, minute
            // 99): such a record has no slot and is skipped.
            if (nSlot > kSlots - 1)
                continue;
            aflLeq[static_cast<size_t>(nSlot)] = qFromLittleEndian<quint16>(p + 6) / 320.0;
            aflMax[static_cast<size_t>(nSlot)] = qFromLittleEndian<quint16>(p + 10) / 320.0;
        }
        if (nGot < kPrfChunk)
            break;
    }
    return true;
}

bool TFileSys630::AddEvent(TEvent &&evt)
{
    if (nEvents >= kMaxEvents)
        return false; // the table is full: later entries are dropped
    aevt[static_cast<size_t>(nEvents)] = std::move(evt);
    ++nEvents;
    return true;
}

void TFileSys630::LoadEvents()
{
    for (int i = 0; i < nEvents; ++i)
        aevt[static_cast<size_t>(i)] = TEvent();
    nEvents = 0;
    const QString sDir = DayFolder();
    for (const TBinFile &bin : abinfile) {
        if (nEvents >= kMaxEvents)
            break;
        const int nRun = bin.wRunNumber;
        const QString sNote = QString::asprintf("R%3.3dNOTE.WAV", nRun);
        if (QFileInfo::exists(sDir + sNote)) {
            const TDateTime dt = BcdToDateTime(bin.abyRunStart, 7);
            const qint64 nMs = std::llround((dt - std::floor(dt)) * 86400000.0) % 86400000;
            TEvent evt;
            evt.evttype = TEventType::etVoiceNotes;
            // The same literal ":" as the event starts, so a voice note and an
            // event of the same second share their key in evtx.csv.
            evt.sStart = HmsText(static_cast<int>(nMs / 1000));
            evt.nDuration = 0;
            evt.flLAeq = 0.0;
            evt.flLAFMax = 0.0;
            evt.sWavFile = sNote;
            evt.bReport = false;
            AddEvent(std::move(evt));
        }
        LoadRunEvents(sDir + QString::asprintf("R%3.3d.EVT", nRun), nRun);
    }
    LoadEvtNotes();
}

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
        int an[6];
        for (int i = 0; i < 6; ++i) {
            const uint8_t by = p[i < 3 ? i : i + 1];
            an[i] = BcdByte(by);
            if (an[i] < 0)
                ThrowBcdError(by, sPath);
        }
        const int nStamp = an[0] * 3600 + an[1] * 60 + an[2];
        int nStart = nStamp - nLead;
        int nDuration = an[3] * 3600 + an[4] * 60 + an[5] + nLead;
        // The lead time can reach back before midnight. The day has no slots
        // there and "hh:nn:ss" no negative form, so the event is shown from
        // 00:00:00 and shortened by the seconds cut off; it still ends when
        // the meter said, and its levels cover the same slots of the day.
        if (nStart < 0) {
            nDuration += nStart;
            nStart = 0;
        }
        const int nRecording = qFromLittleEndian<quint16>(p + 10);
        TEvent evt;
        evt.evttype = TEventType::etEvent;
        evt.sStart = HmsText(nStart);
        evt.nDuration = nDuration;
        evt.sWavFile = nRecording != 0 ? QString::asprintf("R%3.3dE%3.3d.WAV", nRun, nRecording)
                                       : QString();
        evt.bReport = true;
        if (AddEvent(std::move(evt))) {
            TEvent &e = aevt[static_cast<size_t>(nEvents - 1)];
            e.flLAeq = EventLAeq(nEvents - 1);
            e.flLAFMax = EventLAFMax(nEvents - 1);
        }
    }
}

bool TFileSys630::EventSpan(int nIndex, int &nFirst, int &nLast) const
{
    const TEvent &evt = aevt[static_cast<size_t>(nIndex)];
    int nStart = 0;
    try {
        nStart = evt.StartSec();
    } catch (const EDlvError &) {
        return false;
    }
    const qint64 nEnd = static_cast<qint64>(nStart) + evt.nDuration;
    nFirst = std::max(nStart, 0);
    nLast = static_cast<int>(std::min<qint64>(nEnd, kSlots - 1));
    return true;
}

double TFileSys630::EventLAeq(int nIndex) const
{
    int nFirst = 0, nLast = -1;
    if (!bHasProfile || !EventSpan(nIndex, nFirst, nLast))
        return -1.0;
    double flSum = 0.0;
    int nCount = 0;
    for (int s = nFirst; s <= nLast; ++s) {
        const double fl = aflLeq[static_cast<size_t>(s)];
        if (IsNoLevel(fl))
            continue;
        flSum += std::pow(10.0, fl / 10.0);
        ++nCount;
    }
    return nCount > 0 ? 10.0 * std::log10(flSum / nCount) : -1.0;
}

double TFileSys630::EventLAFMax(int nIndex) const
{
    int nFirst = 0, nLast = -1;
    if (!bHasProfile || !EventSpan(nIndex, nFirst, nLast))
        return -1.0;
    double flMax = 0.0;
    for (int s = nFirst; s <= nLast; ++s) {
        const double fl = aflMax[static_cast<size_t>(s)];
        if (!IsNoLevel(fl) && fl > flMax)
            flMax = fl;
    }
    return flMax;
}

void TFileSys630::LoadEvtNotes()
{
    TCsvFile csv;
    if (!csv.LoadFile(DayFolder() + kEvtxName))
        return;
    // Rows are matched by start text; when several rows carry the same start
    // the last one wins, so only the last row of each start is kept.
    QHash<QString, int> hashRow;
    const int nRecs = csv.RecCount();
    hashRow.reserve(nRecs);
    for (int r = 1; r < nRecs; ++r)
        hashRow.insert(csv.FieldStr(r, QStringLiteral("Event")), r);
    for (int i = 0; i < nEvents; ++i) {
        TEvent &evt = aevt[static_cast<size_t>(i)];
        const auto it = hashRow.constFind(evt.sStart);
        if (it == hashRow.constEnd())
            continue;
        evt.sNotes = csv.FieldStr(it.value(), QStringLiteral("Notes"));
        evt.bReport = csv.FieldBool(it.value(), QStringLiteral("Report"));
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
