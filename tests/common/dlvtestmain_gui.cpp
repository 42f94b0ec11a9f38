#include "dlvtesthome.h"
#include "dlvtestmessages.h"

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
    // tests that expect some record them with TExpectMessages.
    dlv::test::FailOnMessages();
    return RUN_ALL_TESTS();
}
