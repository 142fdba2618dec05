#include "net/PortalLogin.h"

#include "net/PortalValues.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTimeZone>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

QString day(qint64 seconds) {
    return QLocale::c().toString(QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()).date(),
                                 u"d MMMM yyyy"_s);
}

bool isMarkup(QByteArrayView body) {
    const QByteArray start = body.first(qMin<qsizetype>(body.size(), 512)).toByteArray();
    const QByteArray trimmed = start.trimmed().toLower();
    return trimmed.startsWith('<');
}

} // namespace

QString PortalLogin::streamExtension() const {
    if (formats.isEmpty() || formats.contains(u"m3u8"_s)) {
        return u"m3u8"_s;
    }
    return formats.contains(u"ts"_s) ? u"ts"_s : formats.first();
}

QString portalStatusRefusal(int status) {
    if (status >= 200 && status < 300) {
        return {};
    }
    if (status == 401 || status == 403) {
        return u"wrong user name or password, or the account may not use this server (%1)"_s.arg(
            status);
    }
    if (status == 404) {
        return u"the server has no portal there (404)"_s;
    }
    if (status >= 500 && status < 600) {
        return u"the portal failed (%1); try again later"_s.arg(status);
    }
    return u"the provider refuses this player (%1)"_s.arg(status);
}

PortalLoginRead readPortalLogin(int status, QByteArrayView body, qint64 now) {
    PortalLoginRead read;
    if (const QString refusal = portalStatusRefusal(status); !refusal.isEmpty()) {
        read.refusal = refusal;
        return read;
    }
    if (body.size() > PortalLogin::MaxBytes) {
        read.refusal = u"the server's answer is too large for a portal's login"_s;
        return read;
    }
    if (body.trimmed().isEmpty()) {
        read.refusal = u"the provider refuses this player (an empty answer)"_s;
        return read;
    }
    if (isMarkup(body)) {
        read.refusal = u"the server answered with a web page, not a portal"_s;
        return read;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError) {
        read.refusal = u"the server's answer is no portal's (not JSON)"_s;
        return read;
    }
    if (document.isArray()) {
        // Some portals answer an unknown user with an empty list.
        read.refusal = u"wrong user name or password"_s;
        return read;
    }
    const QJsonObject root = document.object();
    const QJsonObject user = root.value(u"user_info"_s).toObject();
    const QJsonObject server = root.value(u"server_info"_s).toObject();
    if (!root.contains(u"user_info"_s)) {
        read.refusal = u"the server's answer is no portal's (it has no user_info)"_s;
        return read;
    }
    PortalLogin& login = read.login;
    login.authorised = jsonInt(user.value(u"auth"_s), 0) == 1;
    login.status = jsonText(user.value(u"status"_s));
    login.expiry = jsonInt(user.value(u"exp_date"_s), 0);
    login.trial = jsonInt(user.value(u"is_trial"_s), 0) == 1;
    login.activeConnections = int(jsonInt(user.value(u"active_cons"_s), -1));
    login.maxConnections = int(jsonInt(user.value(u"max_connections"_s), -1));
    login.message = jsonText(user.value(u"message"_s)).left(200);
    for (const QJsonValue& format : user.value(u"allowed_output_formats"_s).toArray()) {
        const QString text = jsonText(format).toLower();
        if (!text.isEmpty() && text.size() <= 8) {
            login.formats.append(text);
        }
    }
    login.timeZone = jsonText(server.value(u"timezone"_s)).left(64).toLatin1();
    login.serverNow = jsonInt(server.value(u"timestamp_now"_s), 0);

    if (!login.authorised) {
        read.refusal = u"wrong user name or password"_s;
    } else if (login.status.compare(u"Expired"_s, Qt::CaseInsensitive) == 0 ||
               (login.expiry > 0 && login.expiry <= now)) {
        read.refusal = login.expiry > 0 ? u"the account has expired on %1"_s.arg(day(login.expiry))
                                        : u"the account has expired"_s;
    } else if (login.status.compare(u"Disabled"_s, Qt::CaseInsensitive) == 0) {
        read.refusal = u"the account is disabled"_s;
    } else if (login.status.compare(u"Banned"_s, Qt::CaseInsensitive) == 0) {
        read.refusal = u"the account is banned"_s;
    } else if (!login.status.isEmpty() && !login.isActive()) {
        read.refusal =
            u"the account is not active (the portal says \"%1\")"_s.arg(login.status.left(40));
    }
    return read;
}

QString accountStateText(const PortalLogin& login, qint64 now) {
    QStringList parts;
    if (login.expiry > 0) {
        const qint64 days = (login.expiry - now) / 86400;
        parts.append(login.expiry > now ? u"active until %1 (%2 %3 left)"_s.arg(day(login.expiry))
                                              .arg(days)
                                              .arg(days == 1 ? u"day"_s : u"days"_s)
                                        : u"expired on %1"_s.arg(day(login.expiry)));
    } else {
        parts.append(u"active, no expiry"_s);
    }
    if (login.maxConnections > 0) {
        parts.append(u"%1 of %2 connections in use"_s.arg(qMax(0, login.activeConnections))
                         .arg(login.maxConnections));
    }
    if (login.trial) {
        parts.append(u"trial"_s);
    }
    return parts.join(u", "_s);
}

} // namespace orvanto
