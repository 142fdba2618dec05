#include "DesktopSession.h"
#include "support/PrivateHome.h"

#include <QGuiApplication>
#include <cstdio>
#include <gtest/gtest.h>

namespace orvanto::test {

DesktopSession* currentDesktop = nullptr;

} // namespace orvanto::test

// The real program on a real desktop: `--desktop=openbox|xfwm4|weston|weston-xcb` names it; each
// run of this program starts its own, on its own Xvfb display and session bus, in a home of its
// own.
int main(int argc, char** argv) {
    const orvanto::test::PrivateHome home;
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS(); // CTest asks for the list: no display needed
    }
    QString name;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument.startsWith(QLatin1String("--desktop="))) {
            name = argument.section(QLatin1Char('='), 1);
        }
    }
    const auto kind = orvanto::test::DesktopSession::kindNamed(name);
    if (!kind) {
        std::fputs("desktop tests: --desktop=openbox|xfwm4|weston|weston-xcb\n", stderr);
        return 2;
    }
    orvanto::test::DesktopSession desktop(*kind);
    const QString failure = desktop.start();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "desktop tests: %s: %s\n", qUtf8Printable(name),
                     qUtf8Printable(failure));
        return 1;
    }
    orvanto::test::currentDesktop = &desktop;
    // This program reads the Xvfb screen (DISPLAY now names it) as an X client.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
