#include "net/PlaylistLoader.h"

#include "net/PlaylistDownload.h"

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

PlaylistLoader::PlaylistLoader(QObject* parent)
    : QObject(parent), timeout_(PlaylistDownload::DefaultTimeout) {}

PlaylistLoader::~PlaylistLoader() = default;

void PlaylistLoader::setTimeout(std::chrono::milliseconds timeout) {
    timeout_ = timeout;
    if (download_) {
        download_->setTimeout(timeout);
    }
}

void PlaylistLoader::load(const QString& source, Catalogue& catalogue) {
    catalogue_ = &catalogue;
    const QUrl location = playlistLocation(source);
    if (location.isLocalFile() || !location.isValid()) {
        // Read on the next turn of the event loop, so that the caller sees the same order of
        // events as with a download.
        QMetaObject::invokeMethod(
            this,
            [this, source, location] {
                if (!location.isValid()) {
                    registerData(PlaylistData{
                        source, location, {}, u"it is neither a file nor an http(s) address"_s});
                } else {
                    registerData(readLocalPlaylist(source, location));
                }
            },
            Qt::QueuedConnection);
        return;
    }
    if (!download_) {
        download_ = std::make_unique<PlaylistDownload>();
        download_->setTimeout(timeout_);
        connect(download_.get(), &PlaylistDownload::finished, this, &PlaylistLoader::registerData);
    }
    download_->start(source, location);
}

void PlaylistLoader::registerData(const PlaylistData& data) {
    Q_ASSERT(catalogue_);
    Q_EMIT finished(registerPlaylist(data, *catalogue_, reservedNames_));
}

} // namespace orvanto
