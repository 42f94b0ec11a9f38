#include "dlvcli.h"

#include "dlverror.h"

namespace dlv::cli {

QString UsageText()
{
    return QStringLiteral(
        "usage: dalvane-cli COMMAND ARGS\n"
        "  meters DATA_DIR                          meter folders, one a line\n"
        "  days DATA_DIR SERIAL                     day folders of a meter\n"
        "  day DATA_DIR SERIAL YYYYMMDD             the loaded day as JSON\n"
        "  levels DATA_DIR SERIAL YYYYMMDD [--rate SECONDS]\n"
        "                                           the chart's period levels as CSV\n"
        "  sample-drive DIR [--days N] [--serial NNNNNNN] [--seed N] [--as-data]\n"
        "                                           write a synthetic meter drive\n"
        "  download DRIVE_ROOT DATA_DIR [--archive-dir DIR]\n"
        "                                           copy new recordings off a drive\n");
}

int Run(const QStringList &slArgs, QTextStream &out, QTextStream &err)
{
    if (slArgs.isEmpty() || slArgs.first() == QLatin1String("--help")
        || slArgs.first() == QLatin1String("-h")) {
        (slArgs.isEmpty() ? err : out) << UsageText();
        return slArgs.isEmpty() ? kExitUsage : kExitOk;
    }
    const QString sCmd = slArgs.first();
    const QStringList slRest = slArgs.mid(1);
    try {
        if (sCmd == QLatin1String("meters"))
            return CmdMeters(slRest, out, err);
        if (sCmd == QLatin1String("days"))
            return CmdDays(slRest, out, err);
        if (sCmd == QLatin1String("day"))
            return CmdDay(slRest, out, err);
        if (sCmd == QLatin1String("sample-drive"))
            return CmdSampleDrive(slRest, out, err);
        if (sCmd == QLatin1String("levels"))
            return CmdLevels(slRest, out, err);
        if (sCmd == QLatin1String("download"))
            return CmdDownload(slRest, out, err);
    } catch (const EDlvError &e) {
        err << e.Message() << '\n';
        return kExitError;
    } catch (const std::exception &e) {
        err << QString::fromLocal8Bit(e.what()) << '\n';
        return kExitError;
    }
    err << "dalvane-cli: unknown command '" << sCmd << "'\n" << UsageText();
    return kExitUsage;
}

} // namespace dlv::cli
