// Pausing a live channel: served by ffmpeg's one-client server, what it sends meanwhile is kept,
// and playing on goes on where it stopped, by the stream's own timestamps; served as HLS by
// nginx, a copy of it is kept, and played on from.
#include "LabChannel.h"
#include "core/SteadyClock.h"
#include "playback/LivePause.h"
#include "playback/StreamPlayer.h"
#include "support/LabServers.h"
#include "support/WaitFor.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

// A lab channel with a pause beside it, as the window wires them.
struct Pausable {
    Pausable(const QString& name, const QUrl& address)
        : channel(name, {address.toString()}),
          pause(channel.player().streamPlayer(), clock, {.folder = cache.path(), .limits = {}}) {
        QObject::connect(&pause, &LivePause::userPaused,
                         [this](bool paused) { channel.failover().setUserPaused(paused); });
    }
    // Chosen, accepted, and playing for a while.
    ::testing::AssertionResult plays() {
        channel.select();
        if (!waitFor([&] { return channel.accepted > 0 || channel.failureBoxes(); }, 40000) ||
            !waitFor([&] { return channel.player().positionMs() > 2000; }, 20000)) {
            return ::testing::AssertionFailure() << channel.describe();
        }
        return ::testing::AssertionSuccess();
    }
    // Plays again after a resume or a move, and has for a while.
    ::testing::AssertionResult playsAgain(int forMs) {
        if (!waitFor([&] { return channel.player().playState() == PlayState::Playing; }, 10000)) {
            return ::testing::AssertionFailure() << channel.describe();
        }
        QTest::qWait(forMs);
        return ::testing::AssertionSuccess();
    }

    SystemSteadyClock clock;
    QTemporaryDir cache;
    LabChannel channel;
    LivePause pause;
};

} // namespace

TEST(PauseStreams, APausedChannelPlaysOnWhereItStoppedMovesBackAndReturnsToLive) {
    LabServers lab;
    const QUrl address = lab.startListenTs();
    ASSERT_FALSE(address.isEmpty()) << lab.error().toStdString();
    Pausable pausable(u"One Client"_s, address);
    LabChannel& channel = pausable.channel;
    LivePause& pause = pausable.pause;
    ASSERT_TRUE(pausable.plays());
    ASSERT_TRUE(pause.canPause());

    ASSERT_EQ(pause.pause(), QString());
    ASSERT_TRUE(waitFor([&] { return pause.isPaused(); }, 5000)) << channel.describe();
    QTest::qWait(300); // what libVLC had already taken is shown by now
    const qint64 pausedAt = channel.player().positionMs();
    QTest::qWait(30000);
    EXPECT_TRUE(pause.isPaused()) << "no outage was seen in the wait: " << channel.describe();
    EXPECT_EQ(channel.breakOffs, 0);
    EXPECT_EQ(channel.player().positionMs(), pausedAt) << "nothing plays while paused";
    EXPECT_NEAR(double(pause.behindMs()), 30000, 2500);

    pause.resume();
    ASSERT_TRUE(waitFor([&] { return channel.player().positionMs() > pausedAt + 3000; }, 10000))
        << channel.describe();
    // On from where it paused: the stream's time goes on from there, none of the 30 s skipped.
    QTest::qWait(2000);
    const qint64 playedOn = channel.player().positionMs() - pausedAt;
    EXPECT_LT(playedOn, 10000) << "the time paused was not skipped";
    EXPECT_NEAR(double(pause.behindMs()), 30000, 3000) << "still half a minute behind live";
    EXPECT_TRUE(channel.keptPlaying()) << channel.describe();

    // Back within what is kept: five seconds further back, from where it plays on.
    pause.moveBehind(35000);
    ASSERT_TRUE(pausable.playsAgain(2000));
    EXPECT_NEAR(double(pause.behindMs()), 35000, 3000);
    EXPECT_TRUE(channel.keptPlaying()) << "a move is no outage: " << channel.describe();

    pause.moveBehind(0); // "Live", on the one connection the server serves
    ASSERT_TRUE(pausable.playsAgain(3000));
    EXPECT_LT(pause.behindMs(), 1500);
    EXPECT_TRUE(channel.keptPlaying()) << "back to live is no outage: " << channel.describe();
    EXPECT_GT(channel.player().positionMs(), 1000) << "it plays";
}

// libVLC reads HLS itself: from the pause on a copy of it (remuxed into MPEG-TS) is kept, which
// the player plays on from, behind live, and leaves for the live end on "Live".
TEST(PauseStreams, APausedHlsChannelPlaysOnFromItsCopyBehindLiveAndReturnsToLive) {
    LabServers lab;
    ASSERT_TRUE(lab.startHls()) << lab.error().toStdString();
    Pausable pausable(u"Live TV"_s, lab.hls(u"/hls/live_0.m3u8"_s));
    LabChannel& channel = pausable.channel;
    LivePause& pause = pausable.pause;
    ASSERT_TRUE(pausable.plays());
    StreamPlayer& player = channel.player().streamPlayer();
    ASSERT_FALSE(player.readsOwnStream()) << "the engine reads it itself";
    ASSERT_TRUE(pause.canPause());

    ASSERT_EQ(pause.pause(), QString());
    ASSERT_TRUE(waitFor([&] { return pause.isPaused(); }, 5000)) << channel.describe();
    QTest::qWait(15000);
    EXPECT_TRUE(pause.isPaused()) << "no outage was seen in the wait: " << channel.describe();
    EXPECT_EQ(channel.breakOffs, 0);
    EXPECT_GT(pause.keptMs(), 10000) << "the copy keeps what comes";
    EXPECT_EQ(pause.failure(), QString());

    pause.resume();
    ASSERT_TRUE(pausable.playsAgain(3000));
    EXPECT_TRUE(player.readsOwnStream()) << "it plays the copy";
    // The copy starts at a segment (2 s) just after the pause.
    EXPECT_NEAR(double(pause.behindMs()), 15000, 3500);
    EXPECT_TRUE(channel.keptPlaying()) << channel.describe();
    const qint64 at = channel.player().positionMs();
    QTest::qWait(2000);
    EXPECT_GT(channel.player().positionMs(), at + 1000) << "it plays on";

    pause.moveBehind(0); // "Live"
    ASSERT_TRUE(pausable.playsAgain(3000));
    EXPECT_LT(pause.behindMs(), 1500);
    EXPECT_TRUE(channel.keptPlaying()) << "back to live is no outage: " << channel.describe();
}
