#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace orvanto::test {

// A private D-Bus session bus (dbus-daemon --session) for the desktop tests, with a runtime
// folder of its own, so that the accessibility bus and every service it starts belong to the
// test alone. Started before the application, so that Qt's connections use it.
class PrivateSessionBus {
public:
    // Starts the daemon and points DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR at it.
    bool start();
    // Starts the accessibility bus (AT-SPI, by activation) and waits until it answers, so that
    // Qt's bridge finds it when the application comes up.
    bool startAccessibility();
    // Stops the daemon; the services it started end with it.
    ~PrivateSessionBus();

    const QString& address() const { return address_; }

private:
    QTemporaryDir runtime_;
    QProcess daemon_;
    QString address_;
};

} // namespace orvanto::test
