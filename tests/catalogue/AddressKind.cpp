#include "AddressKind.h"

#include <QByteArray>
#include <QRegularExpression>

namespace addresskind {

namespace {

const QString AsfSuffix = QStringLiteral("%26MSWMExt=.asf");

bool endsWithRtp(const QString& path) {
    return path.endsWith(QStringLiteral("/video;seq=37537;rtptime=0")) ||
           path.endsWith(QStringLiteral("/video;seq=8792;rtptime=0"));
}

bool lastSegmentHasDot(const QString& path) {
    return path.section(QLatin1Char('/'), -1).contains(QLatin1Char('.'));
}

QString mmsKind(const Parts& p) {
    const bool port = !p.port.isEmpty();
    if (p.path.isEmpty() && !p.hasQuery) {
        return port ? QStringLiteral("mms-hostport") : QStringLiteral("mms-host");
    }
    if (p.path.isEmpty()) {
        return QStringLiteral("unknown");
    }
    if (!p.hasQuery) {
        if (endsWithRtp(p.path)) {
            return QStringLiteral("mms-rtp");
        }
        return port ? QStringLiteral("mms-port") : QStringLiteral("mms");
    }
    static const QRegularExpression sid(QStringLiteral("^sid=[^&]+$"));
    static const QRegularExpression sidAsf(QStringLiteral("^sid=[^&]+&MSWMExt=\\.asf$"));
    if (sid.match(p.query).hasMatch()) {
        return QStringLiteral("mms-sid");
    }
    if (sidAsf.match(p.query).hasMatch()) {
        return QStringLiteral("mms-sid-asf");
    }
    if (port) {
        return QStringLiteral("unknown");
    }
    if (p.query.isEmpty()) {
        return QStringLiteral("mms-emptyq");
    }
    if (p.query == QStringLiteral(".wma")) {
        return QStringLiteral("mms-wma");
    }
    return QStringLiteral("unknown");
}

QString httpKind(const Parts& p) {
    const bool port = !p.port.isEmpty();
    const bool asx = p.path.endsWith(QStringLiteral(".asx"));
    const bool php = p.path.endsWith(QStringLiteral(".php"));
    if (p.path.isEmpty()) {
        return QStringLiteral("unknown");
    }
    if (!p.hasQuery) {
        if (asx) {
            return QStringLiteral("asx");
        }
        if (php) {
            return QStringLiteral("php");
        }
        if (p.path.endsWith(QStringLiteral(".asp"))) {
            return QStringLiteral("asp");
        }
        if (port) {
            return p.path == QStringLiteral("/") ? QStringLiteral("http-port")
                                                 : QStringLiteral("unknown");
        }
        return lastSegmentHasDot(p.path) ? QStringLiteral("unknown") : QStringLiteral("http");
    }
    if (port) {
        return QStringLiteral("unknown");
    }
    static const QRegularExpression asxQuery(
        QStringLiteral("^(bkup=[^&]*&prop=[^&]*|prop=[^&]*&bkup=[^&]*)$"));
    static const QRegularExpression phpQuery(QStringLiteral("^(id|id_canale)=[^&]+$"));
    static const QRegularExpression sid(QStringLiteral("^sid=[^&]+$"));
    static const QRegularExpression key(QStringLiteral("^key=[^&]+$"));
    if (asx && asxQuery.match(p.query).hasMatch()) {
        return QStringLiteral("asx-q");
    }
    if (php && phpQuery.match(p.query).hasMatch()) {
        return QStringLiteral("php");
    }
    if (p.query == QStringLiteral(".wma")) {
        return QStringLiteral("http-wma");
    }
    if (sid.match(p.query).hasMatch()) {
        return QStringLiteral("http-sid");
    }
    if (key.match(p.query).hasMatch()) {
        return p.query.endsWith(AsfSuffix) ? QStringLiteral("http-key-asf")
                                           : QStringLiteral("http-key");
    }
    return QStringLiteral("unknown");
}

QString queryValue(const QString& url, const QString& name) {
    const Parts p = split(url);
    for (const QString& item : p.query.split(QLatin1Char('&'))) {
        if (item.startsWith(name + QLatin1Char('='))) {
            return item.mid(name.size() + 1);
        }
    }
    return {};
}

} // namespace

Parts split(const QString& url) {
    Parts p;
    const qsizetype schemeEnd = url.indexOf(QStringLiteral("://"));
    if (schemeEnd < 0) {
        return p;
    }
    p.scheme = url.left(schemeEnd);
    const QString rest = url.mid(schemeEnd + 3);
    qsizetype authorityEnd = rest.size();
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?')}) {
        const qsizetype at = rest.indexOf(stop);
        if (at >= 0 && at < authorityEnd) {
            authorityEnd = at;
        }
    }
    const QString authority = rest.left(authorityEnd);
    p.host = authority.section(QLatin1Char(':'), 0, 0);
    p.port = authority.section(QLatin1Char(':'), 1);
    const QString tail = rest.mid(authorityEnd);
    const qsizetype question = tail.indexOf(QLatin1Char('?'));
    p.hasQuery = question >= 0;
    p.path = p.hasQuery ? tail.left(question) : tail;
    p.query = p.hasQuery ? tail.mid(question + 1) : QString();
    return p;
}

QString kindOf(const QString& url) {
    const Parts p = split(url);
    const QString scheme = p.scheme.toLower();
    if (p.host.isEmpty()) {
        return QStringLiteral("unknown");
    }
    if (scheme == QStringLiteral("mms")) {
        return mmsKind(p);
    }
    if (scheme == QStringLiteral("http")) {
        return httpKind(p);
    }
    return QStringLiteral("unknown");
}

QString sidOf(const QString& url) {
    return queryValue(url, QStringLiteral("sid"));
}

QString keyOf(const QString& url) {
    return queryValue(url, QStringLiteral("key"));
}

bool isSidForm(const QString& sid) {
    static const QRegularExpression form(QStringLiteral(
        "^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}"
        "-[0-9]{1,2}-[0-9]{1,6}$"));
    return form.match(sid).hasMatch();
}

bool isDoubleEncodedBase64(const QString& key) {
    static const QRegularExpression form(
        QStringLiteral("^([A-Za-z0-9]|%252b|%252f)+(%253d){0,2}$"));
    if (!form.match(key).hasMatch()) {
        return false;
    }
    QString base64 = key;
    base64.replace(QStringLiteral("%252b"), QStringLiteral("+"))
        .replace(QStringLiteral("%252f"), QStringLiteral("/"))
        .replace(QStringLiteral("%253d"), QStringLiteral("="));
    if (base64.size() % 4 != 0) {
        return false;
    }
    const auto decoded =
        QByteArray::fromBase64Encoding(base64.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded.decodingStatus == QByteArray::Base64DecodingStatus::Ok &&
           QString::fromLatin1(decoded.decoded.toBase64()) == base64;
}

bool isReservedExampleHost(const QString& host) {
    const QString h = host.toLower();
    for (const char* domain : {"example.com", "example.net", "example.org", "example"}) {
        const QString d = QString::fromLatin1(domain);
        if (h.endsWith(QLatin1Char('.') + d) || (h == d && d != QStringLiteral("example"))) {
            return true;
        }
    }
    return false;
}

} // namespace addresskind
