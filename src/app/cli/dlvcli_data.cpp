#include "dlvcli.h"

namespace dlv::cli {

int CmdMeters(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return kExitUsage;
}

int CmdDays(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return kExitUsage;
}

int CmdDay(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return kExitUsage;
}

int CmdSampleDrive(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return kExitUsage;
}

} // namespace dlv::cli
