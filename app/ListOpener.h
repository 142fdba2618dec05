#pragma once

#include "catalogue/BuiltinStations.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace orvanto {

class Catalogue;
class FailoverPlayer;
class Form1;
class MediaPlayer;
class MessageSink;
class PlaylistLoader;
class SecretStore;
struct PlaylistReport;
struct PortalAccount;

// Opens another channel list while the viewer runs. The list loads into a catalogue of its own;
// only a list that the reader accepts replaces the one on show, so a list that fails leaves
// everything as it was. A station that plays keeps playing until the user picks another; an
// attempt still searching for a working address ends, as its station is gone.
class ListOpener : public QObject {
    Q_OBJECT
public:
    // All must outlive the opener.
    ListOpener(Catalogue& catalogue, Form1& form, FailoverPlayer& failover, MediaPlayer& player,
               MessageSink& messages, QObject* parent = nullptr);
    ~ListOpener() override;

    // The locked stations: registered after each list, which may not use their `names`.
    void setLockedStations(const StationRegistrations& registrations, const QStringList& names) {
        locked_ = registrations;
        reservedNames_ = names;
    }

    // Where accounts' passwords are kept; without one they are asked for each time.
    void setSecrets(SecretStore* secrets) { secrets_ = secrets; }

    // Starts loading `source` (a path, an http(s) address or an account, xtream://USER@host:port,
    // whose password comes from the secret store or is asked for); a load still running is
    // dropped.
    void open(const QString& source);
    // Asks for an account (server, user name, password) and opens it; the account on show, if
    // any, fills the dialog in, which offers to forget it.
    void askAccount(const PortalAccount* known = nullptr);
    // Takes the password of `account` out of the secret store.
    void forgetAccount(const PortalAccount& account);
    // Keeps the password of `account` in the secret store and opens its channels; without a
    // password, the kept one is used.
    void openAccount(const PortalAccount& account);

    // The accounts opened whose passwords are kept (xtream://USER@host:port), the latest first:
    // the account dialog offers them.
    static constexpr qsizetype MaxKnownAccounts = 20;
    const QStringList& knownAccounts() const { return knownAccounts_; }
    void setKnownAccounts(const QStringList& accounts);
    // How many connections the account on show allows at once; 0 for a list, or when its
    // portal does not say.
    int allowedConnections() const { return allowedConnections_; }

Q_SIGNALS:
    // The list at `source` is on show now.
    void opened(const QString& source);
    void knownAccountsChanged(const QStringList& accounts);

private:
    void start(const QString& source);
    void finish(const QString& source, const PlaylistReport& report);
    void changeKnownAccounts(QStringList accounts);

    Catalogue& catalogue_;
    Form1& form_;
    FailoverPlayer& failover_;
    MediaPlayer& player_;
    MessageSink& messages_;
    SecretStore* secrets_ = nullptr;
    QString shown_; // the list on show, as opened
    QStringList knownAccounts_;
    StationRegistrations locked_;
    QStringList reservedNames_;
    std::unique_ptr<Catalogue> incoming_;
    std::unique_ptr<PlaylistLoader> loader_;
    quint64 opening_ = 0; // counts the lists opened, so that a late answer finds itself replaced
    int allowedConnections_ = 0;
};

} // namespace orvanto
