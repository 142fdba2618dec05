#pragma once

#include "core/SecretStore.h"

#include <QObject>
#include <QString>
#include <memory>

namespace QKeychain {
class Job;
}

namespace orvanto {

// Secrets in one INI file that only its owner may read or write (0600, in a 0700 folder when the
// folder is made here): for a desktop where no secret store runs. The file is made 0600 before a
// secret goes into it, and is set so again on every write. Keys may hold any text.
class FileSecretStore final : public SecretStore {
public:
    // Largest file read: anything bigger is not this program's.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    explicit FileSecretStore(QString path);

    void read(const QString& key, ReadDone done) override;
    void write(const QString& key, const QString& secret, Done done) override;
    void remove(const QString& key, Done done) override;
    QString place() const override;

    const QString& path() const { return path_; }

private:
    // Empty when the file may be opened: missing, or a regular file no larger than MaxFileBytes.
    QString refusal() const;
    // Makes the folder and the file (owner only) where missing; empty when done.
    QString prepare() const;

    QString path_;
    QObject context_; // the answers still queued go with the store
};

// The desktop's secret store (the Secret Service, KWallet) through Qt Keychain. When a call
// finds none running on the session bus, that call and every later one go to a FileSecretStore.
class KeychainSecretStore final : public SecretStore {
public:
    // `fallbackFile`: where secrets go when no secret store runs; nothing is made there before.
    explicit KeychainSecretStore(const QString& fallbackFile);

    void read(const QString& key, ReadDone done) override;
    void write(const QString& key, const QString& secret, Done done) override;
    void remove(const QString& key, Done done) override;
    QString place() const override;

    bool usesFallback() const { return usesFallback_; }

private:
    // What became of a call: its error (empty when done) and, for a read, the secret.
    struct Outcome {
        QString secret;
        QString error;
    };
    // Starts `job` and hands its outcome to `finished`; when it failed because no secret store
    // runs, `onFile` makes the call on the file instead.
    void run(QKeychain::Job* job, std::function<void(const Outcome&)> finished,
             std::function<void()> onFile);
    // A job failed for no named reason: asks the bus whether any secret store runs at all.
    void settle(const QString& error, std::function<void(const Outcome&)> finished,
                std::function<void()> onFile);
    // Nothing under `key` in the secret store: a secret the file kept under it is handed to
    // `done`, and moved into the store.
    void moveFromFile(const QString& key, ReadDone done);

    FileSecretStore file_;
    bool usesFallback_ = false;
    QObject context_; // the jobs' and the bus's answers are dropped once the store is gone
};

// The store the viewer keeps its passwords in on this desktop.
std::unique_ptr<SecretStore> desktopSecretStore(const QString& fallbackFile);

} // namespace orvanto
