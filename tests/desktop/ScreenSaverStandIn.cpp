// A stand-in for the desktop's screensaver service on the session bus, for the desktop tests:
// org.freedesktop.ScreenSaver's Inhibit and UnInhibit, and with --portal the desktop portal's
// Inhibit and its request's Close. Every call is written to standard output, one line each:
//   Inhibit <application>|<reason> <cookie>     UnInhibit <cookie>
//   PortalInhibit <flags>|<reason> <handle>      Close <handle>
// "ready" comes once the names are taken.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <cstdio>

namespace {

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class ScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public Q_SLOTS:
    uint Inhibit(const QString& application, const QString& reason) {
        const uint cookie = ++last_;
        say(QStringLiteral("Inhibit %1|%2 %3").arg(application, reason).arg(cookie));
        return cookie;
    }
    void UnInhibit(uint cookie) { say(QStringLiteral("UnInhibit %1").arg(cookie)); }

private:
    uint last_ = 0;
};

class Request : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    explicit Request(QString path, QObject* parent) : QObject(parent), path_(std::move(path)) {}
public Q_SLOTS:
    void Close() {
        say(QStringLiteral("Close ") + path_);
        QDBusConnection::sessionBus().unregisterObject(path_);
        deleteLater();
    }

private:
    QString path_;
};

class Portal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString&, uint flags, const QVariantMap& options) {
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/1/t%1").arg(++last_);
        QDBusConnection::sessionBus().registerObject(path, new Request(path, this),
                                                     QDBusConnection::ExportAllSlots);
        say(QStringLiteral("PortalInhibit %1|%2 %3")
                .arg(flags)
                .arg(options.value(QStringLiteral("reason")).toString(), path));
        return QDBusObjectPath(path);
    }

private:
    uint last_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    ScreenSaver screenSaver;
    Portal portal;
    bool ok = bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver,
                                 QDBusConnection::ExportAllSlots) &&
              bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
    if (app.arguments().contains(QStringLiteral("--portal"))) {
        ok = ok &&
             bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                QDBusConnection::ExportAllSlots) &&
             bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    if (!ok) {
        say(QStringLiteral("failed: ") + bus.lastError().message());
        return 1;
    }
    say(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

#include "ScreenSaverStandIn.moc"
