#include "PlayerFixture.h"
#include "playback/VlcPlayer.h"
#include "support/ProcessUsage.h"

#include <memory>

using namespace orvanto;
using namespace orvanto::test;
using namespace std::chrono_literals;

namespace {

// Servers that never let an address open, whatever they send: nothing of them may outlast the
// address, or slow down the next one.
class BoundedReadingTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        using S = TestHttpServer;
        server.route(QStringLiteral("/endless-head"), S::endlessHead(32 * 1024));
        server.route(QStringLiteral("/head-drip"), S::endlessHead(1));
        server.route(QStringLiteral("/drip"), S::drip(16));
        player = std::make_unique<VlcPlayer>();
        attachEngine(*player);
    }

    bool waitForState(int state, int timeoutMs = OpenMs) {
        return waitFor([&] { return player->playState() == state; }, timeoutMs);
    }

    std::unique_ptr<VlcPlayer> player;
};

} // namespace

TEST_F(BoundedReadingTest, EndlessHeaderFailsAndLeavesNothingBehind) {
    player->setURL(url("/endless-head"));
    // 64 KiB of head at 32 KiB a second: given up after some two seconds.
    EXPECT_TRUE(waitForState(PlayState::Ready)) << "state " << player->playState();

    player->setURL(url("/live"));
    ASSERT_TRUE(waitForState(PlayState::Playing));
    player->stop();
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, OpenMs));

    // Nothing plays now: the process idles and keeps its memory.
    const ProcessUsage before = ProcessUsage::now();
    const auto serverBefore = server.cpuTime();
    QTest::qWait(3000);
    const ProcessUsage after = ProcessUsage::now();
    const auto ours =
        (after.cpu - before.cpu) -
        std::chrono::duration_cast<std::chrono::milliseconds>(server.cpuTime() - serverBefore);
    EXPECT_LT(ours, 600ms) << "CPU time while idle";
    EXPECT_LT(after.residentBytes - before.residentBytes, 16 * 1024 * 1024);
}

TEST_F(BoundedReadingTest, StuckAddressesOnOneHostDoNotBlockTheNextOne) {
    const char* stuck[] = {"/head-drip", "/drip", "/silent", "/endless-head"};
    for (int i = 0; i < 10; ++i) {
        player->setURL(url(stuck[i % 4]));
        QTest::qWait(300);
    }
    const int before = server.requests(QStringLiteral("/live"));
    player->setURL(url("/live"));
    EXPECT_TRUE(waitForState(PlayState::Playing));
    EXPECT_GT(server.requests(QStringLiteral("/live")), before);
    player->stop();
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, 5000))
        << server.openConnections() << " connections kept after stop()";
}
