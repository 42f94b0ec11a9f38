#pragma once

#include "dlvmeter.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <vector>

namespace dlv::test {

// Meter drive fixtures written with the meter-file writers.

// A run header R<nnn>.BIN carrying the serial number (up to seven characters,
// written as given, so non-digits can be tested).
bool WriteRunHeader(const QString &sPath, const QString &sSerial, int nRun = 1);
// The files of one run in a day folder: R<nnn>.BIN, .PRF, .EVT, nWavs event
// recordings and the .MKR/.EPR files; returns their names in writing order.
QStringList WriteRun(const QString &sDayFolder, const QString &sSerial, int nRun, int nWavs = 1);
// A file of nSize bytes of c.
bool WriteSized(const QString &sPath, qint64 nSize, char c = 'x');
// Names of the plain files of a folder, sorted.
QStringList FileNames(const QString &sFolder);

// Volumes a test controls while the meter thread polls them (any thread).
class TTestVolumes
{
public:
    void Set(std::vector<TVolume> a);
    std::vector<TVolume> Get();
    // A source for a TMeterThread that reads these volumes; shares them.
    std::unique_ptr<IVolumeSource> Source();

private:
    std::shared_ptr<std::mutex> m_pMutex = std::make_shared<std::mutex>();
    std::shared_ptr<std::vector<TVolume>> m_pVolumes = std::make_shared<std::vector<TVolume>>();
};

} // namespace dlv::test
