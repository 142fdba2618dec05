#include "PrivateHome.h"

#include <QApplication>
#include <gtest/gtest.h>

// Every test program runs headless (the fixtures give libVLC its dummy outputs), in a home of its
// own and with none of the caller's session.
int main(int argc, char** argv) {
    const orvanto::test::PrivateHome home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
