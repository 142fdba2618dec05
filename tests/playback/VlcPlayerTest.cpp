#include "playback/VlcPlayer.h"

#include "PlayerFixture.h"
#include "core/QtTicker.h"
#include "support/FastClock.h"

#include <memory>

using namespace orvanto;
using namespace orvanto::test;

namespace {

class VlcPlayerTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        player = std::make_unique<VlcPlayer>();
        attachEngine(*player);
        QObject::connect(player.get(), &MediaPlayer::playStateChanged,
                         [this](int state) { states.push_back(state); });
    }

    bool waitForState(int state, int timeoutMs = OpenMs) {
        return waitFor([&] { return player->playState() == state; }, timeoutMs);
    }

    // Every notification carries a new number: once per change, never repeated.
    void expectOnePerChange() const {
        for (size_t i = 1; i < states.size(); ++i) {
            EXPECT_NE(states[i], states[i - 1]) << "at notification " << i;
        }
    }

    std::unique_ptr<VlcPlayer> player;
    std::vector<int> states;
};

} // namespace

TEST_F(VlcPlayerTest, LiveStreamPlaysAndCountsKilobytes) {
    EXPECT_EQ(player->volume(), 50);
    player->setURL(url("/live"));
    ASSERT_FALSE(states.empty()); // changes to Transitioning at once
    EXPECT_EQ(states.front(), PlayState::Transitioning);
    EXPECT_EQ(player->URL(), url("/live"));

    ASSERT_TRUE(waitForState(PlayState::Playing));
    const qint64 first = player->receivedPackets();
    ASSERT_TRUE(waitFor([&] { return player->receivedPackets() > first + 10; }, OpenMs));
    player->setVolume(100);
    EXPECT_EQ(player->volume(), 100);
    EXPECT_FALSE(player->setFullScreen(true)) << "audio only: nothing to show";
    EXPECT_FALSE(player->isFullScreen());

    player->stop();
    EXPECT_EQ(player->playState(), PlayState::Stopped);
    EXPECT_EQ(states.back(), PlayState::Stopped);
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, OpenMs));
    expectOnePerChange();
}

TEST_F(VlcPlayerTest, VideoGoesFullScreenAndBack) {
    EXPECT_FALSE(player->setFullScreen(true)) << "nothing plays";
    player->setURL(url("/video"));
    ASSERT_TRUE(waitForState(PlayState::Playing));
    ASSERT_TRUE(waitFor([&] { return player->setFullScreen(true); }, OpenMs));
    EXPECT_TRUE(player->isFullScreen());
    EXPECT_TRUE(player->setFullScreen(false));
    EXPECT_FALSE(player->isFullScreen());
    ASSERT_TRUE(player->setFullScreen(true));
    player->stop(); // nothing left to show: back into the window
    EXPECT_FALSE(player->isFullScreen());
}

TEST_F(VlcPlayerTest, RefusedPortEndsInReady) {
    player->setURL(TestHttpServer::refusedUrl().toString());
    ASSERT_TRUE(waitForState(PlayState::Ready));
    EXPECT_FALSE(contains(states, PlayState::Playing));
    // The same over mms://, which libVLC opens itself.
    QUrl mms = TestHttpServer::refusedUrl();
    mms.setScheme(QStringLiteral("mms"));
    player->setURL(mms.toString());
    ASSERT_TRUE(waitForState(PlayState::Ready));
    expectOnePerChange();
}

TEST_F(VlcPlayerTest, NoStreamEndsInReady) {
    for (const char* path : {"/html", "/garbage", "/empty", "/missing-page"}) {
        SCOPED_TRACE(path);
        states.clear();
        player->setURL(url(path));
        ASSERT_TRUE(waitForState(PlayState::Ready));
        EXPECT_FALSE(contains(states, PlayState::Playing));
        expectOnePerChange();
    }
}

TEST_F(VlcPlayerTest, StopIsImmediateOnServersThatNeverAnswer) {
    // Silent before the headers (the playlist check waits), silent after a few bytes of WAV
    // (libVLC waits inside its read), and an mms:// address on the silent server.
    QUrl mms = server.url(QStringLiteral("/silent"));
    mms.setScheme(QStringLiteral("mms"));
    for (const QString& address : {url("/silent"), url("/trickle"), mms.toString()}) {
        SCOPED_TRACE(address.toStdString());
        const int trickles = server.requests(QStringLiteral("/trickle"));
        player->setURL(address);
        ASSERT_TRUE(waitFor([&] { return server.openConnections() > 0; }, OpenMs));
        if (address.endsWith(QLatin1String("/trickle"))) {
            // The look at the stream hands its connection to libVLC, which waits in its read.
            ASSERT_TRUE(
                waitFor([&] { return server.requests(QStringLiteral("/trickle")) >= trickles + 1; },
                        OpenMs));
        }
        QTest::qWait(300); // let libVLC get stuck in its read
        EXPECT_EQ(player->playState(), PlayState::Transitioning);
        player->stop();
        EXPECT_EQ(player->playState(), PlayState::Stopped);
        EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, OpenMs))
            << "the connection was let go";
    }
}

TEST_F(VlcPlayerTest, PlaylistsPlayTheirEntry) {
    for (const char* path : {"/list.asx", "/radio.php", "/list.pls", "/dead-first.asx"}) {
        SCOPED_TRACE(path);
        const int before = server.requests(QStringLiteral("/live"));
        player->setURL(url(path));
        ASSERT_TRUE(waitForState(PlayState::Playing));
        EXPECT_GT(server.requests(QStringLiteral("/live")), before);
        player->stop();
    }
}

TEST_F(VlcPlayerTest, PlaylistThatNamesItselfEndsInReady) {
    player->setURL(url("/self.asx"));
    ASSERT_TRUE(waitForState(PlayState::Ready, LostMs));
    EXPECT_LE(server.requests(QStringLiteral("/self.asx")), 100);
}

TEST_F(VlcPlayerTest, StreamThatEndsGoesMediaEndedThenReady) {
    player->setURL(url("/clip"));
    ASSERT_TRUE(waitForState(PlayState::Ready, LostMs));
    const auto playing = std::find(states.begin(), states.end(), PlayState::Playing);
    ASSERT_NE(playing, states.end());
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[states.size() - 2], PlayState::MediaEnded);
    expectOnePerChange();
}

TEST_F(VlcPlayerTest, NextPlaylistEntryTakesOverWhenOneEnds) {
    player->setURL(url("/takeover.asx"));
    ASSERT_TRUE(waitForState(PlayState::Playing));
    ASSERT_TRUE(waitFor([&] { return server.requests(QStringLiteral("/live")) > 0; }, LostMs));
    ASSERT_TRUE(waitForState(PlayState::Playing));
    // While the second entry opened, the player reported Buffering, never an end.
    EXPECT_FALSE(contains(states, PlayState::MediaEnded));
    EXPECT_FALSE(contains(states, PlayState::Ready));
    expectOnePerChange();
}

// The watchdog's seconds run ten times faster here: its ticks and its clock alike.
TEST_F(VlcPlayerTest, StreamThatStopsSendingGoesBufferingThenReady) {
    QtTicker watchdog(VlcPlayer::WatchdogMs / 10);
    FastClock clock(10);
    VlcPlayer stalling(watchdog, clock);
    attachEngine(stalling);
    std::vector<int> seen;
    QObject::connect(&stalling, &MediaPlayer::playStateChanged,
                     [&](int state) { seen.push_back(state); });
    stalling.setURL(url("/stall"));
    ASSERT_TRUE(waitFor([&] { return stalling.playState() == PlayState::Playing; }, OpenMs));
    ASSERT_TRUE(waitFor([&] { return stalling.playState() == PlayState::Buffering; }, OpenMs));
    ASSERT_TRUE(waitFor([&] { return stalling.playState() == PlayState::Ready; }, OpenMs));
    EXPECT_FALSE(contains(seen, PlayState::MediaEnded)) << "a lost connection is no end";
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, OpenMs));
}

TEST_F(VlcPlayerTest, DestroyedWhilePlayingOrOpening) {
    player->setURL(url("/live"));
    ASSERT_TRUE(waitForState(PlayState::Playing));
    player.reset();
    auto opening = std::make_unique<VlcPlayer>();
    attachEngine(*opening);
    opening->setURL(url("/trickle"));
    ASSERT_TRUE(waitFor([&] { return server.requests(QStringLiteral("/trickle")) >= 1; }, OpenMs));
    QTest::qWait(300); // libVLC reads what the look received, then waits for more
    opening.reset();
    auto sniffing = std::make_unique<VlcPlayer>();
    attachEngine(*sniffing);
    sniffing->setURL(url("/silent"));
    sniffing.reset();
    QTest::qWait(200); // events posted before the destruction must find nothing to touch
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, OpenMs));
}

// libVLC is told what the server's Content-Type says of the stream, to try that demultiplexer
// first; a server that names the wrong type still has its stream played.
TEST_F(VlcPlayerTest, AStreamWhoseServerNamesTheWrongTypeStillPlays) {
    server.route(QStringLiteral("/mislabelled"),
                 TestHttpServer::icy(TestHttpServer::wavClip(30000),
                                     TestHttpServer::WavBytesPerSecond, "audio/mpeg"));
    player->setURL(url("/mislabelled"));
    ASSERT_TRUE(waitForState(PlayState::Playing));
    const qint64 first = player->receivedPackets();
    EXPECT_TRUE(waitFor([&] { return player->receivedPackets() > first + 10; }, OpenMs));
}
