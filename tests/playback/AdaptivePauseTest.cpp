// Pausing a live channel the engine reads itself (HLS, DASH): from the pause on a copy of it is
// kept, playing on plays the copy behind live, and from then on it is paused and moved within as
// a stream of our own; the copy goes with the channel, and what cannot be paused says so.
#include "StreamPlayerFixture.h"
#include "net/KeptStream.h"
#include "net/StreamConnection.h"
#include "playback/LivePause.h"
#include "support/FakeCopy.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

class AdaptivePauseTest : public StreamPlayerTest {
protected:
    void SetUp() override {
        StreamPlayerTest::SetUp();
        engine.copier = [this](const MediaSource& source, int descriptor) {
            copied << source.location;
            auto made = std::make_unique<FakeCopy>(descriptor);
            made->first = source.location;
            copy = made.get();
            return made;
        };
    }
    // A live HLS channel the engine opens itself, playing.
    void playHls(const QString& url = u"http://tv.example/live.m3u8"_s) {
        player.setURL(url);
        ASSERT_TRUE(sniffer.decide(Kind::Stream));
        enginePlays();
        ASSERT_EQ(player.playState(), PlayState::Playing);
    }
    // Paused, the copy writes `bytes`, kept as they arrive; then `seconds` pass.
    void pauseAndKeep(const QByteArray& bytes, int seconds) {
        ASSERT_EQ(pause.pause(), QString());
        ASSERT_FALSE(copy.isNull());
        copy->write(bytes);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                clock.advance(1);
                return pause.keptMs() > 0;
            },
            5000));
        this->seconds(seconds);
    }
    // The engine reads `size` bytes from the connection it was handed.
    QByteArray engineReads(qsizetype size) const {
        QByteArray read(size, 0);
        qsizetype at = 0;
        while (at < size) {
            const qint64 n = engine.readsFrom.last()->read(read.data() + at, size - at);
            if (n <= 0) {
                break;
            }
            at += qsizetype(n);
        }
        read.truncate(at);
        return read;
    }

    QTemporaryDir cache;
    LivePause pause{player, clock, {.folder = cache.path(), .limits = {}}};
    QPointer<FakeCopy> copy;
    QStringList copied;
};

} // namespace

TEST_F(AdaptivePauseTest, APausedChannelPlaysOnFromItsCopyBehindLive) {
    playHls();
    EXPECT_TRUE(pause.canPause());
    QSignalSpy asked(&pause, &LivePause::userPaused);
    const QByteArray sent = tsPackets(20, 'a');
    pauseAndKeep(sent, 30);
    EXPECT_EQ(copied, QStringList{u"http://tv.example/live.m3u8"_s}) << "the channel's own address";
    EXPECT_TRUE(engine.paused);
    EXPECT_EQ(player.playState(), PlayState::Paused) << "a pause is no outage";
    EXPECT_TRUE(pause.isKept());
    EXPECT_NEAR(double(pause.behindMs()), 30000, 100);

    pause.resume();
    ASSERT_EQ(engine.readsFrom.size(), 1) << "the copy, not the engine's own media";
    EXPECT_EQ(player.liveConnection(), engine.readsFrom[0]);
    EXPECT_TRUE(player.readsOwnStream());
    EXPECT_NEAR(double(pause.behindMs()), 30000, 100) << "stays that far behind";
    EXPECT_EQ(engineReads(sent.size()), sent) << "from the pause on, nothing lost";
    enginePlays();
    EXPECT_EQ(player.playState(), PlayState::Playing);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[0][0].toBool());
    EXPECT_FALSE(asked[1][0].toBool());

    // Paused again, it waits as a stream of our own: no second copy.
    ASSERT_EQ(pause.pause(), QString());
    EXPECT_EQ(copied.size(), 1);
    EXPECT_TRUE(engine.paused);
    EXPECT_EQ(pause.failure(), QString());
}

TEST_F(AdaptivePauseTest, LiveWhilePausedPlaysTheCopyFromWhatComesNow) {
    playHls();
    QSignalSpy asked(&pause, &LivePause::userPaused);
    pauseAndKeep(tsPackets(20, 'a'), 20);
    pause.moveBehind(0);
    ASSERT_EQ(engine.readsFrom.size(), 1);
    EXPECT_EQ(pause.behindMs(), 0);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_FALSE(asked[1][0].toBool()) << "it plays";
    copy->write(tsPackets(5, 'b'));
    EXPECT_EQ(engineReads(5 * 188), tsPackets(5, 'b')) << "what the copy writes now";
}

TEST_F(AdaptivePauseTest, TheCopyGoesWithTheMediaItWasMadeOf) {
    playHls();
    pauseAndKeep(tsPackets(20, 'a'), 5);
    // The stream breaks off and is opened again: live, the copy let go.
    player.reopen();
    EXPECT_TRUE(copy.isNull());
    EXPECT_FALSE(pause.isKept());

    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    enginePlays();
    ASSERT_EQ(player.playState(), PlayState::Playing);
    pauseAndKeep(tsPackets(20, 'a'), 5);
    pause.resume();
    ASSERT_EQ(engine.readsFrom.size(), 1);
    player.setURL(u"http://other.example/live.m3u8"_s); // another channel
    EXPECT_TRUE(copy.isNull());
    EXPECT_FALSE(pause.isKept());
    EXPECT_EQ(player.liveConnection(), nullptr);
}

TEST_F(AdaptivePauseTest, ACopyThatEndsSaysWhyAndWhatItKeptIsStillPlayed) {
    playHls();
    QSignalSpy changed(&pause, &LivePause::changed);
    const QByteArray sent = tsPackets(20, 'a');
    pauseAndKeep(sent, 10);
    copy->stop();
    copy->fail(u"The stream could not be opened again."_s);
    EXPECT_EQ(pause.failure(), u"The stream could not be opened again."_s);
    EXPECT_FALSE(changed.isEmpty());
    pause.resume();
    ASSERT_EQ(engine.readsFrom.size(), 1);
    EXPECT_EQ(engineReads(sent.size() + 1), sent) << "then the end";
}

TEST_F(AdaptivePauseTest, WhatCannotBePausedSaysSoAndStaysLive) {
    playHls();
    engine.copier = nullptr; // an engine that cannot copy
    QSignalSpy asked(&pause, &LivePause::userPaused);
    EXPECT_EQ(pause.pause(), u"This channel cannot be paused."_s);
    EXPECT_FALSE(engine.paused);
    EXPECT_TRUE(asked.isEmpty());

    engine.copier = [](const MediaSource&, int descriptor) {
        return std::make_unique<FakeCopy>(descriptor);
    };
    engine.pausable = false;
    EXPECT_EQ(pause.pause(), u"This channel cannot be paused."_s);
    EXPECT_FALSE(pause.isKept()) << "the copy goes again";
    if (!asked.isEmpty()) {
        EXPECT_FALSE(asked.last()[0].toBool()) << "not left waiting for the user";
    }
    engine.pausable = true;

    // An archive starts again from its beginning when copied; what the engine seeks in has a
    // length.
    pause.setLiveTest([] { return false; });
    EXPECT_FALSE(pause.canPause());
    EXPECT_EQ(pause.pause(), u"Only a live channel that plays can be paused."_s);
    pause.setLiveTest({});
    EXPECT_TRUE(pause.canPause());

    // A film the engine can seek in: its playlist says it ends.
    player.setURL(u"http://tv.example/film.m3u8"_s);
    Sniffer::Result film;
    film.kind = Kind::Stream;
    film.ends = true;
    ASSERT_TRUE(sniffer.decide(film));
    enginePlays();
    EXPECT_FALSE(pause.canPause());
}
