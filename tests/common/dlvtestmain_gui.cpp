#include "dlvmessages.h"
#include "dlvtesthome.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    dlv::test::TTempHome home;
    QApplication app(argc, argv);
    // An error message box nobody expected fails the test that caused it;
    // tests that expect one install their own hook (see dlvtestmessages.h).
    dlv::SetMessageHook([](const QString &s) {
        ADD_FAILURE() << "unexpected error message box: " << s.toStdString();
    });
    return RUN_ALL_TESTS();
}
