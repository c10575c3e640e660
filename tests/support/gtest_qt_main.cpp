// The test programs' main: a Qt application (offscreen when no platform is
// named), then every test case on the application's thread. The embedded
// Firebird lock folder is chosen first, by the program's own rule, so that the
// isql-fb runs of the fixtures and the engine inside the test share it.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

#include "providers/firebird/fb_lock.h"

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ado::fb::applyEmbeddedLockFolder();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
