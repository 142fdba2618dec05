// The qualities an adaptive stream offers, read from its HLS master playlist or DASH manifest,
// and fetched over loopback.

#include "net/VariantList.h"

#include "net/VariantFetch.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>
#include <optional>

using namespace orvanto;
using namespace orvanto::test;

// (Empty lists are checked with isEmpty(): Qt 6.4 compares two empty QList<int>s with a
// memcmp of null pointers, which UBSan reports.)

namespace {

const QByteArray Master = "\xEF\xBB\xBF#EXTM3U\r\n"
                          "#EXT-X-VERSION:3\r\n"
                          "#EXT-X-STREAM-INF:BANDWIDTH=800000,CODECS=\"avc1.4d401f,mp4a.40.2\","
                          "RESOLUTION=1280x720\r\n"
                          "hd.m3u8\r\n"
                          "#EXT-X-STREAM-INF:BANDWIDTH=300000,RESOLUTION=640x360,FRAME-RATE=25\r\n"
                          "sd.m3u8\r\n"
                          "#ext-x-stream-inf:bandwidth=200000,resolution=640X360\r\n"
                          "sd2.m3u8\r\n"
                          "#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.2\"\r\n"
                          "audio.m3u8\r\n"
                          "#EXT-X-STREAM-INF:BANDWIDTH=1,RESOLUTION=1920x1080000\r\n"
                          "absurd.m3u8\r\n"
                          "#EXT-X-STREAM-INF:BANDWIDTH=2000000,RESOLUTION=1920x1080\r\n"
                          "fhd.m3u8\r\n";

} // namespace

TEST(VariantList, HlsMasterPlaylistsHeightsHighestFirstOnceEach) {
    EXPECT_EQ(VariantList::heights(Master), (QList<int>{1080, 720, 360}));
    // A media playlist (segments) offers no choice; nor does a stream's first bytes.
    EXPECT_TRUE(
        VariantList::heights("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\nseg1.ts\n").isEmpty());
    EXPECT_TRUE(VariantList::heights("ID3\x03garbage").isEmpty());
    EXPECT_TRUE(
        VariantList::heights("#EXTM3U\n#EXT-X-STREAM-INF:RESOLUTION=x\nbad.m3u8\n").isEmpty());
}

TEST(VariantList, DashManifestsVideoHeightsFromRepresentationsOrTheirSet) {
    const QByteArray mpd = R"(<?xml version="1.0"?>
<MPD xmlns="urn:mpeg:dash:schema:mpd:2011" type="dynamic">
 <Period>
  <AdaptationSet mimeType="video/mp4" height="576">
   <Representation id="v1" bandwidth="3000000" width="1920" height="1080"/>
   <Representation id="v2" bandwidth="1000000"/>
  </AdaptationSet>
  <AdaptationSet contentType="audio" mimeType="audio/mp4">
   <Representation id="a1" bandwidth="128000" height="999"/>
  </AdaptationSet>
  <AdaptationSet contentType="video">
   <Representation id="v3" bandwidth="500000" height="360"/>
  </AdaptationSet>
 </Period>
</MPD>)";
    EXPECT_EQ(VariantList::heights(mpd), (QList<int>{1080, 576, 360}));
    EXPECT_TRUE(VariantList::heights("<MPD><Period><AdaptationSet").isEmpty())
        << "a manifest cut short gives what it has";
}

TEST(VariantList, ListsAtMostMaxVariants) {
    QByteArray many = "#EXTM3U\n";
    for (int h = 1; h <= 100; ++h) {
        many += "#EXT-X-STREAM-INF:RESOLUTION=10x" + QByteArray::number(h) + "\nv.m3u8\n";
    }
    EXPECT_EQ(VariantList::heights(many).size(), VariantList::MaxVariants);
}

TEST(VariantList, OnlyHlsAndDashAddressesAreLookedAt) {
    EXPECT_TRUE(
        VariantList::mayBeAdaptive(QUrl(QStringLiteral("http://a.example/x/INDEX.M3U8?t=1"))));
    EXPECT_TRUE(VariantList::mayBeAdaptive(QUrl(QStringLiteral("https://a.example/live.mpd"))));
    EXPECT_FALSE(VariantList::mayBeAdaptive(QUrl(QStringLiteral("http://a.example/live.ts"))));
    EXPECT_FALSE(VariantList::mayBeAdaptive(QUrl(QStringLiteral("http://a.example/?f=.m3u8"))));
}

TEST(VariantFetch, ReadsTheMasterOverHttpAndGivesNothingForErrorsOrEndlessStreams) {
    TestHttpServer server;
    server.route(QStringLiteral("/master.m3u8"),
                 TestHttpServer::body("application/vnd.apple.mpegurl", Master));
    server.route(QStringLiteral("/missing.m3u8"),
                 TestHttpServer::body("text/html", "gone", "404 Not Found"));
    server.route(QStringLiteral("/endless.m3u8"), TestHttpServer::drip(400000));
    server.start();

    VariantFetch fetch;
    const auto heightsOf = [&](const char* path) {
        std::optional<QList<int>> result;
        fetch.start(server.url(QString::fromLatin1(path)), {},
                    [&result](const QList<int>& heights) { result = heights; });
        EXPECT_FALSE(result) << "never answered from inside start()";
        EXPECT_TRUE(waitFor([&result] { return result.has_value(); }, 15000)) << path;
        return result.value_or(QList<int>{-1});
    };
    EXPECT_EQ(heightsOf("/master.m3u8"), (QList<int>{1080, 720, 360}));
    EXPECT_TRUE(heightsOf("/missing.m3u8").isEmpty());
    EXPECT_TRUE(heightsOf("/endless.m3u8").isEmpty()) << "cut off at its bound";
}
