#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Every test program runs on Qt's offscreen platform, so no test needs a display.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
