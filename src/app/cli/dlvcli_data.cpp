// dalvane-cli data commands: the meter and day lists and the loaded day, read
// through exactly the classes the main window uses, and the sample drive.
#include "dlvcli.h"

#include "dlvfiles.h"
#include "dlvfilesys630.h"
#include "dlvmeterfiles.h"

#include <QDate>
#include <QDir>
#include <cmath>
#include <cstdio>
#include <memory>

namespace dlv::cli {

namespace {

// The data folder as the settings hold it: ending with a separator.
QString DataDir(const QString &s)
{
    return s.endsWith(QLatin1Char('/')) ? s : s + QLatin1Char('/');
}

int Usage(QTextStream &err, const QString &sLine)
{
    err << "usage: dalvane-cli " << sLine << '\n';
    return kExitUsage;
}

QString JsonString(const QString &s)
{
    QString r;
    r.reserve(s.size() + 2);
    r += QLatin1Char('"');
    for (QChar c : s) {
        switch (c.unicode()) {
        case '"':
            r += QLatin1String("\\\"");
            break;
        case '\\':
            r += QLatin1String("\\\\");
            break;
        case '\n':
            r += QLatin1String("\\n");
            break;
        case '\r':
            r += QLatin1String("\\r");
            break;
        case '\t':
            r += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                r += QString::asprintf("\\u%04x", c.unicode());
            else
                r += c;
        }
    }
    r += QLatin1Char('"');
    return r;
}

// Full precision, the shortest text that reads back as the same double, with
// ".0" on whole numbers so a level always looks like one (70.0, -1.0, 0.0).
QString JsonLevel(double fl)
{
    if (!std::isfinite(fl))
        return QStringLiteral("null");
    QString s = QString::number(fl, 'g', QLocale::FloatingPointShortest);
    if (!s.contains(QLatin1Char('.')) && !s.contains(QLatin1Char('e')))
        s += QLatin1String(".0");
    return s;
}

QString JsonBool(bool b)
{
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

bool ReadNumber(const QString &s, qint64 nMin, qint64 nMax, qint64 &n)
{
    bool bOk = false;
    n = s.toLongLong(&bOk, 10);
    return bOk && n >= nMin && n <= nMax;
}

// A serial number as the meter writes it: seven ASCII digits.
bool IsSevenDigits(const QString &s)
{
    if (s.size() != 7)
        return false;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

int CmdMeters(const QStringList &slArgs, QTextStream &out, QTextStream &err)
{
    if (slArgs.size() != 1)
        return Usage(err, QStringLiteral("meters DATA_DIR"));
    const QString sBase = DataDir(slArgs[0]);
    TDLVFileSys fs([sBase] { return sBase; });
    for (const QString &s : fs.GetMeters())
        out << s << '\n';
    return kExitOk;
}

int CmdDays(const QStringList &slArgs, QTextStream &out, QTextStream &err)
{
    if (slArgs.size() != 2)
        return Usage(err, QStringLiteral("days DATA_DIR SERIAL"));
    const QString sBase = DataDir(slArgs[0]);
    TDLVFileSys fs([sBase] { return sBase; });
    for (const QString &s : fs.GetMonths(slArgs[1]))
        out << s << '\n';
    return kExitOk;
}

int CmdDay(const QStringList &slArgs, QTextStream &out, QTextStream &err)
{
    if (slArgs.size() != 3)
        return Usage(err, QStringLiteral("day DATA_DIR SERIAL YYYYMMDD"));
    const QString sBase = DataDir(slArgs[0]);
    // The measurement holds two days' worth of doubles: keep it off the stack.
    auto fs = std::make_unique<TFileSys630>([sBase] { return sBase; });
    // The day loader's sequence: headers; only when they loaded, the time
    // history and then the events with their annotations.
    const bool bOk = fs->LoadBin(slArgs[1], slArgs[2]);
    bool bProfile = false;
    if (bOk) {
        bProfile = fs->LoadProfiles();
        fs->LoadEvents();
    }
    QString s = QStringLiteral("{\"meter\":") + JsonString(fs->Meter())
        + QStringLiteral(",\"date\":") + JsonString(fs->Date())
        + QStringLiteral(",\"binOk\":") + JsonBool(bOk)
        + QStringLiteral(",\"headers\":") + QString::number(fs->BinFiles().size())
        + QStringLiteral(",\"model\":") + JsonString(fs->Model())
        + QStringLiteral(",\"calibrations\":[");
    const QStringList slCal = fs->CalibrationLabels();
    for (qsizetype i = 0; i < slCal.size(); ++i)
        s += (i ? QStringLiteral(",") : QString()) + JsonString(slCal[i]);
    s += QStringLiteral("],\"hasProfile\":") + JsonBool(bProfile) + QStringLiteral(",\"events\":[");
    const int nEvents = bOk ? fs->EventCount() : 0;
    for (int i = 0; i < nEvents; ++i) {
        const TEvent &e = fs->aevt[static_cast<size_t>(i)];
        if (i)
            s += QLatin1Char(',');
        s += QStringLiteral("{\"kind\":")
            + JsonString(e.evttype == TEventType::etVoiceNotes ? QStringLiteral("voicenote")
                                                                : QStringLiteral("event"))
            + QStringLiteral(",\"start\":") + JsonString(e.sStart)
            + QStringLiteral(",\"duration\":") + QString::number(e.nDuration)
            + QStringLiteral(",\"laeq\":") + JsonLevel(e.flLAeq)
            + QStringLiteral(",\"lafmax\":") + JsonLevel(e.flLAFMax)
            + QStringLiteral(",\"wav\":") + JsonString(e.sWavFile)
            + QStringLiteral(",\"notes\":") + JsonString(e.sNotes)
            + QStringLiteral(",\"report\":") + JsonBool(e.bReport) + QLatin1Char('}');
    }
    s += QStringLiteral("]}");
    out << s << '\n';
    return bOk ? kExitOk : kExitFalse;
}

int CmdSampleDrive(const QStringList &slArgs, QTextStream &out, QTextStream &err)
{
    const QString sUsage =
        QStringLiteral("sample-drive DIR [--days N] [--serial NNNNNNN] [--seed N] [--as-data]");
    TSampleDriveOptions opt;
    QString sDir;
    for (qsizetype i = 0; i < slArgs.size(); ++i) {
        const QString &sArg = slArgs[i];
        const bool bHasValue = i + 1 < slArgs.size();
        qint64 n = 0;
        if (sArg == QLatin1String("--as-data")) {
            opt.bAsData = true;
        } else if (sArg == QLatin1String("--days")) {
            if (!bHasValue || !ReadNumber(slArgs[++i], 1, 366, n)) {
                err << "dalvane-cli: --days wants a number of days from 1 to 366\n";
                return Usage(err, sUsage);
            }
            opt.nDays = static_cast<int>(n);
        } else if (sArg == QLatin1String("--seed")) {
            if (!bHasValue || !ReadNumber(slArgs[++i], 0, 4294967295LL, n)) {
                err << "dalvane-cli: --seed wants a whole number from 0 to 4294967295\n";
                return Usage(err, sUsage);
            }
            opt.nSeed = static_cast<quint32>(n);
        } else if (sArg == QLatin1String("--serial")) {
            if (!bHasValue || !IsSevenDigits(slArgs[i + 1])) {
                err << "dalvane-cli: --serial wants seven digits\n";
                return Usage(err, sUsage);
            }
            opt.sSerial = slArgs[++i];
        } else if (sArg.startsWith(QLatin1String("--")) || !sDir.isEmpty()) {
            err << "dalvane-cli: unexpected argument '" << sArg << "'\n";
            return Usage(err, sUsage);
        } else {
            sDir = sArg;
        }
    }
    if (sDir.isEmpty())
        return Usage(err, sUsage);
    if (!opt.dFirst.isValid())
        opt.dFirst = QDate::currentDate().addDays(-opt.nDays);
    if (!WriteSampleDrive(sDir, opt)) {
        err << "dalvane-cli: cannot write the sample drive into " << QDir::toNativeSeparators(sDir)
            << '\n';
        return kExitError;
    }
    out << (opt.bAsData ? "Sample data folder " : "Sample meter drive ") << sDir << ": "
        << opt.nDays << (opt.nDays == 1 ? " day" : " days") << " from "
        << opt.dFirst.toString(QStringLiteral("yyyyMMdd")) << ", meter " << opt.sSerial << '\n';
    return kExitOk;
}

} // namespace dlv::cli
