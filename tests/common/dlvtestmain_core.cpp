#include "dlvtesthome.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Every test binary runs in a private home so no test touches real settings.
    dlv::test::TTempHome home;
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
