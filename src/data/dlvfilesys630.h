#pragma once

#include "dlvfiles.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace dlv {

#pragma pack(push, 1)
// Run header, R<nnn>.BIN: exactly one 128-byte record, little-endian integers,
// packed-BCD dates (two-digit years mean 2000 + yy), one byte per character.
// Offsets in bytes; fields not used by Dalvane are carried and ignored.
struct TBinFile
{
    uint16_t wSumRecSiz;          //   0  2  not read
    uint16_t wRunRecSiz;          //   2  2  not read
    uint16_t wPrfRecSiz;          //   4  2  not read
    uint16_t wMrkRecSiz;          //   6  2  not read
    uint8_t abyRunStart[7];       //   8  7  BCD run start yy mm dd hh nn ss, 7th byte ms
    uint8_t byRepeat;             //  15  1  not read
    uint8_t byPeriodMins;         //  16  1  not read
    uint8_t byPrfSecs;            //  17  1  time-history interval code (1 = one second)
    uint16_t wUserLn;             //  18  2  not read
    uint8_t byBandwidth;          //  20  1  not read
    uint8_t byPeriodLns;          //  21  1  not read
    uint8_t byPrfLns;             //  22  1  1: .PRF records are 28 bytes, else 18
    uint8_t bySyncPerPrf;         //  23  1  not read
    uint8_t abyModelNum[4];       //  24  4  model characters, zero-terminated if short
    uint8_t byFWIssue;            //  28  1  not read
    uint8_t byFWProto;            //  29  1  not read
    uint16_t wRunNumber;          //  30  2  run number: names R<nnn>.PRF/.EVT/.WAV
    uint8_t abySerNum[7];         //  32  7  serial number, ASCII digits (download only)
    uint8_t byMicResponse;        //  39  1  not read
    uint8_t byThreshold;          //  40  1  not read
    uint8_t byOctFWgt;            //  41  1  not read
    uint8_t byOctTConst;          //  42  1  not read
    uint8_t byLdenStuffing[9];    //  43  9  not read
    uint8_t byRecallStuffing[12]; //  52 12  not read
    uint16_t wPreCalRef;          //  64  2  not read
    int16_t nPreCalDrift;         //  66  2  not read
    int8_t nPreCalPotPos;         //  68  1  not read
    uint8_t byPreCalPotVal;       //  69  1  not read
    uint8_t byPreCalGain;         //  70  1  not read
    uint8_t byPreCalValid;        //  71  1  exactly 1: abyPreCalDate holds a check
    uint8_t abyPreCalDate[6];     //  72  6  BCD calibration check before the run
    uint16_t wPostCalRef;         //  78  2  not read
    int16_t nPostCalDrift;        //  80  2  not read
    int8_t nPostCalPotPos;        //  82  1  not read
    uint8_t byPostCalPotVal;      //  83  1  not read
    uint8_t byPostCalGain;        //  84  1  not read
    uint8_t byPostCalValid;       //  85  1  exactly 1: abyPostCalDate holds a check
    uint8_t abyPostCalDate[6];    //  86  6  BCD calibration check after the run
    uint32_t dwPerRunCount;       //  92  4  not read
    uint32_t dwPrfRecCount;       //  96  4  not read
    uint32_t dwMrkRecCount;       // 100  4  not read
    uint8_t abyLoggingTime[4];    // 104  4  not read
    uint8_t abyPauseTime[4];      // 108  4  not read
    uint32_t dwOverloadTime;      // 112  4  not read
    uint8_t byOverloadFlags;      // 116  1  not read
    uint8_t byValidLden;          // 117  1  not read
    uint16_t wLdn;                // 118  2  not read
    uint16_t wLden;               // 120  2  not read
    uint16_t wCnel;               // 122  2  not read
    uint8_t byRange;              // 124  1  not read
    uint8_t byLnTC;               // 125  1  not read
    uint8_t abyUnused[2];         // 126  2  not read
};
#pragma pack(pop)
static_assert(sizeof(TBinFile) == 128, "TBinFile is the 128-byte .BIN record");

// Length in bytes of the run's .PRF records.
inline int PrfRecordLength(const TBinFile &bin)
{
    return bin.byPrfLns == 1 ? 28 : 18;
}

enum class TEventType : uint8_t { etEvent = 0, etVoiceNotes = 1 };

// One noise event or voice note of the loaded day. sStart ("hh:nn:ss") is also
// the key that joins the entry to its row of evtx.csv.
struct TEvent
{
    TEventType evttype = TEventType::etEvent;
    QString sStart;
    int32_t nDuration = 0;
    double flLAeq = -1.0;
    double flLAFMax = -1.0;
    QString sWavFile;
    QString sNotes;
    bool bReport = true;

    // Start as seconds of the day; throws EDlvError when sStart is not a time.
    int StartSec() const;
};

// The day measurement: run headers, per-second levels and the events of one
// day of one meter. The main window owns the one instance and refills it in
// place on every day load (never copied, never reallocated: the arrays are
// part of the object). Main thread only.
class TFileSys630
{
public:
    static constexpr int kSlots = 86401;    // seconds 0..86400 (86400 only for 24:00:00)
    static constexpr int kMaxEvents = 1001; // events and voice notes of one day
    // .PRF files are read in chunks of this many bytes: a multiple of both
    // record lengths (18 and 28), so a chunk holds whole records only.
    static constexpr qint64 kPrfChunk = 252 * 1040;

    explicit TFileSys630(TBaseDirFn fnBaseDir);
    TFileSys630(const TFileSys630 &) = delete;
    TFileSys630 &operator=(const TFileSys630 &) = delete;

    bool LoadBin(const QString &sMeter, const QString &sDate);
    bool Loaded() const { return !sMeter.isEmpty(); }
    const QString &Meter() const { return sMeter; }
    const QString &Date() const { return sDate; }
    QString Model() const;
    QString Calibrations() const; // throws EDlvError on a bad calibration date
    // The labels Calibrations joins, in its order; throws as it does.
    QStringList CalibrationLabels() const;

    bool LoadProfiles();
    bool HasProfile() const { return bHasProfile; }

    void LoadEvents(); // throws EDlvError on bad BCD
    int EventCount() const { return nEvents; }
    // Rewrites the day's evtx.csv atomically; false (and the old file kept) when
    // it cannot be written.
    bool SaveEvtNotes();

    // Data folder + meter + separator + date + separator.
    QString DayFolder() const;
    const std::vector<TBinFile> &BinFiles() const { return abinfile; }

    std::array<double, kSlots> aflLeq;
    std::array<double, kSlots> aflMax;
    std::array<TEvent, kMaxEvents> aevt;

private:
    bool LoadRunProfile(int nIndex);
    void LoadRunsEvents(const QString &sDir);
    void LoadRunEvents(const QString &sPath, int nRun);
    void FillEventLevels();
    TEvent *NextEvent(); // the next free slot, counted; nullptr when the table is full
    void LoadEvtNotes();
    void EventLevels(int nFirst, int nLast, double &flLAeq, double &flLAFMax) const;

    TBaseDirFn m_fnBaseDir;
    QString sMeter;
    QString sDate;
    std::vector<TBinFile> abinfile;
    bool bHasProfile = false;
    int32_t nEvents = 0;
    std::vector<char> m_abyBuf;   // read buffer, kept between loads
    // LoadEvtNotes: the entries by start text (first entry of each start in a
    // bucket, the next ones with that start chained), -1 for none.
    static constexpr size_t kStartBuckets = 2048;
    size_t FindStartBucket(QStringView svStart) const;
    std::array<int, kStartBuckets> m_anStartBucket{};
    std::array<int, kMaxEvents> m_anNextSame{};
    std::array<int, kMaxEvents> m_anStartSec{}; // LoadRunEvents: each event's start in seconds
};

// The names of a run's files, as the meter writes them: "R%3.3d" + sSuffix
// (".BIN", ".PRF", ".EVT", "NOTE.WAV") and "R%3.3dE%3.3d.WAV" for an event
// recording.
QString RunFileName(int nRun, QLatin1String sSuffix);
QString RecordingFileName(int nRun, int nRecording);

// Splits the text of TFileSys630::Calibrations into its labels, in order (at
// each ";" outside double quotes, quotes removed).
QStringList SplitCalibrations(const QString &sCalibrations);

} // namespace dlv
