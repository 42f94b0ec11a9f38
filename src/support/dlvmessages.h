#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace dlv {

// Error message box with an OK button, the program's one way of telling the
// user about a failure. Main thread only.
void ShowError(const QString &sMessage, QWidget *pParent = nullptr);

// Routes the settings store's failures to ShowError.
void InstallGuiErrorReporter();

// Tests replace the message box by a hook that records the text (and fails the
// test when the message was not expected). Empty hook: real message boxes.
using TMessageHook = std::function<void(const QString &)>;
void SetMessageHook(TMessageHook fn);

// Shows the hourglass over the whole application while it lives (a day being
// read, a chart being rebuilt) and puts the previous cursor back when it goes.
// Main thread only.
class TWaitCursor
{
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;
};

} // namespace dlv
