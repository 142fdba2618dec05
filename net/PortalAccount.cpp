#include "net/PortalAccount.h"

#include <QUrlQuery>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

QUrlQuery credentials(const PortalAccount& account) {
    QUrlQuery query;
    query.addQueryItem(u"username"_s, QString::fromLatin1(QUrl::toPercentEncoding(account.user)));
    query.addQueryItem(u"password"_s,
                       QString::fromLatin1(QUrl::toPercentEncoding(account.password)));
    return query;
}

QUrl at(const PortalAccount& account, const QString& path, const QUrlQuery& query) {
    QUrl url = account.server;
    url.setPath(path);
    url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return url;
}

} // namespace

bool isAccountAddress(const QString& source) {
    return source.startsWith(u"xtream://"_s, Qt::CaseInsensitive) ||
           source.startsWith(u"xtreams://"_s, Qt::CaseInsensitive);
}

PortalAccount parseAccountAddress(const QString& source, QString* error) {
    auto refuse = [error](const QString& why) {
        if (error) {
            *error = why;
        }
        return PortalAccount{};
    };
    if (!isAccountAddress(source)) {
        return refuse(u"it is no account address (xtream://USER@host:port)"_s);
    }
    const QUrl url(source.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        return refuse(u"the server of the account address is not valid"_s);
    }
    if (url.userName().isEmpty()) {
        return refuse(u"the account address names no user (xtream://USER@host:port)"_s);
    }
    if ((!url.path().isEmpty() && url.path() != u"/"_s) || url.hasQuery() || url.hasFragment()) {
        return refuse(u"an account address is the server alone (xtream://USER@host:port)"_s);
    }
    PortalAccount account;
    const bool https = url.scheme().compare(u"xtreams"_s, Qt::CaseInsensitive) == 0;
    account.server.setScheme(https ? u"https"_s : u"http"_s);
    account.server.setHost(url.host());
    account.server.setPort(url.port());
    account.user = url.userName();
    account.password = url.password();
    return account;
}

QString PortalAccount::address() const {
    QUrl url = server;
    url.setScheme(server.scheme() == u"https"_s ? u"xtreams"_s : u"xtream"_s);
    url.setUserName(user);
    return url.toString(QUrl::FullyEncoded);
}

QUrl PortalAccount::apiUrl(const QString& action, const QString& extra) const {
    QUrlQuery query = credentials(*this);
    if (!action.isEmpty()) {
        query.addQueryItem(u"action"_s, action);
    }
    QString text = query.query(QUrl::FullyEncoded);
    if (!extra.isEmpty()) {
        text += u'&' + extra;
    }
    QUrl url = server;
    url.setPath(u"/player_api.php"_s);
    url.setQuery(text, QUrl::StrictMode);
    return url;
}

QUrl PortalAccount::guideUrl() const {
    return at(*this, u"/xmltv.php"_s, credentials(*this));
}

QString PortalAccount::streamUrl(const QString& streamId, const QString& extension) const {
    auto segment = [](const QString& text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text));
    };
    QUrl url = server;
    url.setPath(u"/live/"_s + segment(user) + u'/' + segment(password) + u'/' + segment(streamId) +
                    u'.' + segment(extension),
                QUrl::TolerantMode);
    return url.toString(QUrl::FullyEncoded);
}

} // namespace orvanto
