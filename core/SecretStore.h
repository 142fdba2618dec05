#pragma once

#include <QString>
#include <functional>

namespace orvanto {

// Where the viewer keeps passwords (a provider account's): the desktop's secret store where one
// runs, else a file only its owner may read. Every call answers later, on the caller's thread,
// never from within.
class SecretStore {
public:
    virtual ~SecretStore() = default;

    // `secret` is empty when none is kept under `key`; `error` says why it could not be read.
    using ReadDone = std::function<void(const QString& secret, const QString& error)>;
    // `error` is empty when it was done.
    using Done = std::function<void(const QString& error)>;

    virtual void read(const QString& key, ReadDone done) = 0;
    virtual void write(const QString& key, const QString& secret, Done done) = 0;
    virtual void remove(const QString& key, Done done) = 0;

    // Where the secrets go, in words for the user: "the desktop's secret store" or "a file only
    // you can read (~/.config/orvanto-tv/secrets.conf): no secret store runs".
    virtual QString place() const = 0;
};

} // namespace orvanto
