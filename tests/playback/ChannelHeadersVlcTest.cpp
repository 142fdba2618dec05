// The HTTP headers a channel's list asks for, through the real player (the sniffer and libVLC
// with dummy outputs), against a loopback server that answers 403 without them: a live stream
// read on the look's connection, a file the engine opens itself, and an HLS stream whose
// playlists and segments the engine asks for.

#include "PlayerFixture.h"
#include "core/HttpRequest.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace orvanto;
using namespace orvanto::test;
using Header = HttpHeaders::Header;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

constexpr char Agent[] = "Mozilla/5.0 (SMART-TV; Linux; Tizen 6.0) TV Safari/537.36";
constexpr char Referer[] = "https://tv.example.com/watch/7";

class ChannelHeadersVlcTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        server.route(s("/file.wav"),
                     TestHttpServer::body("audio/wav", TestHttpServer::wavClip(20000)));
        attachEngine(player);
    }

    static StreamAddress withHeaders(const QString& url) {
        HttpHeaders headers;
        headers.set(Header::UserAgent, s(Agent));
        headers.set(Header::Referer, s(Referer));
        return {url, headers};
    }
    void requireTheChannelsHeaders() {
        server.requireHeaders({{"User-Agent", Agent}, {"Referer", Referer}});
    }
    bool plays() {
        return waitFor([this] { return player.playState() == PlayState::Playing; }, OpenMs);
    }
    // The address gives up (every entry used up) without playing.
    bool refused() {
        return waitFor([this] { return player.playState() == PlayState::Ready; }, OpenMs);
    }

    // An HLS stream of 2-second MPEG-TS segments made by ffmpeg, served under /hls/.
    bool serveHls() {
        if (!files.isValid()) {
            return false;
        }
        QProcess ffmpeg;
        ffmpeg.setWorkingDirectory(files.path());
        ffmpeg.start(s("ffmpeg"),
                     {s("-loglevel"), s("error"), s("-y"), s("-f"), s("lavfi"), s("-i"),
                      s("sine=frequency=440:duration=20"), s("-c:a"), s("mp2"), s("-f"), s("hls"),
                      s("-hls_time"), s("2"), s("-hls_playlist_type"), s("vod"), s("index.m3u8")});
        if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
            ADD_FAILURE() << ffmpeg.readAllStandardError().toStdString();
            return false;
        }
        for (const QString& name : QDir(files.path()).entryList(QDir::Files)) {
            QFile file(files.path() + u'/' + name);
            if (!file.open(QIODevice::ReadOnly)) {
                return false;
            }
            segments += name.endsWith(s(".ts")) ? 1 : 0;
            server.route(s("/hls/") + name,
                         TestHttpServer::body(name.endsWith(s(".m3u8"))
                                                  ? "application/vnd.apple.mpegurl"
                                                  : "video/mp2t",
                                              file.readAll()));
        }
        return segments > 1;
    }

    VlcPlayer player;
    QTemporaryDir files;
    int segments = 0;
};

// A stream read on the connection of the player's look, and a file that libVLC opens on
// connections of its own (it may seek in it): each request carries the channel's headers.
TEST_F(ChannelHeadersVlcTest, AStreamAndAFileThatNeedTheirHeadersPlayWithThem) {
    requireTheChannelsHeaders();
    for (const char* path : {"/live", "/file.wav"}) {
        SCOPED_TRACE(path);
        player.setURL(withHeaders(url(path)));
        EXPECT_TRUE(plays());
        player.stop();
        // The control: without them the server refuses, and nothing plays.
        player.setURL(StreamAddress(url(path)));
        EXPECT_TRUE(refused());
        EXPECT_NE(player.playState(), PlayState::Playing);
        player.stop();
    }
    EXPECT_GE(server.requests(s("/file.wav")), 3) << "the look, the engine's own, the control";
}

// libVLC's adaptive module asks for the playlist and then every segment itself: all of them
// carry the User-Agent and the Referer.
TEST_F(ChannelHeadersVlcTest, AnHlsStreamsPlaylistAndSegmentsAreAskedForWithThem) {
    ASSERT_TRUE(serveHls());
    requireTheChannelsHeaders();
    player.setURL(withHeaders(server.url(s("/hls/index.m3u8")).toString()));
    ASSERT_TRUE(plays());
    ASSERT_TRUE(waitFor([this] { return server.requests(s("/hls/index1.ts")) > 0; }, OpenMs));
    EXPECT_EQ(server.headerValues(s("/hls/index1.ts"), "User-Agent").value(0), Agent);
    EXPECT_EQ(server.headerValues(s("/hls/index1.ts"), "Referer").value(0), Referer);
    player.stop();

    player.setURL(StreamAddress(server.url(s("/hls/index.m3u8")).toString()));
    EXPECT_TRUE(refused());
}

// Where the list names no User-Agent, the player's look and libVLC's own requests say the same
// (VLC's), so that a server that lets VLC in lets both in.
TEST_F(ChannelHeadersVlcTest, WithoutAListsUserAgentTheLookAndTheEngineSayTheSame) {
    ASSERT_TRUE(serveHls());
    server.requireHeaders({{"User-Agent", HttpRequest::defaultUserAgent()}});
    for (const char* path : {"/live", "/file.wav", "/hls/index.m3u8"}) {
        SCOPED_TRACE(path);
        player.setURL(StreamAddress(url(path)));
        EXPECT_TRUE(plays()) << server.headerValues(QString::fromLatin1(path), "User-Agent")
                                    .join(" | ")
                                    .toStdString();
        player.stop();
    }
    EXPECT_TRUE(server.headerValues(s("/live"), "Referer").value(0).isEmpty());
}

} // namespace
