#include "dlvcsv.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>

namespace dlv {

namespace {

// nBomKind: 0 is the system's 8-bit code page, which we take to be the locale's
// encoding (QStringConverter::System: UTF-8 on every Unix locale Qt 6
// supports); any other value is 1 + the QStringConverter::Encoding of a file
// that started with a byte-order mark, which is written back with its mark.
int BomKind(const QByteArray &ab)
{
    static const struct {
        const char *pMark;
        int nLen;
        QStringConverter::Encoding enc;
    } kMarks[] = {
        {"\xFF\xFE\x00\x00", 4, QStringConverter::Utf32LE},
        {"\x00\x00\xFE\xFF", 4, QStringConverter::Utf32BE},
        {"\xEF\xBB\xBF", 3, QStringConverter::Utf8},
        {"\xFF\xFE", 2, QStringConverter::Utf16LE},
        {"\xFE\xFF", 2, QStringConverter::Utf16BE},
    };
    for (const auto &m : kMarks) {
        if (ab.size() >= m.nLen && std::memcmp(ab.constData(), m.pMark, m.nLen) == 0)
            return 1 + static_cast<int>(m.enc);
    }
    return 0;
}

QStringConverter::Encoding EncodingOf(int nBomKind)
{
    return nBomKind == 0 ? QStringConverter::System
                         : static_cast<QStringConverter::Encoding>(nBomKind - 1);
}

QString Decode(const QByteArray &ab, int nBomKind)
{
    // The decoder drops a leading byte-order mark by default.
    QStringDecoder dec(EncodingOf(nBomKind));
    return dec.decode(ab);
}

QByteArray Encode(const QString &s, int nBomKind)
{
    QStringEncoder enc(EncodingOf(nBomKind), nBomKind == 0 ? QStringConverter::Flag::Default
                                                           : QStringConverter::Flag::WriteBom);
    return enc.encode(s);
}

// CR LF, a lone CR and a lone LF each end a line; a break at the very end does
// not start another (empty) line.
QStringList SplitText(const QString &s)
{
    QStringList sl;
    const qsizetype n = s.size();
    const QChar *p = s.constData();
    qsizetype nStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        sl.append(s.mid(nStart, i - nStart));
        if (c == u'\r' && i + 1 < n && p[i + 1].unicode() == u'\n')
            ++i;
        nStart = i + 1;
    }
    if (nStart < n)
        sl.append(s.mid(nStart));
    return sl;
}

// Every line ends with CR LF, the last one too. Written through QSaveFile so a
// failed write leaves the previous file as it was.
bool WriteLines(const QString &sPath, const QStringList &sl, int nBomKind)
{
    if (sPath.isEmpty())
        return false;
    QString s;
    qsizetype nLen = 0;
    for (const QString &sLine : sl)
        nLen += sLine.size() + 2;
    s.reserve(nLen);
    for (const QString &sLine : sl) {
        s += sLine;
        s += QLatin1String("\r\n");
    }
    // Unbuffered: QSaveFile's buffered flush takes a short write (disk full,
    // size limit) for success and commits a truncated file; written directly,
    // every short write is seen and the previous file stays.
    QSaveFile f(sPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray ab = Encode(s, nBomKind);
    qint64 nDone = 0;
    while (nDone < ab.size()) {
        const qint64 n = f.write(ab.constData() + nDone, ab.size() - nDone);
        if (n <= 0) {
            f.cancelWriting();
            return false;
        }
        nDone += n;
    }
    return f.commit();
}

} // namespace

TCsvFile::TCsvFile() = default;

void TCsvFile::SplitInto(QStringView sv, QChar cSep, QStringList &slOut)
{
    // Fills slOut in place: its strings keep their buffers from line to line.
    qsizetype nFields = 0;
    auto next = [&slOut, &nFields]() -> QString & {
        if (nFields < slOut.size())
            slOut[nFields].resize(0);
        else
            slOut.append(QString());
        return slOut[nFields++];
    };
    const qsizetype n = sv.size();
    qsizetype i = 0;
    while (n > 0) {
        QString &sField = next();
        if (sv[i] == QLatin1Char('"')) {
            ++i;
            for (;;) {
                const qsizetype nStart = i;
                while (i < n && sv[i] != QLatin1Char('"'))
                    ++i;
                sField.append(sv.mid(nStart, i - nStart));
                if (i >= n)
                    break; // no closing quote: the field runs to the end
                if (i + 1 < n && sv[i + 1] == QLatin1Char('"')) {
                    sField += QLatin1Char('"'); // a doubled quote stands for one
                    i += 2;
                    continue;
                }
                ++i; // the closing quote
                break;
            }
        }
        // The rest of the field up to the separator (all of an unquoted field;
        // anything after the closing quote of a quoted one is kept too).
        const qsizetype nStart = i;
        while (i < n && sv[i] != cSep)
            ++i;
        sField.append(sv.mid(nStart, i - nStart));
        if (i >= n)
            break;
        ++i; // past the separator; a separator at the very end gives an empty field
        if (i == n) {
            next();
            break;
        }
    }
    slOut.resize(nFields);
}

QStringList TCsvFile::SplitDelimited(QStringView sv, QChar cSep)
{
    QStringList sl;
    SplitInto(sv, cSep, sl);
    return sl;
}

void TCsvFile::SplitRecord(int nRecord, QStringList &slOut) const
{
    if (!bLoaded || nRecord < 0 || nRecord >= RecCount()) {
        slOut.resize(0);
        return;
    }
    SplitInto(pslFile->at(nRecord), QLatin1Char(','), slOut);
}

QStringList TCsvFile::SplitLine(const QString &sLine)
{
    return SplitDelimited(sLine, QLatin1Char(','));
}

QString TCsvFile::JoinLine(const QStringList &slFields)
{
    if (slFields.size() == 1 && slFields.first().isEmpty())
        return QStringLiteral("\"\"");
    QString s;
    for (qsizetype i = 0; i < slFields.size(); ++i) {
        if (i > 0)
            s += QLatin1Char(',');
        QString sField = slFields[i];
        // A record is one line: a line break inside a field (a pasted note)
        // would split it into two records on the next read, so it becomes a
        // space.
        if (sField.contains(QLatin1Char('\r')) || sField.contains(QLatin1Char('\n'))) {
            sField.replace(QLatin1String("\r\n"), QLatin1String(" "));
            sField.replace(QLatin1Char('\r'), QLatin1Char(' '));
            sField.replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        if (sField.contains(QLatin1Char(',')) || sField.contains(QLatin1Char('"'))) {
            sField.replace(QLatin1String("\""), QLatin1String("\"\""));
            s += QLatin1Char('"') + sField + QLatin1Char('"');
        } else {
            s += sField;
        }
    }
    return s;
}

bool TCsvFile::CreateFile(const QString &sPath, const QString &sHeader, bool bOverwrite)
{
    if (!bOverwrite && QFileInfo::exists(sPath))
        return true;
    return WriteLines(sPath, QStringList{sHeader}, 0);
}

void TCsvFile::NewFile(const QString &sPath, const QString &sHeader)
{
    slFile = QStringList{sHeader};
    slHeader = SplitLine(sHeader);
    slFiltered.clear();
    pslFile = &slFile;
    sFilename = sPath;
    nBomKind = 0;
    bLoaded = true;
}

bool TCsvFile::LoadFile(const QString &sPath)
{
    bLoaded = false;
    const QFileInfo fi(sPath);
    if (!fi.exists()) {
        slFile.clear();
        return false;
    }
    QFile f(sPath);
    if (!fi.isFile() || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray ab = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    nBomKind = BomKind(ab);
    slFile = SplitText(Decode(ab, nBomKind));
    sFilename = sPath;
    if (!slFile.isEmpty())
        slHeader = SplitLine(slFile.first());
    slFiltered.clear();
    pslFile = &slFile;
    bLoaded = true;
    return true;
}

bool TCsvFile::FileChanged(const QString &sPath)
{
    const QFileInfo fi(sPath);
    if (!fi.exists())
        return false;
    const QDateTime dt = fi.lastModified();
    const bool bChanged = sPath != sFilename || dt != dtFile;
    sFilename = sPath;
    dtFile = dt;
    return bChanged;
}

void TCsvFile::SetFilter(const QString &sValue)
{
    if (sValue.isEmpty()) {
        pslFile = &slFile;
        return;
    }
    slFiltered.clear();
    if (!slFile.isEmpty())
        slFiltered.append(slFile.first());
    const QStringList slParts = SplitDelimited(sValue, QLatin1Char('='));
    if (slParts.size() == 2) {
        const int nIdx = FieldIndex(slParts[0]);
        if (nIdx >= 0) {
            for (qsizetype i = 1; i < slFile.size(); ++i) {
                const QStringList sl = SplitLine(slFile[i]);
                if (nIdx < sl.size() && sl[nIdx] == slParts[1])
                    slFiltered.append(slFile[i]);
            }
        }
    }
    pslFile = &slFiltered;
}

int TCsvFile::RecCount() const
{
    return static_cast<int>(pslFile->size());
}

int TCsvFile::FieldIndex(const QString &sFld) const
{
    for (qsizetype i = 0; i < slHeader.size(); ++i) {
        if (slHeader[i].compare(sFld, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

QString TCsvFile::FieldStr(int nRecord, const QString &sFld) const
{
    if (!bLoaded || nRecord < 0 || nRecord >= RecCount())
        return QString();
    const int nIdx = FieldIndex(sFld);
    if (nIdx < 0)
        return QString();
    const QStringList sl = SplitLine(pslFile->at(nRecord));
    return nIdx < sl.size() ? sl[nIdx] : QString();
}

int TCsvFile::FieldInt(int nRecord, const QString &sFld) const
{
    bool bOk = false;
    const int n = FieldStr(nRecord, sFld).toInt(&bOk, 10);
    return bOk ? n : -1;
}

double TCsvFile::FieldFloat(int nRecord, const QString &sFld) const
{
    bool bOk = false;
    const double fl = QLocale::system().toDouble(FieldStr(nRecord, sFld), &bOk);
    return bOk ? fl : -1.0;
}

bool TCsvFile::FieldBool(int nRecord, const QString &sFld) const
{
    return FieldStr(nRecord, sFld) != QLatin1String("0");
}

int TCsvFile::AppendRec()
{
    const qsizetype nFields = slHeader.size();
    pslFile->append(nFields > 1 ? QString(nFields - 1, QLatin1Char(',')) : QString());
    return RecCount() - 1;
}

int TCsvFile::AppendRec(const QStringList &slFields)
{
    QStringList sl = slFields.mid(0, slHeader.size());
    while (sl.size() < slHeader.size())
        sl.append(QString());
    pslFile->append(JoinLine(sl));
    return RecCount() - 1;
}

void TCsvFile::SetFieldStr(int nRecord, const QString &sFld, const QString &sVal)
{
    if (!bLoaded || nRecord < 0 || nRecord >= RecCount())
        return;
    const int nIdx = FieldIndex(sFld);
    if (nIdx < 0)
        return;
    QStringList sl = SplitLine(pslFile->at(nRecord));
    if (nIdx >= sl.size())
        return;
    sl[nIdx] = sVal;
    (*pslFile)[nRecord] = JoinLine(sl);
}

void TCsvFile::SetFieldInt(int nRecord, const QString &sFld, int nVal)
{
    SetFieldStr(nRecord, sFld, QString::number(nVal));
}

void TCsvFile::SetFieldBool(int nRecord, const QString &sFld, bool bVal)
{
    SetFieldStr(nRecord, sFld, bVal ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TCsvFile::SaveFile()
{
    return WriteLines(sFilename, *pslFile, nBomKind);
}

} // namespace dlv
