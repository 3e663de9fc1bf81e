// Test entry point for windowed code: a real QApplication on the offscreen platform
// unless the test run provides a display of its own (KORVALIN_TEST_DISPLAY=1).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* ownDisplay = std::getenv("KORVALIN_TEST_DISPLAY");
    if (ownDisplay == nullptr || std::string(ownDisplay) != "1") {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
