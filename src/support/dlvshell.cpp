#include "dlvshell.h"

#include <QDesktopServices>
#include <QUrl>

namespace dlv {

void ShellOpen(const QString &sTarget)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(sTarget));
}

} // namespace dlv
