#include "SessionBus.h"
#include "XSession.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

// The tests of the viewer on the desktop's session bus: a private X server and a private D-Bus
// session bus (with its accessibility bus), both started before the application.
int main(int argc, char** argv) {
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
    if (!bus.start()) {
        std::fputs("desktop bus tests: could not start dbus-daemon\n", stderr);
        return 1;
    }
    if (!bus.startAccessibility()) {
        std::fputs("desktop bus tests: no accessibility bus (at-spi2-core)\n", stderr);
        return 1;
    }
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Qt's accessibility bridge on, as a running screen reader turns it on.
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
