#include "SessionBus.h"
#include "XSession.h"
#include "support/PrivateHome.h"

#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>

// The tests of the viewer on the desktop's session bus: a home of their own, a private X server
// and a private D-Bus session bus (with its accessibility bus), all made before the application.
int main(int argc, char** argv) {
    const orvanto::test::PrivateHome home;
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS(); // CTest asks for the list: no display or bus needed
    }
    orvanto::test::PrivateDisplay display;
    if (!display.start()) {
        std::fputs("desktop bus tests: could not start Xvfb\n", stderr);
        return 1;
    }
    orvanto::test::PrivateSessionBus bus;
    if (!bus.start(home.runtimeDir())) {
        std::fputs("desktop bus tests: could not start dbus-daemon\n", stderr);
        return 1;
    }
    if (!bus.startAccessibility()) {
        std::fputs("desktop bus tests: no accessibility bus (at-spi2-core)\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Qt's accessibility bridge on, as a running screen reader turns it on.
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
