// The real player against servers that behave like many in the field: one client at a time
// with a chunked body, and a server that is away for a few seconds.
#include "PlayerFixture.h"
#include "core/QtTicker.h"
#include "support/FastClock.h"

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
