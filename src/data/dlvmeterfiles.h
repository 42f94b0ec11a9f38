#pragma once

#include "dlvfilesys630.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <vector>

namespace dlv {

// Writers of the meter's own files (.BIN, .PRF, .EVT, .WAV) and of a whole
// synthetic meter drive. The sample drive generator (dalvane-cli sample-drive,
// make demo) and the tests' fixtures use them, so every fixture is made of the
// same bytes a meter writes. Any thread; no shared state.

// One number 0..99 as a packed-BCD byte.
uint8_t ToBcd(int n);

// A run header with the given run number, serial (up to 7 ASCII digits),
// model characters (up to 4) and run start; interval code nPrfSecsCode
// (1 = one second) and long (28-byte) .PRF records when bLongPrf. No
// calibration checks.
TBinFile MakeRunHeader(int nRunNumber, const QString &sSerial, const QString &sModel,
                       const QDateTime &dtRunStart, int nPrfSecsCode = 1, bool bLongPrf = false);
// Records a calibration check before (bPost false) or after the run.
void SetCalibration(TBinFile &bin, bool bPost, const QDateTime &dt);
QByteArray BinFileBytes(const TBinFile &bin);
bool WriteBinFile(const QString &sPath, const TBinFile &bin);

// One time-history record: time stamp and levels in dB (stored in 1/320 dB).
struct TPrfRecord
{
    int nHour = 0, nMin = 0, nSec = 0;
    double flLeq = 0.0;
    double flMax = 0.0;
};
// The record of second nSec of the day (nSec >= 0; 86400 is 24:00:00).
TPrfRecord PrfAt(int nSec, double flLeq, double flMax);
QByteArray PrfRecordBytes(const TPrfRecord &rec, bool bLong);
bool WritePrfFile(const QString &sPath, const std::vector<TPrfRecord> &aRecs, bool bLong);

// One event record: time stamp, duration and recording number (0 = none).
struct TEvtRecord
{
    int nHour = 0, nMin = 0, nSec = 0;
    int nDurH = 0, nDurM = 0, nDurS = 0;
    int nRecording = 0;
};
// An event stamped at second nSec of the day lasting nDurationSecs (both >= 0).
TEvtRecord EvtAt(int nSec, int nDurationSecs, int nRecording);
// nAnnounced < 0 writes the real record count into the header.
QByteArray EvtFileBytes(int nLeadSecs, const std::vector<TEvtRecord> &aRecs, int nAnnounced = -1);
bool WriteEvtFile(const QString &sPath, int nLeadSecs, const std::vector<TEvtRecord> &aRecs,
                  int nAnnounced = -1);

// 16-bit PCM mono WAV.
QByteArray WavBytes(const std::vector<int16_t> &aSamples, int nSampleRate);
bool WriteWavFile(const QString &sPath, const std::vector<int16_t> &aSamples, int nSampleRate);
// A short tone (with a little noise) of the given length: a playable recording.
bool WriteToneWav(const QString &sPath, double flSeconds, double flHz, int nSampleRate = 8000);

// A realistic synthetic meter drive: dated folders YYYYMMDD, each with two or
// three runs (.BIN with model, serial and calibration checks; one-second .PRF
// covering most of the day with a daily pattern and gaps; .EVT with events and
// lead time; short WAV recordings of the events; a voice-note WAV; .MKR and .EPR
// files). With bAsData the data folder layout SERIAL/YYYYMMDD/ is written.
struct TSampleDriveOptions
{
    int nDays = 3;
    QString sSerial = QStringLiteral("1234567");
    quint32 nSeed = 1;
    bool bAsData = false;
    QDate dFirst; // invalid: the days end yesterday
};
// Returns false when a file or folder cannot be written.
bool WriteSampleDrive(const QString &sDir, const TSampleDriveOptions &opt);

} // namespace dlv
