#pragma once

#include "SessionBus.h"
#include "XSession.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QTemporaryDir>
#include <optional>

namespace orvanto::test {

// A desktop as users run it, private to one test program: an Xvfb display and on it a real
// window manager (openbox, xfwm4 with its compositor) or a Wayland compositor (weston, showing
// its output in a window of the Xvfb display, with XWayland), with a session bus of its own for
// the desktop and its programs (xfwm4 reads its settings over it, from xfconfd). The test program
// stays an X client of the Xvfb display: it reads the screen's pixels there and its XTest input
// reaches whatever the desktop shows, through weston too.
class DesktopSession {
public:
    // WestonXcb: weston too, with the program forced onto XWayland (QT_QPA_PLATFORM=xcb), as
    // users do for programs that misbehave on Wayland.
    enum class Kind { Openbox, Xfwm4, Weston, WestonXcb };
    static std::optional<Kind> kindNamed(const QString& name);
    static QString nameOf(Kind kind);

    static constexpr int Width = 1280; // the Xvfb screen
    static constexpr int Height = 1024;

    explicit DesktopSession(Kind kind) : kind_(kind) {}
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Starts the display and the desktop on it; an empty string, or what went wrong.
    QString start();

    Kind kind() const { return kind_; }
    bool isWayland() const { return kind_ == Kind::Weston || kind_ == Kind::WestonXcb; }
    // Where the desktop's programs show, in the Xvfb screen's pixels: the whole screen, or
    // weston's output window.
    QRect screen() const;
    // The environment of a program started on this desktop: DISPLAY (XWayland's on weston),
    // WAYLAND_DISPLAY, XDG_SESSION_TYPE and the session bus as a session sets them, no platform
    // forced.
    QProcessEnvironment programEnvironment() const;

private:
    QString startWindowManager(const QString& program, const QStringList& arguments);
    QString startWeston();
    QProcessEnvironment desktopEnvironment() const;

    Kind kind_;
    PrivateDisplay display_;
    QTemporaryDir home_; // the desktop's and its programs' configuration and runtime folders
    PrivateSessionBus bus_;
    QProcess desktop_;
    QString waylandSocket_;
    QString xwaylandDisplay_;
};

} // namespace orvanto::test
