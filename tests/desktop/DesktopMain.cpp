#include "SessionBus.h"
#include "XSession.h"
#include "support/PrivateHome.h"

#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>

// The desktop tests run the real window on a private X server with the xcb platform, and
// libVLC with its real audio output, its pictures drawn by the window; in a home of their own,
// on a session bus of their own (a desktop has one; without it libraries would reach for one).
int main(int argc, char** argv) {
    const orvanto::test::PrivateHome home;
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS(); // CTest asks for the list: no display needed
    }
    orvanto::test::PrivateDisplay display;
    if (!display.start()) {
        std::fputs("desktop tests: could not start Xvfb\n", stderr);
        return 1;
    }
    orvanto::test::PrivateSessionBus bus;
    if (!bus.start(home.runtimeDir())) {
        std::fputs("desktop tests: could not start dbus-daemon\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
