// Entry point of the window tests: one QApplication on the headless platform.
#include <QApplication>
#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("TZ")) setenv("TZ", "CST-8", 1);
    tzset();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
