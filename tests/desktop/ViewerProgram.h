#pragma once

#include "DesktopSession.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace orvanto::test {

// The real program on a desktop, found and driven as a user would: its window is found on the
// screen by its colour, points in it are named in its own pixels (as laid out, times the scale
// factor), and the pointer and the keyboard are the real ones (XTest).
class ViewerProgram {
public:
    explicit ViewerProgram(const DesktopSession& session) : session_(session) {}
    ~ViewerProgram();

    // Starts the program with `arguments` at `scale` (QT_SCALE_FACTOR), in a scratch
    // configuration, and waits until its window shows.
    ::testing::AssertionResult start(const QStringList& arguments, int scale = 1);
    qint64 pid() const { return process_.processId(); }
    // What the program wrote on its standard output and error.
    QString output() const;
    // For a failure's message: how the program ended and what it wrote last; empty while it
    // runs.
    std::string gone() const;

    // Finds the window's client area on the screen again (after it moved), while it is not cut
    // narrow; true once it stays put.
    bool findWindow(int timeoutMs = 10000);
    // The window's client area on the screen, as last found.
    QRect window() const { return window_; }
    // The window's width now, in its own unscaled pixels.
    int width() const;
    // A rectangle or a point of the window, in its own unscaled pixels, on the screen.
    QRect onScreen(const QRect& inWindow) const;
    QPoint onScreen(const QPoint& inWindow) const;
    int scale() const { return scale_; }

    // The top-level windows the window manager lists for the program (X11 desktops only).
    int managedWindows() const;

private:
    const DesktopSession& session_;
    QTemporaryDir scratch_;
    QProcess process_;
    QRect window_;
    int scale_ = 1;
};

// Keeps what the screen shows, for a failure's message: the picture's path.
std::string keepScreen();

// Real input, in the screen's pixels.
namespace input {
void moveTo(const QPoint& at);
void click(const QPoint& at, int button = 1);
void doubleClick(const QPoint& at);
void key(const QString& name);
} // namespace input

} // namespace orvanto::test
