#include "net/PlaylistDownload.h"

#include "core/HttpRequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <utility>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

PlaylistDownload::PlaylistDownload(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), network_(network) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        fail(u"the server did not deliver it within %1 seconds"_s.arg(
            std::chrono::duration_cast<std::chrono::seconds>(timeout_).count()));
    });
}

PlaylistDownload::~PlaylistDownload() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

void PlaylistDownload::start(const QString& source, const QUrl& url) {
    Q_ASSERT(!reply_);
    data_ = PlaylistData{source, url, {}, {}};
    failure_.clear();

    reply_ = network_.get(httpRequest(url));
    connect(reply_, &QNetworkReply::readyRead, this, &PlaylistDownload::readAvailable);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64, qint64 total) {
        if (total > MaxPlaylistBytes) {
            fail(playlistTooLarge());
        }
    });
    connect(reply_, &QNetworkReply::finished, this, &PlaylistDownload::done);
    timer_.start(timeout_);
}

void PlaylistDownload::readAvailable() {
    if (!reply_ || !failure_.isEmpty()) {
        return;
    }
    const qint64 room = MaxPlaylistBytes + 1 - data_.bytes.size();
    data_.bytes += reply_->read(room);
    if (data_.bytes.size() > MaxPlaylistBytes) {
        fail(playlistTooLarge());
    }
}

void PlaylistDownload::fail(const QString& reason) {
    if (!failure_.isEmpty() || !reply_) {
        return;
    }
    failure_ = reason;
    reply_->abort(); // finished() follows, possibly right away
}

void PlaylistDownload::done() {
    if (!reply_) {
        return;
    }
    timer_.stop();
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();

    if (failure_.isEmpty()) {
        data_.bytes += reply->read(MaxPlaylistBytes + 1 - data_.bytes.size());
        if (data_.bytes.size() > MaxPlaylistBytes) {
            failure_ = playlistTooLarge();
        }
    }
    PlaylistData data = std::exchange(data_, {});
    data.location = reply->url();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!failure_.isEmpty()) {
        data.error = failure_;
    } else if (status >= 400) {
        data.error = u"the server answered %1 %2"_s.arg(status).arg(
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    } else if (reply->error() != QNetworkReply::NoError) {
        data.error = u"it could not be downloaded (%1)"_s.arg(reply->errorString());
    }
    if (!data.error.isEmpty()) {
        data.bytes.clear();
    }
    Q_EMIT finished(data);
}

} // namespace orvanto
