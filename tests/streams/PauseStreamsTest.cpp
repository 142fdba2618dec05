// Pausing a live channel served by ffmpeg's one-client server: what it sends meanwhile is kept,
// and playing on goes on where it stopped, by the stream's own timestamps.
#include "LabChannel.h"
#include "core/SteadyClock.h"
#include "playback/LivePause.h"
#include "support/LabServers.h"
#include "support/WaitFor.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

TEST(PauseStreams, APausedChannelPlaysOnWhereItStoppedMovesBackAndReturnsToLive) {
    LabServers lab;
    const QUrl address = lab.startListenTs();
    ASSERT_FALSE(address.isEmpty()) << lab.error().toStdString();
    LabChannel channel(u"One Client"_s, {address.toString()});
    SystemSteadyClock clock;
    QTemporaryDir cache;
    LivePause pause(channel.player().streamPlayer(), clock, {.folder = cache.path(), .limits = {}});
    QObject::connect(&pause, &LivePause::userPaused,
                     [&](bool paused) { channel.failover().setUserPaused(paused); });
    channel.select();
    ASSERT_TRUE(waitFor([&] { return channel.accepted > 0 || channel.failureBoxes(); }, 40000));
    ASSERT_TRUE(waitFor([&] { return channel.player().positionMs() > 2000; }, 20000))
        << channel.describe();
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
    ASSERT_TRUE(waitFor([&] { return channel.player().playState() == PlayState::Playing; }, 10000))
        << channel.describe();
    QTest::qWait(2000);
    EXPECT_NEAR(double(pause.behindMs()), 35000, 3000);
    EXPECT_TRUE(channel.keptPlaying()) << "a move is no outage: " << channel.describe();

    pause.moveBehind(0); // "Live", on the one connection the server serves
    ASSERT_TRUE(waitFor([&] { return channel.player().playState() == PlayState::Playing; }, 10000))
        << channel.describe();
    QTest::qWait(3000);
    EXPECT_LT(pause.behindMs(), 1500);
    EXPECT_TRUE(channel.keptPlaying()) << "back to live is no outage: " << channel.describe();
    EXPECT_GT(channel.player().positionMs(), 1000) << "it plays";
}
