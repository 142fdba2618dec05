#pragma once

#include <QNetworkRequest>
#include <QUrl>

namespace orvanto {

// How the viewer asks a web server for a playlist or a stream: a few redirects at most, and
// none that is less safe than the address it was given.
inline QNetworkRequest httpRequest(const QUrl& url) {
    constexpr int maxRedirects = 5;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("orvanto-tv"));
    return request;
}

} // namespace orvanto
