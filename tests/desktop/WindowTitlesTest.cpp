// The titles the window manager shows (_NET_WM_NAME), read from the running program.

#include "XSession.h"
#include "support/WaitFor.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class WindowTitles : public ::testing::Test {
protected:
    ~WindowTitles() override {
        program.kill();
        program.waitForFinished(5000);
    }

    void start(const QStringList& arguments) {
        program.start(QStringLiteral(ORVANTO_APP), arguments);
        ASSERT_TRUE(program.waitForStarted(5000));
    }

    QStringList titles() const {
        QStringList names;
        for (quint64 window : x11::windowsOf(program.processId())) {
            names << x11::windowName(window);
        }
        return names;
    }

    // Waits until a window of the program has the title `title`.
    bool showsTitle(const QString& title) {
        return waitFor([&] { return titles().contains(title); }, 10000);
    }

    // With no window manager nothing moves the keyboard focus to a box as it opens (the main
    // window, shown at the same time, may take it after the box): the pointer is put over the
    // box and the focus given to it, as a window manager would on a click.
    void focusWindowTitled(const QString& title) {
        for (quint64 window : x11::windowsOf(program.processId())) {
            if (x11::windowName(window) == title) {
                x11::moveTo(x11::geometry(window).topLeft() + QPoint(8, 8));
                x11::run(s("xdotool"), {s("windowfocus"), QString::number(window)});
                return;
            }
        }
    }

    // The main window's top-left corner on the screen.
    QPoint origin() {
        for (quint64 window : x11::windowsOf(program.processId())) {
            if (x11::windowName(window) == s("Orvanto Live TV")) {
                return x11::geometry(window).topLeft();
            }
        }
        return {};
    }

    QProcess program;
};

TEST_F(WindowTitles, AreExactlyAsWritten) {
    // A playlist that cannot be read: the window and an error box.
    start({s("--playlist"), s("/nonexistent/channels.m3u")});
    ASSERT_TRUE(showsTitle(s("Lathos"))) << titles().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(titles().contains(s("Orvanto Live TV")));
    focusWindowTitled(s("Lathos"));
    x11::key(s("Return"));
    ASSERT_TRUE(waitFor([&] { return !titles().contains(s("Lathos")); }, 5000));

    // "ADULT 1" asks for the password; a wrong one is refused in a box.
    const QPoint window = origin();
    x11::click(window + QPoint(48, 404));
    ASSERT_TRUE(showsTitle(s("Prosoxi: Mono pano apo 18!")))
        << titles().join(QLatin1Char('|')).toStdString();
    focusWindowTitled(s("Prosoxi: Mono pano apo 18!"));
    x11::type(s("wrong"));
    x11::key(s("Return"));
    ASSERT_TRUE(showsTitle(s("Lathos"))) << titles().join(QLatin1Char('|')).toStdString();
    focusWindowTitled(s("Lathos"));
    x11::key(s("Return"));
    ASSERT_TRUE(waitFor([&] { return !titles().contains(s("Lathos")); }, 5000));

    // "Diavaste": the read-me box has the application's title.
    x11::click(window + QPoint(256, 360));
    ASSERT_TRUE(waitFor([&] { return titles().count(s("Orvanto Live TV")) == 2; }, 10000))
        << titles().join(QLatin1Char('|')).toStdString();
}

} // namespace
} // namespace orvanto::test
