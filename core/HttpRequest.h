#pragma once

#include "core/StreamAddress.h"
#include "orvanto/Version.h"

#include <QByteArray>
#include <QUrl>

namespace orvanto {

// How the viewer asks a web server for a playlist, a stream or a page, with the bounds every
// such request keeps: a few redirects at most and none that is less safe than the address it
// was given, and a cap on the bytes of the response's head (status line and header lines).
// How many bytes of the body are kept is each reader's own limit.
//
// The headers are those the address's list asks for. Without a User-Agent of its own, a
// request says it comes from VLC, as the engine's own requests do: lists are published for VLC,
// and servers that let VLC in let the player in; an unknown name is what many refuse.
struct HttpRequest {
    static constexpr int MaxRedirects = 5;
    static constexpr qsizetype MaxHeadBytes = 64 * 1024;

    QUrl url;
    int maxRedirects = MaxRedirects;
    qsizetype maxHeadBytes = MaxHeadBytes;
    qint64 maxBodyBytes = -1; // -1: as many as the reader takes
    HttpHeaders headers;

    // The User-Agent sent: the list's, or defaultUserAgent().
    QByteArray userAgent() const {
        const QByteArray own = headers.value(HttpHeaders::Header::UserAgent);
        return own.isEmpty() ? defaultUserAgent() : own;
    }
    // What VLC of the same version sends ("VLC/3.0.20 LibVLC/3.0.20").
    static QByteArray defaultUserAgent() {
        return "VLC/" + QByteArray(LibVlcVersion) + " LibVLC/" + QByteArray(LibVlcVersion);
    }
    // Asks a SHOUTcast or Icecast server for the stream's titles ("Icy-MetaData: 1"); the
    // body is then read without them.
    bool icyTitles = false;
    // Asks for the body only if it changed since a copy the caller keeps: the copy's entity tag
    // (If-None-Match) and time (If-Modified-Since), as the server sent them. A server that
    // finds it unchanged answers 304 without a body.
    QByteArray ifNoneMatch;
    QByteArray ifModifiedSince;
};

inline HttpRequest httpRequest(const QUrl& url, qint64 maxBodyBytes = -1,
                               const HttpHeaders& headers = {}) {
    HttpRequest request;
    request.url = url;
    request.maxBodyBytes = maxBodyBytes;
    request.headers = headers;
    return request;
}

} // namespace orvanto
