#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

class QProcess;

namespace orvanto::test {

// Real stream servers from Debian's packages on 127.0.0.1, each on a free port, with its
// configuration and files in a temporary folder: nginx serving live HLS that ffmpeg writes,
// icecast2 fed by ffmpeg sources, and ffmpeg's own one-client HTTP server. Everything started
// is stopped when the object goes (or by the stop functions).
//
// The start functions wait until the server answers (a few seconds at most; the calling
// thread's event loop runs meanwhile) and return false, with the reason in error(), when a program
// is missing or a server did not come up.
class LabServers {
public:
    LabServers();
    ~LabServers();
    LabServers(const LabServers&) = delete;
    LabServers& operator=(const LabServers&) = delete;

    // nginx serving, under /hls/: a live stream in two variants with a master playlist
    // (master.m3u8, live_0.m3u8, live_1.m3u8: a sliding window of 2-second segments, old
    // segments deleted), an audio-only live stream (audio.m3u8) and a 302 to the first variant
    // (moved.m3u8). Also /vod/vod.m3u8, a 6-second stream that ends, and /dash/live.mpd, a live
    // DASH stream.
    bool startHls();
    QUrl hls(const QString& path) const;

    // icecast2 with ffmpeg sources on /radio.mp3 and /radio.aac.
    bool startIcecast();
    QUrl icecast(const QString& mount) const;
    // Ends and starts again the ffmpeg source of `mount` (the outage of a radio's source).
    void stopIcecastSource(const QString& mount);
    bool startIcecastSource(const QString& mount);

    // `ffmpeg -listen 1`: MPEG-TS over HTTP with a chunked body, to one client; the server ends
    // when that client goes. Each call starts another one; `port` 0 picks a free port.
    QUrl startListenTs(quint16 port = 0);
    void stopListenTs(const QUrl& address);

    // `seconds` of a tone as 64 kbit/s MP3 (made by ffmpeg), for servers of our own.
    QByteArray mp3(int seconds);

    const QString& error() const { return error_; }
    static quint16 freePort();

private:
    struct Server;

    Server* launch(const QString& name, const QString& program, const QStringList& arguments);
    void stop(Server* server);
    bool fail(const QString& reason);
    bool waitForPlaylist(const QString& file, int segments, int timeoutMs);
    bool waitForHttp(const QUrl& url, int timeoutMs);
    bool waitForDash(const QString& folder);
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    QList<std::shared_ptr<Server>> servers_;
    QString error_;
    quint16 nginxPort_ = 0;
    quint16 icecastPort_ = 0;
};

} // namespace orvanto::test
