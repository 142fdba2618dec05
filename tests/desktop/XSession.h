#pragma once

#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace orvanto::test {

// A private X server (Xvfb) for the desktop tests, started before the application so that
// parallel runs and machines without a display of their own work alike.
class PrivateDisplay {
public:
    static constexpr int Width = 1024;
    static constexpr int Height = 768;

    // Starts Xvfb with a screen of `size` on a free display number and points DISPLAY at it;
    // false when it fails.
    bool start(QSize size = QSize(Width, Height));
    ~PrivateDisplay();

    QString name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

// The X tools the tests drive the display with: xdotool (XTest input) and xprop.
namespace x11 {

// Runs `program` with `arguments`, returns its standard output ("" on failure).
QString run(const QString& program, const QStringList& arguments);

// Real pointer and keyboard input through the XTest extension.
void moveTo(const QPoint& global);
void click(const QPoint& global, int button = 1);
void key(const QString& name); // an X key name: "Escape", "F11", "Return"
void type(const QString& text);

// A window's geometry as the X server has it, relative to the root window.
QRect geometry(quint64 window);
// A window's _NET_WM_NAME; empty when it has none.
QString windowName(quint64 window);
// The mapped windows of process `pid`.
QList<quint64> windowsOf(qint64 pid);

} // namespace x11
} // namespace orvanto::test
