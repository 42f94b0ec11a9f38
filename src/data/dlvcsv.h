#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace dlv {

// A small comma-separated text file held in memory as a list of lines, with a
// header line naming the fields; records are read and changed by record number
// (0 = header line) and field name. The owner creates one per use (the
// annotation file creates one per load and one per save). Main thread only.
//
// 8-bit files use the locale's encoding (QStringConverter::System); a file that
// starts with a UTF-8/UTF-16 byte-order mark is read in that encoding and
// written back in it, mark included.
class TCsvFile
{
public:
    TCsvFile();

    bool CreateFile(const QString &sPath, const QString &sHeader, bool bOverwrite);
    // Starts a new file in memory only: the header line as the one line, loaded,
    // with sPath as the target of SaveFile. Nothing is written until SaveFile,
    // so a failed save never leaves a half-written file behind.
    void NewFile(const QString &sPath, const QString &sHeader);
    bool LoadFile(const QString &sPath);
    bool FileChanged(const QString &sPath);
    void SetFilter(const QString &sValue); // the Filter property
    int RecCount() const;
    QString FieldStr(int nRecord, const QString &sFld) const;
    int FieldInt(int nRecord, const QString &sFld) const;
    double FieldFloat(int nRecord, const QString &sFld) const;
    bool FieldBool(int nRecord, const QString &sFld) const;
    int AppendRec();
    // Appends a record holding slFields in header order (missing ones empty,
    // extra ones dropped); the same line AppendRec plus the setters would give.
    int AppendRec(const QStringList &slFields);
    void SetFieldStr(int nRecord, const QString &sFld, const QString &sVal);
    void SetFieldInt(int nRecord, const QString &sFld, int nVal);
    void SetFieldBool(int nRecord, const QString &sFld, bool bVal);
    bool SaveFile();

    // Line format helpers, shared with every writer of comma-separated lines.
    static QStringList SplitLine(const QString &sLine);
    static QString JoinLine(const QStringList &slFields);
    // The reading rule of SplitLine with another separator (the filter's "=",
    // the ";" of the calibration list).
    static QStringList SplitDelimited(QStringView sv, QChar cSep);
    // The same into slOut, reusing its strings (for reading many lines).
    static void SplitInto(QStringView sv, QChar cSep, QStringList &slOut);

    // Index of a field name in the header (first match, letter case ignored),
    // -1 when it is not there.
    int FieldIndex(const QString &sFld) const;
    // Every field of a record, split once into slOut (empty when there is no
    // such record or nothing is loaded); FieldStr of each name in one go.
    void SplitRecord(int nRecord, QStringList &slOut) const;

private:

    QStringList slHeader;
    QStringList slFile;
    QStringList slFiltered;
    QStringList *pslFile = &slFile;
    QString sFilename;
    QDateTime dtFile;
    bool bLoaded = false;
    int nBomKind = 0; // encoding of the loaded file: 0 system 8-bit, else a BOM kind
};

} // namespace dlv
