#include <gtest/gtest.h>

#include <QApplication>

// Every test program runs inside one QApplication, headless. Listing the
// cases (ctest's discovery does it right after each program is built) makes
// none, so it needs no display and leaves nothing for a leak checker.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
