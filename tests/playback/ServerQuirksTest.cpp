// The real player against servers that behave like many in the field: one client at a time
// with a chunked body, a server that is away for a few seconds, media served under a
// playlist's name.
#include "PlayerFixture.h"
#include "core/QtTicker.h"
#include "support/FastClock.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace orvanto;
using namespace orvanto::test;

namespace {

using namespace Qt::Literals::StringLiterals;

class ServerQuirksTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        TestHttpServer::Route one = TestHttpServer::video();
        one.oneClient = true; // like ffmpeg -listen 1: its first client only
        one.chunked = true;   // and chunked, though asked in HTTP/1.0
        server.route(u"/one"_s, one);
    }
};

} // namespace

TEST_F(ServerQuirksTest, OneClientServerWithAChunkedBodyPlaysOnItsOnlyConnection) {
    VlcPlayer player;
    attachEngine(player);
    player.setURL(url("/one"));
    ASSERT_TRUE(waitFor([&] { return player.playState() == PlayState::Playing; }, OpenMs));
    const qint64 before = player.receivedPackets();
    ASSERT_TRUE(waitFor([&] { return player.receivedPackets() > before + 50; }, OpenMs));
    EXPECT_EQ(player.playState(), PlayState::Playing);
    EXPECT_EQ(server.requests(u"/one"_s), 1);
    player.stop();
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, OpenMs));
}

// On seconds ten times shorter: the server is away for five of them, then back.
TEST_F(ServerQuirksTest, ServerAwayForSecondsIsBridged) {
    QtTicker watchdog(VlcPlayer::WatchdogMs / 10);
    FastClock clock(10);
    VlcPlayer player(watchdog, clock);
    attachEngine(player);
    std::vector<int> seen;
    QObject::connect(&player, &MediaPlayer::playStateChanged,
                     [&](int state) { seen.push_back(state); });
    player.setURL(url("/live"));
    ASSERT_TRUE(waitFor([&] { return player.playState() == PlayState::Playing; }, OpenMs));
    seen.clear();
    server.goDown();
    QTest::qWait(500);
    server.comeBack();
    ASSERT_TRUE(waitFor([&] { return server.requests(u"/live"_s) >= 2; }, OpenMs));
    ASSERT_TRUE(waitFor([&] { return player.playState() == PlayState::Playing; }, OpenMs));
    EXPECT_FALSE(contains(seen, PlayState::Ready)) << "never given up";
    EXPECT_FALSE(contains(seen, PlayState::MediaEnded));
}

// Windows Media servers send their ASF streams under .asx names, and web servers files under
// whatever name they were saved as: the player plays what the bytes are, not what the name says
// (libVLC, handed such an address, takes it for a playlist by its name and finds nothing in it).
TEST_F(ServerQuirksTest, MediaUnderAPlaylistsNamePlays) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, {u"-loglevel"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                               u"sine=frequency=440:duration=20"_s, u"-c:a"_s, u"wmav2"_s, u"-f"_s,
                               u"asf"_s, dir.filePath(u"radio.asf"_s)});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0)
        << ffmpeg.readAllStandardError().toStdString();
    QFile asf(dir.filePath(u"radio.asf"_s));
    ASSERT_TRUE(asf.open(QIODevice::ReadOnly));
    const QByteArray asfBytes = asf.readAll();
    server.route(u"/radio.asx"_s, TestHttpServer::body("video/x-ms-asf", asfBytes));
    server.route(u"/radio.wax"_s, TestHttpServer::body("audio/x-ms-wax", asfBytes));
    const QByteArray wav = TestHttpServer::wavClip(20000);
    server.route(u"/song.pls"_s, TestHttpServer::body("audio/x-scpls", wav));
    server.route(u"/song.m3u"_s, TestHttpServer::body("audio/x-mpegurl", wav));

    VlcPlayer player;
    attachEngine(player);
    for (const char* path : {"/radio.asx", "/radio.wax", "/song.pls", "/song.m3u"}) {
        SCOPED_TRACE(path);
        player.setURL(url(path));
        EXPECT_TRUE(waitFor([&] { return player.playState() == PlayState::Playing; }, OpenMs));
        player.stop();
    }
}

// Playlists as servers publish them, played through: a Latin-1 M3U's entry is asked for with
// its letters (UTF-8, encoded), an ASX href with a blank is kept, and binary data served as a
// playlist leads to no request at all.
TEST_F(ServerQuirksTest, PublishedPlaylistsLeadToTheirEntries) {
    const auto wav = TestHttpServer::wav();
    server.route(u"/caf%C3%A9.wav"_s, wav);
    server.route(u"/my%20stream.wav"_s, wav);
    server.route(
        u"/latin1.m3u"_s,
        TestHttpServer::body("audio/x-mpegurl", "#EXTM3U\n#EXTINF:-1,Caf\xe9\ncaf\xe9.wav\n"));
    server.route(u"/blank.asx"_s,
                 TestHttpServer::body("video/x-ms-asf",
                                      "<asx version=\"3.0\"><entry><ref href=\"my stream.wav\"/>"
                                      "</entry></asx>"));
    QByteArray junk = "#EXTM3U\n";
    for (int i = 0; i < 4096; ++i) {
        junk += char((i * 131 + 7) % 256);
    }
    server.route(u"/junk.m3u"_s, TestHttpServer::body("audio/x-mpegurl", junk));

    VlcPlayer player;
    attachEngine(player);
    for (const auto& [list, entry] : {std::pair{"/latin1.m3u", u"/caf%C3%A9.wav"_s},
                                      std::pair{"/blank.asx", u"/my%20stream.wav"_s}}) {
        SCOPED_TRACE(list);
        player.setURL(url(list));
        EXPECT_TRUE(waitFor([&] { return player.playState() == PlayState::Playing; }, OpenMs));
        EXPECT_EQ(server.requests(entry), 1);
        player.stop();
    }
    const int before = server.totalRequests();
    player.setURL(url("/junk.m3u"));
    EXPECT_TRUE(waitFor([&] { return player.playState() == PlayState::Ready; }, OpenMs));
    EXPECT_EQ(server.totalRequests(), before + 1) << "the playlist's, and nothing in it";
}
