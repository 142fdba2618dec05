#include "SessionBus.h"

#include <QFile>

namespace orvanto::test {

bool PrivateSessionBus::start(const QString& runtimeDir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    daemon_.setProcessEnvironment(environment);
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000)) {
        return false;
    }
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
    }
    address_ = QString::fromLocal8Bit(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) {
        return false;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir));
    return true;
}

bool PrivateSessionBus::startAccessibility() {
    QProcess call;
    call.start(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                QStringLiteral("--dest=org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                QStringLiteral("org.a11y.Bus.GetAddress")});
    return call.waitForFinished(15000) && call.exitCode() == 0;
}

PrivateSessionBus::~PrivateSessionBus() {
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(3000)) {
            daemon_.kill();
            daemon_.waitForFinished(3000);
        }
    }
}

} // namespace orvanto::test
