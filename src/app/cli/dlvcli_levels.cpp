#include "dlvcli.h"

namespace dlv::cli {

int CmdLevels(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return kExitUsage;
}

} // namespace dlv::cli
