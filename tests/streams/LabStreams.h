#pragma once

#include "support/LabServers.h"
#include "support/TestHttpServer.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <utility>

namespace orvanto::test {

// Every kind of real stream the lab serves at once: live HLS from nginx (a master playlist,
// a variant, audio only, a 302 to a variant) and live DASH, icecast2 MP3 and AAC, ffmpeg's
// one-client MPEG-TS, and a SHOUTcast-style server of ours.
class LabStreams {
public:
    // False, with the reason in error(), when a server did not come up.
    bool start() {
        if (!lab.startHls() || !lab.startIcecast()) {
            return false;
        }
        listen_ = lab.startListenTs();
        const QByteArray mp3 = lab.mp3(10);
        if (listen_.isEmpty() || mp3.isEmpty()) {
            return false;
        }
        shoutcast_.route(QStringLiteral("/;stream.mp3"), TestHttpServer::icy(mp3, 8000));
        shoutcast_.start();
        return true;
    }
    std::string error() const { return lab.error().toStdString(); }

    // Each kind's name and address.
    QList<std::pair<QString, QUrl>> kinds() const {
        return {
            {QStringLiteral("HLS master"), lab.hls(QStringLiteral("/hls/master.m3u8"))},
            {QStringLiteral("HLS live"), lab.hls(QStringLiteral("/hls/live_1.m3u8"))},
            {QStringLiteral("HLS audio"), lab.hls(QStringLiteral("/hls/audio.m3u8"))},
            {QStringLiteral("HLS moved"), lab.hls(QStringLiteral("/hls/moved.m3u8"))},
            {QStringLiteral("DASH live"), lab.hls(QStringLiteral("/dash/live.mpd"))},
            {QStringLiteral("Icecast MP3"), lab.icecast(QStringLiteral("/radio.mp3"))},
            {QStringLiteral("Icecast AAC"), lab.icecast(QStringLiteral("/radio.aac"))},
            {QStringLiteral("One-client TS"), listen_},
            {QStringLiteral("SHOUTcast"), shoutcast_.url(QStringLiteral("/;stream.mp3"))},
        };
    }

    LabServers lab;

private:
    QUrl listen_;
    TestHttpServer shoutcast_;
};

} // namespace orvanto::test
