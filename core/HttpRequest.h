#pragma once

#include <QByteArray>
#include <QUrl>

namespace orvanto {

// How the viewer asks a web server for a playlist, a stream or a page, with the bounds every
// such request keeps: a few redirects at most and none that is less safe than the address it
// was given, and a cap on the bytes of the response's head (status line and header lines).
// How many bytes of the body are kept is each reader's own limit.
struct HttpRequest {
    static constexpr int MaxRedirects = 5;
    static constexpr qsizetype MaxHeadBytes = 64 * 1024;

    QUrl url;
    int maxRedirects = MaxRedirects;
    qsizetype maxHeadBytes = MaxHeadBytes;
    qint64 maxBodyBytes = -1; // -1: as many as the reader takes
    QByteArray userAgent = QByteArrayLiteral("orvanto-tv");
    // Asks a SHOUTcast or Icecast server for the stream's titles ("Icy-MetaData: 1"); the
    // body is then read without them.
    bool icyTitles = false;
};

inline HttpRequest httpRequest(const QUrl& url, qint64 maxBodyBytes = -1) {
    HttpRequest request;
    request.url = url;
    request.maxBodyBytes = maxBodyBytes;
    return request;
}

} // namespace orvanto
