#include "SecretStoreTools.h"
#include "support/PrivateHome.h"

#include <QCoreApplication>
#include <cstdio>
#include <gtest/gtest.h>

// The secret store's tests: a home of their own and a private session bus on which nothing is
// started on demand, both made before the application (Qt and GLib take the bus's address once,
// when they first connect). The keychain's cases start a real Secret Service on it themselves.
int main(int argc, char** argv) {
    const orvanto::test::PrivateHome home;
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS(); // CTest asks for the list: no bus needed
    }
    orvanto::test::BareSessionBus bus;
    if (!bus.start(home.runtimeDir())) {
        std::fputs("secret store tests: could not start dbus-daemon\n", stderr);
        return 1;
    }
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
