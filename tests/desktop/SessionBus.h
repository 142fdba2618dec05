#pragma once

#include <QProcess>
#include <QString>

namespace orvanto::test {

// A private D-Bus session bus (dbus-daemon --session) for the desktop tests, in the test's own
// runtime folder, so that the accessibility bus and every service it starts (a window manager's
// settings daemon, say) belong to the test alone. Started before the application, so that Qt's
// connections use it.
class PrivateSessionBus {
public:
    // Starts the daemon with `runtimeDir` as its XDG_RUNTIME_DIR and points
    // DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR at them.
    bool start(const QString& runtimeDir);
    // Starts the accessibility bus (AT-SPI, by activation) and waits until it answers, so that
    // Qt's bridge finds it when the application comes up.
    bool startAccessibility();
    // Stops the daemon; the services it started end with it.
    ~PrivateSessionBus();

    const QString& address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

} // namespace orvanto::test
