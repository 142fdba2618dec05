#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace orvanto {

// What a portal's login answer says of the account and the server.
struct PortalLogin {
    // The largest login answer read.
    static constexpr qint64 MaxBytes = 1024 * 1024;

    bool authorised = false;
    QString status;    // "Active", "Expired", "Disabled", "Banned", ... as the portal writes it
    qint64 expiry = 0; // exp_date, seconds since the epoch; 0: the account does not expire
    bool trial = false;
    int activeConnections = -1; // -1: not said
    int maxConnections = -1;
    QStringList formats;  // allowed_output_formats, lower case
    QByteArray timeZone;  // server_info.timezone (IANA id); empty: not said
    qint64 serverNow = 0; // server_info.timestamp_now; 0: not said
    QString message;      // user_info.message, where the portal says something

    bool isActive() const {
        return status.compare(QStringLiteral("Active"), Qt::CaseInsensitive) == 0;
    }
    // The container of the live streams: m3u8 where the account may have it, else ts.
    QString streamExtension() const;
};

// What became of the login.
struct PortalLoginRead {
    PortalLogin login;
    // Empty when the account may be used; else why not, in words for the user: "wrong user name
    // or password", "the account has expired on 2026-12-01", "the account is disabled", "the
    // server answered with a web page, not a portal", "the provider refuses this player (884)".
    QString refusal;
};

// Reads the login answer `body` that came with HTTP `status` (at most PortalLogin::MaxBytes),
// leniently: numbers sent as strings and strings as numbers, null for what is empty, a bare
// array for an unknown user. `now` (seconds since the epoch) tells an account past its expiry
// that the portal still calls active.
PortalLoginRead readPortalLogin(int status, QByteArrayView body, qint64 now);

// Why an answer of HTTP `status` means the portal cannot be used, in words; empty for 2xx.
QString portalStatusRefusal(int status);

// The account's state in a line: "active until 9 January 2027 (31 days left), 1 of 2
// connections in use, trial".
QString accountStateText(const PortalLogin& login, qint64 now);

} // namespace orvanto
