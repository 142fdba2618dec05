#include "net/PlaylistDownload.h"

#include <QTimer>
#include <utility>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

PlaylistDownload::PlaylistDownload(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        fail(u"the server did not deliver it within %1 seconds"_s.arg(
            std::chrono::duration_cast<std::chrono::seconds>(timeout_).count()));
    });
    connect(&get_, &HttpGet::headReceived, this, &PlaylistDownload::onHead);
    connect(&get_, &HttpGet::bodyReceived, this, [this] { data_.bytes += get_.readBody(); });
    connect(&get_, &HttpGet::finished, this, &PlaylistDownload::done);
}

PlaylistDownload::~PlaylistDownload() = default;

void PlaylistDownload::start(const QString& source, const QUrl& url) {
    Q_ASSERT(!get_.isRunning());
    data_ = PlaylistData{source, url, {}, {}};
    // One byte more than a playlist may have tells a list that is too large.
    get_.start(httpRequest(url, MaxPlaylistBytes + 1));
    timer_.start(timeout_);
}

void PlaylistDownload::onHead() {
    const int status = get_.status();
    if (status >= 400) {
        fail(u"the server answered %1 %2"_s.arg(status).arg(QString::fromLatin1(get_.reason())));
    } else if (get_.contentLength() > MaxPlaylistBytes) {
        fail(playlistTooLarge(get_.contentLength()));
    } else if (const QByteArray coding = get_.header("content-encoding");
               !coding.isEmpty() && coding.compare("identity", Qt::CaseInsensitive) != 0) {
        // No compression is asked for, so none is unpacked.
        fail(u"the server sent it compressed (%1) without being asked to"_s.arg(
            QString::fromLatin1(coding.left(40))));
    }
}

// Ends the download with `reason` at once; the connection closes here.
void PlaylistDownload::fail(const QString& reason) {
    get_.abort();
    timer_.stop();
    PlaylistData data = std::exchange(data_, {});
    data.location = get_.url();
    data.bytes.clear();
    data.error = reason;
    // Reported on the next turn, as the download's other outcomes are.
    QTimer::singleShot(0, this, [this, data] { Q_EMIT finished(data); });
}

void PlaylistDownload::done() {
    timer_.stop();
    data_.bytes += get_.readBody();
    PlaylistData data = std::exchange(data_, {});
    data.location = get_.url();
    switch (get_.error()) {
    case HttpGet::Error::None:
        break;
    case HttpGet::Error::BodyTooLarge:
        data.error = playlistTooLarge();
        break;
    default:
        data.error = u"it could not be downloaded (%1)"_s.arg(get_.errorString());
        break;
    }
    if (!data.error.isEmpty()) {
        data.bytes.clear();
    }
    Q_EMIT finished(data);
}

std::unique_ptr<PlaylistDownload> readPlaylist(QObject* context, const QString& source,
                                               std::function<void(const PlaylistData&)> done) {
    const QUrl location = playlistLocation(source);
    if (location.isValid() && !location.isLocalFile()) {
        auto download = std::make_unique<PlaylistDownload>();
        QObject::connect(download.get(), &PlaylistDownload::finished, context, std::move(done));
        download->start(source, location);
        return download;
    }
    QMetaObject::invokeMethod(
        context,
        [source, location, done = std::move(done)] {
            done(location.isValid()
                     ? readLocalPlaylist(source, location)
                     : PlaylistData{
                           source, {}, {}, u"it is neither a file nor an http(s) address"_s});
        },
        Qt::QueuedConnection);
    return nullptr;
}

} // namespace orvanto
