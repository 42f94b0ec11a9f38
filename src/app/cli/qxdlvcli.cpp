#include "dlvcli.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dalvane-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int nRc = dlv::cli::Run(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return nRc;
}
