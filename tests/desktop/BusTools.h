#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace orvanto::test {

// Runs `program` while this process's event loop goes on (the program may be talking to us over
// the bus); its standard output, trimmed, or "" when it failed or took longer than `timeoutMs`.
QString runServing(const QString& program, const QStringList& arguments, int timeoutMs = 15000);

// playerctl on the viewer's MPRIS player.
QString playerctl(const QStringList& arguments);

// The stand-in screensaver service (and, if asked, the desktop portal) on the session bus: the
// calls it has had, one line each (see ScreenSaverStandIn.cpp).
class ScreenSaverStandIn {
public:
    explicit ScreenSaverStandIn(bool portal = false);
    ~ScreenSaverStandIn();

    bool isReady() const { return ready_; }
    // The calls so far, "ready" left out.
    QStringList calls();
    // Waits until a call starting with `prefix` has come after the first `after` calls.
    bool waitForCall(const QString& prefix, qsizetype after = 0, int timeoutMs = 15000);

private:
    QProcess process_;
    QStringList lines_;
    bool ready_ = false;
};

} // namespace orvanto::test
