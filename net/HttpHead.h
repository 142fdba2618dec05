#pragma once

#include "core/HttpRequest.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QUrl>
#include <optional>
#include <utility>

namespace orvanto {

// The head of the GET for `url` on behalf of `request` (`url` is the request's own address or
// a redirect's target): HTTP/1.0, so the connection closes when the answer is over, with the
// request's headers; its cookie only for the server the request names.
QByteArray requestHead(const HttpRequest& request, const QUrl& url);

// The status line and header fields of an HTTP/1.x or ICY response, as a server sent them.
struct ResponseHead {
    int status = 0;
    QByteArray reason;
    QList<std::pair<QByteArray, QByteArray>> headers; // names in lower case, in their order

    // The value of header `name` (case-insensitive), empty when absent.
    QByteArray header(QByteArrayView name) const;

    // Reads `head`, the response up to (not including) the empty line that ends it; nullopt
    // when its status line is not one. Folded header lines are joined, lines without a name
    // skipped.
    static std::optional<ResponseHead> parse(QByteArrayView head);
    // Could `start`, a response's first bytes, still become an HTTP or ICY status line?
    static bool couldStart(QByteArrayView start);
};

} // namespace orvanto
