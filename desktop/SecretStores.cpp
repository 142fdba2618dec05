#include "desktop/SecretStores.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <qt6keychain/keychain.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace orvanto {

namespace {

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

// Hex keeps any key (xtream://user@host:port, slashes and all) one plain INI key.
QString settingsKey(const QString& key) {
    return u"secrets/"_s + QString::fromLatin1(key.toUtf8().toHex());
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The names a secret store owns on the session bus while it runs.
bool anySecretStore(const QStringList& names) {
    for (const QString& name : {u"org.freedesktop.secrets"_s, u"org.kde.kwalletd5"_s,
                                u"org.kde.kwalletd6"_s, u"org.kde.kwalletd"_s}) {
        if (names.contains(name)) {
            return true;
        }
    }
    return false;
}

} // namespace

FileSecretStore::FileSecretStore(QString path) : path_(std::move(path)) {}

QString FileSecretStore::refusal() const {
    const QFileInfo file(path_);
    if (!file.exists()) {
        return {};
    }
    // A FIFO or a device would block the read, or never end.
    if (!file.isFile()) {
        return u"%1 is not a regular file"_s.arg(path_);
    }
    if (file.size() > MaxFileBytes) {
        return u"%1 is larger than 1 MB"_s.arg(path_);
    }
    return {};
}

QString FileSecretStore::prepare() const {
    const QFileInfo file(path_);
    const QString folder = file.absolutePath();
    if (!QFileInfo::exists(folder)) {
        const QFileInfo folderInfo(folder);
        if (!QDir().mkpath(folderInfo.absolutePath()) ||
            !QDir().mkdir(folder, OwnerOnly | QFile::ExeOwner)) {
            return u"cannot make the folder %1"_s.arg(folder);
        }
    }
    // Made (or set) owner-only before any secret goes in: QSettings writes a temporary copy,
    // which takes the permissions of the file it replaces.
    const int fd = ::open(QFile::encodeName(path_).constData(),
                          O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        return u"cannot open %1: %2"_s.arg(path_, systemError());
    }
    const bool owned = ::fchmod(fd, 0600) == 0;
    const QString error =
        owned ? QString() : u"cannot set %1 to owner only: %2"_s.arg(path_, systemError());
    ::close(fd);
    return error;
}

void FileSecretStore::read(const QString& key, ReadDone done) {
    QString secret;
    QString error = refusal();
    if (error.isEmpty() && QFileInfo::exists(path_)) {
        const QSettings settings(path_, QSettings::IniFormat);
        if (settings.status() != QSettings::NoError) {
            error = u"cannot read %1"_s.arg(path_);
        } else {
            secret = settings.value(settingsKey(key)).toString();
        }
    }
    QTimer::singleShot(0, &context_,
                       [done = std::move(done), secret, error] { done(secret, error); });
}

void FileSecretStore::write(const QString& key, const QString& secret, Done done) {
    QString error = refusal();
    if (error.isEmpty()) {
        error = prepare();
    }
    if (error.isEmpty()) {
        QSettings settings(path_, QSettings::IniFormat);
        settings.setValue(settingsKey(key), secret);
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            error = u"cannot write %1"_s.arg(path_);
        }
    }
    QTimer::singleShot(0, &context_, [done = std::move(done), error] { done(error); });
}

void FileSecretStore::remove(const QString& key, Done done) {
    QString error = refusal();
    // A missing file, or one without the key, is left as it is (not made).
    if (error.isEmpty() && QFileInfo::exists(path_)) {
        QSettings settings(path_, QSettings::IniFormat);
        if (settings.status() != QSettings::NoError) {
            error = u"cannot read %1"_s.arg(path_);
        } else if (settings.contains(settingsKey(key))) {
            error = prepare();
            if (error.isEmpty()) {
                settings.remove(settingsKey(key));
                settings.sync();
                if (settings.status() != QSettings::NoError) {
                    error = u"cannot write %1"_s.arg(path_);
                }
            }
        }
    }
    QTimer::singleShot(0, &context_, [done = std::move(done), error] { done(error); });
}

QString FileSecretStore::place() const {
    QString shown = QDir::cleanPath(QFileInfo(path_).absoluteFilePath());
    const QString home = QDir::homePath();
    if (shown.startsWith(home + u'/')) {
        shown = u'~' + shown.mid(home.size());
    }
    return u"a file only you can read (%1): no secret store runs"_s.arg(shown);
}

namespace {

const QString Service = u"orvanto-tv"_s;

// Each job is its own: never parented, it deletes itself once finished (Qt Keychain's backends
// call back into it after the store may be gone).
template <typename Job> Job* newJob(const QString& key) {
    auto* job = new Job(Service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // plaintext goes only to our own owner-only file
    job->setKey(key);
    return job;
}

} // namespace

KeychainSecretStore::KeychainSecretStore(const QString& fallbackFile) : file_(fallbackFile) {}

void KeychainSecretStore::run(QKeychain::Job* job, std::function<void(const Outcome&)> finished,
                              std::function<void()> onFile) {
    QObject::connect(
        job, &QKeychain::Job::finished, &context_,
        [this, finished = std::move(finished), onFile = std::move(onFile)](QKeychain::Job* done) {
            const QString error = u"the desktop's secret store: %1"_s.arg(done->errorString());
            switch (done->error()) {
            case QKeychain::NoError:
                if (const auto* reader = qobject_cast<QKeychain::ReadPasswordJob*>(done)) {
                    finished({reader->textData(), {}});
                } else {
                    finished({});
                }
                return;
            case QKeychain::EntryNotFound:
                finished({}); // nothing kept under the key (or nothing left to remove)
                return;
            case QKeychain::NoBackendAvailable:
                usesFallback_ = true;
                onFile();
                return;
            case QKeychain::OtherError:
                // libsecret names no missing service: the bus tells.
                settle(error, finished, onFile);
                return;
            default: // locked, or refused by the user: not a case for plaintext
                finished({{}, error});
                return;
            }
        });
    job->start();
}

void KeychainSecretStore::settle(const QString& error, std::function<void(const Outcome&)> finished,
                                 std::function<void()> onFile) {
    if (usesFallback_) { // another call found out meanwhile
        onFile();
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        usesFallback_ = true;
        onFile();
        return;
    }
    const QDBusMessage listNames =
        QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                       u"org.freedesktop.DBus"_s, u"ListNames"_s);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(listNames), &context_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context_,
                     [this, watcher, error, finished = std::move(finished),
                      onFile = std::move(onFile)](QDBusPendingCallWatcher*) {
                         watcher->deleteLater();
                         const QDBusPendingReply<QStringList> names = *watcher;
                         if (usesFallback_ ||
                             (!names.isError() && !anySecretStore(names.value()))) {
                             usesFallback_ = true;
                             onFile();
                         } else {
                             finished({{}, error}); // it runs and failed: the failure stands
                         }
                     });
}

void KeychainSecretStore::read(const QString& key, ReadDone done) {
    if (usesFallback_) {
        file_.read(key, std::move(done));
        return;
    }
    run(
        newJob<QKeychain::ReadPasswordJob>(key),
        [this, key, done](const Outcome& outcome) {
            if (outcome.secret.isEmpty() && outcome.error.isEmpty()) {
                moveFromFile(key, done);
            } else {
                done(outcome.secret, outcome.error);
            }
        },
        [this, key, done] { file_.read(key, done); });
}

void KeychainSecretStore::moveFromFile(const QString& key, ReadDone done) {
    file_.read(key, [this, key, done](const QString& secret, const QString&) {
        done(secret, {});
        if (secret.isEmpty()) {
            return;
        }
        // Kept in the file while no secret store ran: it goes into the one that runs now,
        // and only then out of the file.
        auto* job = newJob<QKeychain::WritePasswordJob>(key);
        job->setTextData(secret);
        run(
            job,
            [this, key](const Outcome& outcome) {
                if (outcome.error.isEmpty()) {
                    file_.remove(key, [](const QString&) {});
                }
            },
            [] {});
    });
}

void KeychainSecretStore::write(const QString& key, const QString& secret, Done done) {
    if (usesFallback_) {
        file_.write(key, secret, std::move(done));
        return;
    }
    auto* job = newJob<QKeychain::WritePasswordJob>(key);
    job->setTextData(secret);
    run(
        job, [done](const Outcome& outcome) { done(outcome.error); },
        [this, key, secret, done] { file_.write(key, secret, done); });
}

void KeychainSecretStore::remove(const QString& key, Done done) {
    if (usesFallback_) {
        file_.remove(key, std::move(done));
        return;
    }
    run(
        newJob<QKeychain::DeletePasswordJob>(key),
        [this, key, done](const Outcome& outcome) {
            if (!outcome.error.isEmpty()) {
                done(outcome.error);
                return;
            }
            file_.remove(key, done); // a copy from a time without a secret store goes too
        },
        [this, key, done] { file_.remove(key, done); });
}

QString KeychainSecretStore::place() const {
    return usesFallback_ ? file_.place() : u"the desktop's secret store"_s;
}

std::unique_ptr<SecretStore> desktopSecretStore(const QString& fallbackFile) {
    return std::make_unique<KeychainSecretStore>(fallbackFile);
}

} // namespace orvanto
