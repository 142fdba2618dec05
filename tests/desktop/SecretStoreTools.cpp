#include "SecretStoreTools.h"

#include "support/WaitFor.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <memory>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace orvanto::test {

namespace {

const QByteArray LoginPassword = "orvanto-test";
const QString LoginKeyring = u"/org/freedesktop/secrets/collection/login"_s;

// The Secret Service's Secret: (session, parameters, value, content type).
struct SecretValue {
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};

QDBusArgument& operator<<(QDBusArgument& out, const SecretValue& secret) {
    out.beginStructure();
    out << secret.session << secret.parameters << secret.value << secret.contentType;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SecretValue& secret) {
    in.beginStructure();
    in >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    in.endStructure();
    return in;
}

} // namespace

} // namespace orvanto::test

Q_DECLARE_METATYPE(orvanto::test::SecretValue)

namespace orvanto::test {

namespace {

QDBusMessage callSecrets(const QString& interface, const QString& method,
                         const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        u"org.freedesktop.secrets"_s, u"/org/freedesktop/secrets"_s, interface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
}

QString failure(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage ? QString() : reply.errorMessage();
}

void stopProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// A session bus as dbus-daemon's own session.conf has it, without its service folders.
QByteArray busConfig(const QString& runtimeDir, const QString& services) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir=" +
           runtimeDir.toUtf8() +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <servicedir>" +
           services.toUtf8() +
           "</servicedir>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

} // namespace

bool BareSessionBus::start(const QString& runtimeDir) {
    const QString services = runtimeDir + u"/no-services"_s;
    const QString configPath = runtimeDir + u"/bus.conf"_s;
    QFile config(configPath);
    if (!QDir().mkpath(services) || !config.open(QIODevice::WriteOnly) ||
        config.write(busConfig(runtimeDir, services)) < 0) {
        return false;
    }
    config.close();
    daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon_.start(u"dbus-daemon"_s,
                  {u"--config-file="_s + configPath, u"--nofork"_s, u"--print-address=1"_s});
    if (!daemon_.waitForStarted(5000)) {
        return false;
    }
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
    }
    const QByteArray address = daemon_.readLine().trimmed();
    if (address.isEmpty()) {
        return false;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    return true;
}

BareSessionBus::~BareSessionBus() {
    stopProcess(daemon_);
}

QString GnomeKeyring::start() {
    daemon_.setProcessChannelMode(QProcess::ForwardedChannels);
    daemon_.start(u"gnome-keyring-daemon"_s,
                  {u"--foreground"_s, u"--components=secrets"_s, u"--unlock"_s});
    if (!daemon_.waitForStarted(5000)) {
        return u"gnome-keyring-daemon does not start (the gnome-keyring package): "_s +
               daemon_.errorString();
    }
    // With no password the login keyring is neither made nor unlocked, and every write would
    // need a prompt.
    daemon_.write(LoginPassword);
    daemon_.closeWriteChannel();
    const bool up = waitFor(
        [this] {
            return daemon_.state() != QProcess::Running || ownedOnBus(u"org.freedesktop.secrets"_s);
        },
        15000);
    if (daemon_.state() != QProcess::Running) {
        return u"gnome-keyring-daemon ended at once (exit status %1)"_s.arg(daemon_.exitCode());
    }
    return up ? QString() : u"gnome-keyring-daemon did not take org.freedesktop.secrets"_s;
}

void GnomeKeyring::stop() {
    stopProcess(daemon_);
    waitFor([] { return !ownedOnBus(u"org.freedesktop.secrets"_s); }, 5000);
}

QString GnomeKeyring::lockLogin() {
    return failure(
        callSecrets(u"org.freedesktop.Secret.Service"_s, u"Lock"_s,
                    {QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(LoginKeyring)})}));
}

// gnome-keyring's own call for what its PAM module does: the password in a plain session (one
// of this connection's, as the service wants it).
QString GnomeKeyring::unlockLogin() {
    qDBusRegisterMetaType<SecretValue>();
    const QDBusMessage session =
        callSecrets(u"org.freedesktop.Secret.Service"_s, u"OpenSession"_s,
                    {u"plain"_s, QVariant::fromValue(QDBusVariant(QString()))});
    if (!failure(session).isEmpty() || session.arguments().size() != 2) {
        return u"no session: "_s + failure(session);
    }
    const SecretValue password{
        session.arguments().at(1).value<QDBusObjectPath>(), {}, LoginPassword, u"text/plain"_s};
    return failure(callSecrets(
        u"org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"_s,
        u"UnlockWithMasterPassword"_s,
        {QVariant::fromValue(QDBusObjectPath(LoginKeyring)), QVariant::fromValue(password)}));
}

bool ownedOnBus(const QString& name) {
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus != nullptr && bus->isServiceRegistered(name).value();
}

QStringList filesHolding(const QString& root, const QByteArray& bytes) {
    QStringList holding;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (it.fileInfo().isFile() && file.open(QIODevice::ReadOnly) &&
            file.readAll().contains(bytes)) {
            holding << path;
        }
    }
    return holding;
}

int modeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return -1;
    }
    return int(st.st_mode & 07777);
}

namespace {

// Hands the answer to a shared slot: one that comes after the wait gave up finds it still there.
template <typename Call> Answer await(Call call, int timeoutMs) {
    auto answer = std::make_shared<Answer>();
    call(answer);
    waitFor([&answer] { return answer->came; }, timeoutMs);
    return *answer;
}

} // namespace

Answer readFrom(SecretStore& store, const QString& key, int timeoutMs) {
    return await(
        [&](const std::shared_ptr<Answer>& answer) {
            store.read(key, [answer](const QString& secret, const QString& error) {
                *answer = {true, secret, error};
            });
        },
        timeoutMs);
}

Answer writeTo(SecretStore& store, const QString& key, const QString& secret, int timeoutMs) {
    return await(
        [&](const std::shared_ptr<Answer>& answer) {
            store.write(key, secret, [answer](const QString& error) {
                *answer = {true, {}, error};
            });
        },
        timeoutMs);
}

Answer removeFrom(SecretStore& store, const QString& key, int timeoutMs) {
    return await(
        [&](const std::shared_ptr<Answer>& answer) {
            store.remove(key, [answer](const QString& error) { *answer = {true, {}, error}; });
        },
        timeoutMs);
}

} // namespace orvanto::test
