#pragma once

#include <QString>

namespace dlv {

// Hands a web address or mail link to the desktop's default handler. The
// outcome is not examined; nothing is reported.
void ShellOpen(const QString &sTarget);

} // namespace dlv
