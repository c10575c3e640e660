// The test programs' main: a Qt application (offscreen when no platform is
// named), then every test case on the application's thread.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
