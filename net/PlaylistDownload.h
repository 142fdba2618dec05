#pragma once

#include "catalogue/PlaylistSource.h"
#include "net/HttpGet.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

namespace orvanto {

// Downloads one playlist over http(s), asynchronously: at most MaxPlaylistBytes (the transfer
// is cut off beyond that, or at once when the server announces more), within a time limit,
// following at most a few redirects that stay as safe as the original address.
class PlaylistDownload : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultTimeout{20000};

    explicit PlaylistDownload(QObject* parent = nullptr);
    ~PlaylistDownload() override;

    void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

    // Starts downloading `url`; finished() follows once, never before start() has returned.
    // The location of the result is the address the content finally came from.
    void start(const QString& source, const QUrl& url);

Q_SIGNALS:
    void finished(const orvanto::PlaylistData& data);

private:
    void onHead();
    void fail(const QString& reason);
    void done();

    std::chrono::milliseconds timeout_ = DefaultTimeout;
    QTimer timer_;
    HttpGet get_;
    PlaylistData data_;
};

// Reads the list `source` names: a file at once, an http(s) address by a download. `done`
// follows once, on `context`'s thread and never before this returns; an address that is
// neither gives a PlaylistData with its error. Returns the download under way, which the caller
// keeps until `done` (nullptr where there is none).
std::unique_ptr<PlaylistDownload> readPlaylist(QObject* context, const QString& source,
                                               std::function<void(const PlaylistData&)> done);

} // namespace orvanto
