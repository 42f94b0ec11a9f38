// dalvane-cli levels: the time-history chart's period levels of one day.
#include "dlvcfg.h"
#include "dlvcli.h"
#include "dlvfiles.h"
#include "dlvfilesys630.h"
#include "dlvprofile.h"
#include "dlvutils.h"

#include <memory>

namespace dlv::cli {

namespace {

int Usage(QTextStream &err, const QString &sWhy)
{
    err << "levels: " << sWhy << '\n'
        << "usage: dalvane-cli levels DATA_DIR SERIAL YYYYMMDD [--rate SECONDS]\n"
        << "  SECONDS: 1 (default), 300, 900 or 3600\n";
    return kExitUsage;
}

} // namespace

int CmdLevels(const QStringList &slArgs, QTextStream &out, QTextStream &err)
{
    QStringList slPos;
    int nRate = 1;
    for (int i = 0; i < slArgs.size(); ++i) {
        const QString &s = slArgs[i];
        if (s == QLatin1String("--rate")) {
            if (i + 1 >= slArgs.size())
                return Usage(err, QStringLiteral("--rate needs a value"));
            bool bOk = false;
            nRate = slArgs[++i].toInt(&bOk);
            if (!bOk || !IsPrfRate(nRate))
                return Usage(err, QStringLiteral("bad rate '%1'").arg(slArgs[i]));
        } else if (s.startsWith(QLatin1String("--"))) {
            return Usage(err, QStringLiteral("unknown option '%1'").arg(s));
        } else {
            slPos << s;
        }
    }
    if (slPos.size() != 3)
        return Usage(err, QStringLiteral("expected DATA_DIR SERIAL YYYYMMDD"));
    const QString sDataDir = WithTrailingSep(slPos[0]);
    const QString &sSerial = slPos[1];
    const QString &sDate = slPos[2];
    // Only names the data folder tree itself would list: anything else could
    // reach outside the data folder.
    if (!TDLVFileSys::IsSerNumDir(sSerial))
        return Usage(err, QStringLiteral("'%1' is not a meter folder name").arg(sSerial));
    if (!TDLVFileSys::IsDateDir(sDate))
        return Usage(err, QStringLiteral("'%1' is not a day folder name").arg(sDate));

    auto pDay = std::make_unique<TFileSys630>([sDataDir] { return sDataDir; });
    if (!pDay->LoadBin(sSerial, sDate)) {
        err << "levels: no readable run header in " << pDay->DayFolder() << '\n';
        return kExitFalse;
    }
    // A day without a one-second time history has no level in any period:
    // every line is written, each with an empty level, as the chart shows it.
    pDay->LoadProfiles();
    const std::vector<double> aflLevels = PeriodLevels(pDay->aflLeq, nRate);
    for (int k = 0; k < int(aflLevels.size()); ++k) {
        const double fl = aflLevels[size_t(k)];
        out << k << ',' << PointLabel(k, nRate) << ','
            << (IsNoLevel(fl) ? QString() : FormatLevel(fl)) << '\n';
    }
    return kExitOk;
}

} // namespace dlv::cli
