#include "XSession.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

// The desktop tests run the real window on a private X server with the xcb platform, and
// libVLC with its real audio output, its pictures drawn by the window.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS(); // CTest asks for the list: no display needed
    }
    orvanto::test::PrivateDisplay display;
    if (!display.start()) {
        std::fputs("desktop tests: could not start Xvfb\n", stderr);
        return 1;
    }
    // The programs the tests start keep their settings in a scratch folder, not the user's.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
