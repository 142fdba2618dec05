// What a look at an adaptive stream's playlist tells before the engine opens it: whether the
// stream ends (a film) or is live, which decides how it can be paused.
#include "net/StreamSniffer.h"

#include "support/TestHttpServer.h"

#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QByteArrayView kLive = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:2\n"
                                 "#EXT-X-MEDIA-SEQUENCE:40\n#EXTINF:2.0,\nlive40.ts\n"
                                 "#EXTINF:2.0,\nlive41.ts\n";

std::optional<Sniffer::Result> sniff(const QUrl& url) {
    StreamSniffer sniffer;
    std::optional<Sniffer::Result> result;
    sniffer.start(url, {}, [&](const Sniffer::Result& found) { result = found; });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 5000)) {
        return std::nullopt;
    }
    return result;
}

TEST(StreamSnifferTest, AnAdaptivePlaylistSaysWhetherItsStreamEnds) {
    TestHttpServer server;
    const QByteArray hls = "application/vnd.apple.mpegurl";
    server.route(u"/live.m3u8"_s, TestHttpServer::body(hls, kLive.toByteArray()));
    server.route(u"/film.m3u8"_s,
                 TestHttpServer::body(hls, kLive.toByteArray() + "#EXT-X-ENDLIST\n"));
    server.route(u"/vod.m3u8"_s,
                 TestHttpServer::body(hls, "#EXTM3U\n#EXT-X-PLAYLIST-TYPE:VOD\n#EXTINF:2.0,\n"
                                           "a.ts\n"));
    const QByteArray dash = "application/dash+xml";
    server.route(u"/live.mpd"_s,
                 TestHttpServer::body(dash, "<?xml version=\"1.0\"?>\n<MPD xmlns=\"urn:mpeg:dash:"
                                            "schema:mpd:2011\" type=\"dynamic\"></MPD>\n"));
    server.route(u"/film.mpd"_s,
                 TestHttpServer::body(dash, "<?xml version=\"1.0\"?>\n<MPD xmlns=\"urn:mpeg:dash:"
                                            "schema:mpd:2011\"></MPD>\n"));
    server.start();
    for (const auto& [path, ends] : {std::pair{u"/live.m3u8"_s, false},
                                     {u"/film.m3u8"_s, true},
                                     {u"/vod.m3u8"_s, true},
                                     {u"/live.mpd"_s, false},
                                     {u"/film.mpd"_s, true}}) {
        const std::optional<Sniffer::Result> result = sniff(server.url(path));
        ASSERT_TRUE(result.has_value()) << path.toStdString();
        EXPECT_EQ(result->kind, Sniffer::Result::Kind::Stream) << path.toStdString();
        EXPECT_EQ(result->connection, nullptr) << "the engine reads it itself";
        EXPECT_EQ(result->ends, ends) << path.toStdString();
    }
}

} // namespace
