#include "dlvmessages.h"

#include "dlvcfg.h"

#include <QApplication>
#include <QMessageBox>

namespace dlv {

namespace {
TMessageHook &MessageHook()
{
    static TMessageHook fn;
    return fn;
}
} // namespace

void SetMessageHook(TMessageHook fn)
{
    MessageHook() = std::move(fn);
}

void ShowError(const QString &sMessage, QWidget *pParent)
{
    if (MessageHook()) {
        MessageHook()(sMessage);
        return;
    }
    if (!pParent)
        pParent = QApplication::activeWindow();
    QMessageBox::critical(pParent, QStringLiteral("Dalvane"), sMessage, QMessageBox::Ok);
}

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

void InstallGuiErrorReporter()
{
    TCfg::SetErrorReporter([](const QString &s) { ShowError(s); });
}

} // namespace dlv
