#include "net/StreamSniffer.h"

#include "core/HttpRequest.h"
#include "net/PlaylistParser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace orvanto {

namespace {
// Errors after which the engine would not find a stream either. Anything else (a server
// speaking a protocol Qt does not know, such as SHOUTcast's "ICY 200 OK") is left to the
// engine to try.
bool isDefinitiveFailure(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return true;
    default:
        // 2xx codes: content errors (404, 403, ...), 4xx: server errors (500, 503, ...)
        return (error >= QNetworkReply::ContentAccessDenied &&
                error <= QNetworkReply::UnknownContentError) ||
               (error >= QNetworkReply::InternalServerError &&
                error <= QNetworkReply::UnknownServerError);
    }
}
bool hasFailedStatus(const QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400;
}

} // namespace

StreamSniffer::StreamSniffer(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), network_(network) {
    deadline_.setSingleShot(true);
    deadline_.setInterval(DecideWithinMs);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (head_.isEmpty() && !reply_.isNull() &&
            !reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
            deadline_.start(); // nothing came at all yet: keep waiting, like the engine would
            return;
        }
        decideOnWhatCame();
    });
}

StreamSniffer::~StreamSniffer() {
    abort();
}

void StreamSniffer::start(const QUrl& url, std::function<void(const Result&)> done) {
    abort();
    done_ = std::move(done);
    head_.clear();
    reply_ = network_.get(httpRequest(url));
    connect(reply_, &QNetworkReply::readyRead, this, &StreamSniffer::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &StreamSniffer::onFinished);
    deadline_.start();
}

void StreamSniffer::abort() {
    deadline_.stop();
    done_ = nullptr;
    if (QNetworkReply* reply = reply_.data()) {
        reply_.clear();
        reply->disconnect(this);
        // Close the connection now: a silent server must not keep one of the few connections
        // per host that Qt allows. A reply with an HTTP error status is merely dropped (Qt
        // warns when it is aborted while its error report is on its way).
        if (reply->isRunning() && !hasFailedStatus(*reply)) {
            reply->abort();
        }
        reply->deleteLater();
    }
}

bool StreamSniffer::failedStatus() const {
    return hasFailedStatus(*reply_);
}

void StreamSniffer::onReadyRead() {
    if (failedStatus()) {
        decide({Result::Kind::Failed, {}});
        return;
    }
    head_ += reply_->read(MaxPlaylistBytes - head_.size());
    const auto verdict = PlaylistParser::sniff(head_, false);
    if (verdict == PlaylistParser::Verdict::NotPlaylist) {
        decide({Result::Kind::Stream, {}});
    } else if (head_.size() >= MaxPlaylistBytes) {
        decideOnWhatCame(); // a playlist this long: take what came
    }
}

void StreamSniffer::onFinished() {
    if (reply_.isNull()) {
        return;
    }
    const QNetworkReply::NetworkError error = reply_->error();
    if (error != QNetworkReply::NoError && isDefinitiveFailure(error)) {
        decide({Result::Kind::Failed, {}});
        return;
    }
    if (failedStatus()) {
        decide({Result::Kind::Failed, {}});
        return;
    }
    if (error == QNetworkReply::NoError && head_.size() < MaxPlaylistBytes) {
        head_ += reply_->read(MaxPlaylistBytes - head_.size());
    }
    if (error == QNetworkReply::NoError && head_.isEmpty()) {
        decide({Result::Kind::Failed, {}}); // an empty reply
        return;
    }
    decideOnWhatCame();
}

void StreamSniffer::decideOnWhatCame() {
    if (auto playlist = PlaylistParser::parse(head_, reply_->url())) {
        decide({Result::Kind::Playlist, playlist->entries});
    } else {
        decide({Result::Kind::Stream, {}});
    }
}

void StreamSniffer::decide(const Result& result) {
    auto done = std::move(done_);
    abort();
    if (done) {
        done(result);
    }
}

} // namespace orvanto
