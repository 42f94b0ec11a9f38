#pragma once

// dalvane-cli commands run through dlv::cli::Run as the binary runs them.
// Header only: the tests that include it link dlv_cli themselves.

#include "dlvcli.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace dlv::test {

struct TCliResult
{
    int nRc = -1;
    QString sOut, sErr;
};

// Runs one command line (without the program name) and keeps its exit code,
// output and errors.
inline TCliResult RunCli(const QStringList &slArgs)
{
    TCliResult r;
    QTextStream out(&r.sOut), err(&r.sErr);
    r.nRc = cli::Run(slArgs, out, err);
    out.flush();
    err.flush();
    return r;
}

} // namespace dlv::test
