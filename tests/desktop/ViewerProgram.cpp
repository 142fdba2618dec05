#include "ViewerProgram.h"

#include "ScreenPixels.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

namespace orvanto::test {

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// How long a window stays where it was found before it counts as placed.
constexpr int kSettleMs = 300;

} // namespace

ViewerProgram::~ViewerProgram() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

::testing::AssertionResult ViewerProgram::start(const QStringList& arguments, int scale) {
    scale_ = scale;
    QProcessEnvironment environment = session_.programEnvironment();
    environment.insert(s("XDG_CONFIG_HOME"), scratch_.filePath(s("config")));
    environment.insert(s("XDG_CACHE_HOME"), scratch_.filePath(s("cache")));
    if (scale != 1) {
        environment.insert(s("QT_SCALE_FACTOR"), QString::number(scale));
    }
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(scratch_.filePath(s("output.txt")));
    process_.start(s(ORVANTO_APP), arguments);
    if (!process_.waitForStarted(5000)) {
        return ::testing::AssertionFailure() << "the program did not start";
    }
    if (!findWindow(20000)) {
        ::testing::AssertionResult failure = ::testing::AssertionFailure();
        failure << "no window on the screen" << gone() << keepScreen();
        if (!session_.isWayland()) {
            failure << "; the window manager manages " << managedWindows()
                    << " windows of the program";
        }
        return failure << "; the program said: " << output().toStdString();
    }
    return ::testing::AssertionSuccess();
}

QString ViewerProgram::output() const {
    QFile file(scratch_.filePath(s("output.txt")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

std::string ViewerProgram::gone() const {
    if (process_.state() != QProcess::NotRunning) {
        return {};
    }
    const QString how = process_.exitStatus() == QProcess::CrashExit
                            ? s("crashed")
                            : s("exited with %1").arg(process_.exitCode());
    return (s(" (the program ") + how + s("; it wrote: ") + output().right(2000) + s(")"))
        .toStdString();
}

bool ViewerProgram::findWindow(int timeoutMs) {
    // The window's background colour reaches its top edge (right of the player) and its left
    // edge (below the player), and nothing else on these desktops has it. Cut narrow, the
    // window shows it only below the player: its corner is then not found. A desktop may move
    // a window after it first shows it: found at the same place for a while, it stays.
    QRect last;
    QElapsedTimer since;
    return waitFor(
        [&] {
            const QImage screen = pixels::grabScreen();
            const QRect found =
                pixels::bounds(screen, session_.screen(), pixels::isWindowBackground);
            const QPoint rightOfPlayer = found.topLeft() + QPoint(330, 2) * scale_;
            if (found.isNull() || pixels::isWindowBackground(screen.pixel(found.topLeft())) ||
                !found.contains(rightOfPlayer) ||
                !pixels::isWindowBackground(screen.pixel(rightOfPlayer))) {
                return false;
            }
            if (found != last) {
                last = found;
                since.start();
            }
            window_ = found;
            return since.elapsed() >= kSettleMs;
        },
        timeoutMs);
}

int ViewerProgram::width() const {
    // The rows right below the player are background colour the whole width, also when the
    // window is cut narrow.
    const QRect below = onScreen(QRect(0, 346, 2000, 5)).intersected(session_.screen());
    const QRect found = pixels::bounds(pixels::grabScreen(), below, pixels::isWindowBackground);
    return found.isNull() ? 0 : (found.right() - window_.left() + 1) / scale_;
}

QRect ViewerProgram::onScreen(const QRect& inWindow) const {
    return QRect(window_.topLeft() + inWindow.topLeft() * scale_, inWindow.size() * scale_);
}

QPoint ViewerProgram::onScreen(const QPoint& inWindow) const {
    return window_.topLeft() + inWindow * scale_;
}

int ViewerProgram::managedWindows() const {
    // "_NET_CLIENT_LIST(WINDOW): window id # 0x400006, 0x600003"
    const QString list = x11::run(s("xprop"), {s("-root"), s("_NET_CLIENT_LIST")});
    int ours = 0;
    for (const QString& id : list.section(QLatin1Char('#'), 1).split(QLatin1Char(','))) {
        const QString pid = x11::run(s("xprop"), {s("-id"), id.trimmed(), s("_NET_WM_PID")});
        if (pid.section(QLatin1Char('='), 1).trimmed().toLongLong() == process_.processId()) {
            ++ours;
        }
    }
    return ours;
}

namespace input {

void moveTo(const QPoint& at) {
    x11::moveTo(at);
}

void click(const QPoint& at, int button) {
    x11::click(at, button);
}

void doubleClick(const QPoint& at) {
    x11::moveTo(at);
    x11::run(s("xdotool"), {s("click"), s("--repeat"), s("2"), s("--delay"), s("80"), s("1")});
}

void key(const QString& name) {
    // Held down for a while, as a person's finger does (xdotool's own press is 6 ms): a Wayland
    // compositor lets a key open a pop-up (a submenu) only while it is the latest event, and
    // takes it back if the key's release came first.
    x11::run(s("xdotool"), {s("key"), s("--delay"), s("160"), name});
}

} // namespace input

extern DesktopSession* currentDesktop;

std::string keepScreen() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString path = QDir::temp().filePath(
        QStringLiteral("orvanto-%1-%2-%3.png")
            .arg(DesktopSession::nameOf(currentDesktop->kind()),
                 QString::fromUtf8(test->name()).replace(QLatin1Char('/'), QLatin1Char('-')))
            .arg(QCoreApplication::applicationPid()));
    pixels::grabScreen().save(path);
    return " (the screen: " + path.toStdString() + ")";
}

} // namespace orvanto::test
