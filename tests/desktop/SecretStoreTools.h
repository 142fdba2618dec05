#pragma once

#include "core/SecretStore.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <ostream>

// Failures show text, not UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace orvanto::test {

// A private session bus that starts nothing on demand: the machine's own session configuration
// would let the first call to org.freedesktop.secrets start the installed gnome-keyring, and
// the tests decide themselves whether a secret store runs.
class BareSessionBus {
public:
    // Starts dbus-daemon listening in `runtimeDir` and points DBUS_SESSION_BUS_ADDRESS at it.
    bool start(const QString& runtimeDir);
    ~BareSessionBus();

private:
    QProcess daemon_;
};

// A real Secret Service on the session bus: gnome-keyring-daemon, its login keyring made and
// unlocked with a password on standard input (as a desktop's PAM module hands it over), so
// that no prompt is ever needed.
class GnomeKeyring {
public:
    // Empty when the daemon runs and owns org.freedesktop.secrets; else why not.
    QString start();
    // Stops the daemon and waits until its name is gone from the bus.
    void stop();
    // Locks the login keyring, and unlocks it again with its password (no prompt); empty when
    // done, else the service's error.
    static QString lockLogin();
    static QString unlockLogin();
    ~GnomeKeyring() { stop(); }

private:
    QProcess daemon_;
};

// Whether `name` has an owner on the session bus.
bool ownedOnBus(const QString& name);

// The regular files under `root` that hold `bytes`.
QStringList filesHolding(const QString& root, const QByteArray& bytes);

// The permission bits of `path` (0600...), or -1 when it cannot be read.
int modeOf(const QString& path);

// A call's answer, once it came (bounded wait on the event loop).
struct Answer {
    bool came = false;
    QString secret;
    QString error;
};
Answer readFrom(SecretStore& store, const QString& key, int timeoutMs = 15000);
Answer writeTo(SecretStore& store, const QString& key, const QString& secret,
               int timeoutMs = 15000);
Answer removeFrom(SecretStore& store, const QString& key, int timeoutMs = 15000);

} // namespace orvanto::test
