#pragma once

// Error message boxes in GUI tests: the test main makes every one fail the
// test that caused it; a test that expects some records them instead.

#include "dlvmessages.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace dlv::test {

// Makes every error message box fail the running test.
inline void FailOnMessages()
{
    SetMessageHook([](const QString &s) {
        ADD_FAILURE() << "unexpected error message box: " << s.toStdString();
    });
}

// Records the error message boxes of one test instead of failing it; the
// failing hook of the test main comes back at the end.
class TExpectMessages
{
public:
    TExpectMessages()
    {
        SetMessageHook([this](const QString &s) { slMessages << s; });
    }
    ~TExpectMessages() { FailOnMessages(); }
    TExpectMessages(const TExpectMessages &) = delete;
    TExpectMessages &operator=(const TExpectMessages &) = delete;

    QStringList slMessages;
};

} // namespace dlv::test
