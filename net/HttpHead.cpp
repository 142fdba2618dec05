#include "net/HttpHead.h"

namespace orvanto {

namespace {

constexpr qsizetype MaxConditionBytes = 512;

} // namespace

QByteArray requestHead(const HttpRequest& request, const QUrl& url) {
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty()) {
        target = "/";
    }
    if (url.hasQuery()) {
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':')) {
        host = '[' + host + ']';
    }
    if (url.port() >= 0) {
        host += ':' + QByteArray::number(url.port());
    }
    // (The answer to HTTP/1.0 should not be chunked, but some servers chunk it anyway.)
    QByteArray head = "GET " + target + " HTTP/1.0\r\nHost: " + host +
                      "\r\nUser-Agent: " + request.userAgent() + "\r\n";
    using Header = HttpHeaders::Header;
    const bool sameHost = url.host().compare(request.url.host(), Qt::CaseInsensitive) == 0;
    for (const Header header : {Header::Referer, Header::Origin, Header::Cookie}) {
        const QByteArray value = request.headers.value(header);
        // A list's cookie is for the server it names, not for one a redirect leads to.
        if (!value.isEmpty() && (header != Header::Cookie || sameHost)) {
            head += HttpHeaders::name(header).toByteArray() + ": " + value + "\r\n";
        }
    }
    // What a server sent back, without anything that would end the line.
    const auto condition = [&head](const char* name, const QByteArray& value) {
        QByteArray clean;
        for (const char c : value.left(MaxConditionBytes)) {
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
                clean += c;
            }
        }
        if (!clean.trimmed().isEmpty()) {
            head += name + (": " + clean.trimmed()) + "\r\n";
        }
    };
    condition("If-None-Match", request.ifNoneMatch);
    condition("If-Modified-Since", request.ifModifiedSince);
    return head + "Accept: */*\r\n" + (request.icyTitles ? "Icy-MetaData: 1\r\n" : "") +
           "Connection: close\r\n\r\n";
}

QByteArray ResponseHead::header(QByteArrayView name) const {
    for (const auto& [key, value] : headers) {
        if (name.compare(key, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

std::optional<ResponseHead> ResponseHead::parse(QByteArrayView head) {
    const QList<QByteArray> lines = head.toByteArray().split('\n');
    // "HTTP/1.1 200 OK" or "ICY 200 OK"
    const QByteArray statusLine = lines.value(0).trimmed();
    const qsizetype space = statusLine.indexOf(' ');
    if (space < 0) {
        return std::nullopt;
    }
    const QByteArray rest = statusLine.mid(space + 1).trimmed();
    bool ok = false;
    const int code = rest.left(3).toInt(&ok);
    if (!ok || code < 100 || code > 999 || (rest.size() > 3 && rest[3] != ' ')) {
        return std::nullopt;
    }
    ResponseHead parsed;
    parsed.status = code;
    parsed.reason = rest.mid(3).trimmed();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if ((line.startsWith(' ') || line.startsWith('\t')) && !parsed.headers.isEmpty()) {
            parsed.headers.last().second += ' ' + line.trimmed(); // a folded line goes on
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            continue;
        }
        parsed.headers.append(
            {line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
    }
    return parsed;
}

bool ResponseHead::couldStart(QByteArrayView start) {
    start = start.first(qMin<qsizetype>(start.size(), 5));
    for (QByteArrayView prefix : {QByteArrayView("HTTP/"), QByteArrayView("ICY ")}) {
        const qsizetype n = qMin(start.size(), prefix.size());
        if (start.first(n).compare(prefix.first(n), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace orvanto
