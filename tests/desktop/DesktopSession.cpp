#include "DesktopSession.h"

#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace orvanto::test {

namespace {

// weston's output window: smaller than the screen, so that the pointer can leave it (see start).
const QRect kWestonOutput(0, 0, 1200, 900);
// How long a desktop may take to come up: little on an idle machine, far more beside a busy
// build.
constexpr int kStartMs = 30000;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

std::optional<DesktopSession::Kind> DesktopSession::kindNamed(const QString& name) {
    for (Kind kind : {Kind::Openbox, Kind::Xfwm4, Kind::Weston, Kind::WestonXcb}) {
        if (nameOf(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}

QString DesktopSession::nameOf(Kind kind) {
    switch (kind) {
    case Kind::Openbox:
        return s("openbox");
    case Kind::Xfwm4:
        return s("xfwm4");
    case Kind::Weston:
        return s("weston");
    case Kind::WestonXcb:
        return s("weston-xcb");
    }
    return {};
}

QString DesktopSession::start() {
    if (!home_.isValid() || !QDir(home_.path()).mkpath(s("runtime"))) {
        return s("no scratch folder");
    }
    QFile::setPermissions(home_.filePath(s("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!display_.start(QSize(Width, Height))) {
        return s("Xvfb did not start");
    }
    if (!bus_.start(home_.filePath(s("runtime")))) {
        return s("dbus-daemon did not start");
    }
    switch (kind_) {
    case Kind::Openbox:
        return startWindowManager(s("openbox"), {s("--sm-disable")});
    case Kind::Xfwm4:
        // Its compositor on, as it comes (on Xvfb it composites with XRender).
        return startWindowManager(s("xfwm4"), {s("--sm-client-disable")});
    case Kind::Weston:
    case Kind::WestonXcb:
        return startWeston();
    }
    return s("unknown desktop");
}

DesktopSession::~DesktopSession() {
    if (desktop_.state() != QProcess::NotRunning) {
        desktop_.terminate();
        if (!desktop_.waitForFinished(5000)) {
            desktop_.kill();
            desktop_.waitForFinished(5000);
        }
    }
}

QRect DesktopSession::screen() const {
    return isWayland() ? kWestonOutput : QRect(0, 0, Width, Height);
}

QProcessEnvironment DesktopSession::desktopEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(s("XDG_RUNTIME_DIR"), home_.filePath(s("runtime")));
    environment.insert(s("DBUS_SESSION_BUS_ADDRESS"), bus_.address());
    return environment;
}

QProcessEnvironment DesktopSession::programEnvironment() const {
    QProcessEnvironment environment = desktopEnvironment();
    environment.remove(s("QT_QPA_PLATFORM"));
    environment.remove(s("QT_SCALE_FACTOR"));
    if (isWayland()) {
        environment.insert(s("XDG_SESSION_TYPE"), s("wayland"));
        environment.insert(s("WAYLAND_DISPLAY"), waylandSocket_);
        environment.insert(s("DISPLAY"), xwaylandDisplay_);
        if (kind_ == Kind::WestonXcb) {
            environment.insert(s("QT_QPA_PLATFORM"), s("xcb"));
        }
    } else {
        environment.insert(s("XDG_SESSION_TYPE"), s("x11"));
        environment.remove(s("WAYLAND_DISPLAY"));
        environment.insert(s("DISPLAY"), display_.name());
    }
    return environment;
}

QString DesktopSession::startWindowManager(const QString& program, const QStringList& arguments) {
    QProcessEnvironment environment = desktopEnvironment();
    environment.insert(s("XDG_CONFIG_HOME"), home_.filePath(s("config")));
    environment.insert(s("XDG_CACHE_HOME"), home_.filePath(s("cache")));
    desktop_.setProcessEnvironment(environment);
    desktop_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    desktop_.setStandardOutputFile(QProcess::nullDevice());
    // A window manager announces itself on the root window once it manages the screen. On a
    // loaded machine one now and then starts and never gets there; it is started once more.
    const auto managing = [] {
        return x11::run(s("xprop"), {s("-root"), s("_NET_SUPPORTING_WM_CHECK")})
            .contains(s("window id"));
    };
    for (int attempt = 0; attempt < 2; ++attempt) {
        desktop_.start(program, arguments);
        if (!desktop_.waitForStarted(5000)) {
            return program + s(" did not start (is it installed?)");
        }
        if (waitFor([&] { return managing() || desktop_.state() == QProcess::NotRunning; },
                    kStartMs / 2) &&
            desktop_.state() == QProcess::Running) {
            return {};
        }
        desktop_.kill();
        desktop_.waitForFinished(5000);
    }
    return program + s(" did not take over the screen %1 in two starts").arg(display_.name());
}

QString DesktopSession::startWeston() {
    waylandSocket_ = s("wayland-orvanto-%1").arg(QCoreApplication::applicationPid());
    const QString log = home_.filePath(s("weston.log"));
    QProcessEnvironment environment = desktopEnvironment();
    environment.insert(s("XDG_CONFIG_HOME"), home_.filePath(s("config")));
    environment.remove(s("WAYLAND_DISPLAY"));
    desktop_.setProcessEnvironment(environment);
    desktop_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    desktop_.setStandardOutputFile(QProcess::nullDevice());
    desktop_.start(s("weston"),
                   {s("--backend=x11-backend.so"), s("--use-pixman"), s("--no-config"),
                    s("--width=%1").arg(kWestonOutput.width()),
                    s("--height=%1").arg(kWestonOutput.height()), s("--socket=") + waylandSocket_,
                    s("--xwayland"), s("--idle-time=0"), s("--log=") + log});
    if (!desktop_.waitForStarted(5000)) {
        return s("weston did not start (is it installed?)");
    }
    // weston names XWayland's display in its log once it listens there.
    static const QRegularExpression listening(s("xserver listening on display (:\\d+)"));
    const bool ready = waitFor(
        [&] {
            QFile file(log);
            if (!file.open(QIODevice::ReadOnly)) {
                return false;
            }
            const QRegularExpressionMatch match =
                listening.match(QString::fromLocal8Bit(file.readAll()));
            if (match.hasMatch()) {
                xwaylandDisplay_ = match.captured(1);
            }
            return match.hasMatch() &&
                   QFile::exists(home_.filePath(s("runtime/") + waylandSocket_));
        },
        kStartMs);
    if (!ready) {
        return s("weston did not come up");
    }
    // weston's X11 input moves its pointer by the motion between events, from where the pointer
    // entered its window: the pointer enters it once, from outside, so that the two agree.
    x11::moveTo(QPoint(Width - 10, Height - 10));
    return {};
}

} // namespace orvanto::test
