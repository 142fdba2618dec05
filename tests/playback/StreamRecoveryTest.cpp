// How the player judges a stream's data flow, bridges short outages and tells why an address
// did not play.
#include "StreamPlayerFixture.h"
#include "net/StreamConnection.h"

#include <sys/socket.h>

using namespace orvanto;
using namespace orvanto::test;

// An HLS or DASH stream: libVLC fetches the segments past the source's byte count, which stays
// at the playlist's size, while audio and video decode.
TEST_F(StreamPlayerTest, AdaptiveStreamThatDecodesKeepsPlayingThoughItsSourceCountStandsStill) {
    playStream(QStringLiteral("http://tv.example/live.m3u8"));
    engine.counters.readBytes = 182;
    for (int i = 0; i < 30; ++i) {
        engine.counters.decodedAudio += 43;
        engine.counters.decodedVideo += 25;
        seconds(1);
    }
    EXPECT_TRUE(states.empty()) << "neither stalled nor lost";
    EXPECT_EQ(player.playState(), PlayState::Playing);
}

TEST_F(StreamPlayerTest,
       ReceivedFigureCountsWhatTheDemultiplexerGotWhereTheSourceCountStandsStill) {
    playStream(QStringLiteral("http://tv.example/live.m3u8"));
    engine.counters.readBytes = 182;
    for (int i = 0; i < 10; ++i) {
        engine.counters.demuxBytes += 51200;
        seconds(1);
    }
    EXPECT_EQ(player.receivedKilobytes(), 500);
    // Where the source's count moves, it is the figure (the demultiplexed bytes are a part of it).
    playStream();
    for (int i = 0; i < 10; ++i) {
        engine.counters.readBytes += 10240;
        engine.counters.demuxBytes += 9000;
        seconds(1);
    }
    EXPECT_EQ(player.receivedKilobytes(), 100);
}

TEST_F(StreamPlayerTest, StreamWhoseServerIsAwayForSecondsIsBridged) {
    playStream();
    secondsWithData(5);
    engine.report(Event::Ended); // the server went: its connection ended
    EXPECT_EQ(states, std::vector<int>{PlayState::Buffering}) << "no end, no failure";
    ASSERT_EQ(sniffer.started.size(), 2) << "looked at again at once";
    // Refused while the server is away; opened again after a second, then after two more.
    ASSERT_TRUE(sniffer.decide(Kind::Failed));
    seconds(1);
    ASSERT_EQ(sniffer.started.size(), 3);
    ASSERT_TRUE(sniffer.decide(Kind::Failed));
    seconds(1);
    EXPECT_EQ(sniffer.started.size(), 3);
    seconds(1);
    ASSERT_EQ(sniffer.started.size(), 4);
    // Back: the stream goes on.
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    enginePlays();
    EXPECT_EQ(states, (std::vector<int>{PlayState::Buffering, PlayState::Playing}));
    secondsWithData(20);
    EXPECT_EQ(states, (std::vector<int>{PlayState::Buffering, PlayState::Playing}));
    EXPECT_EQ(overs, 0);
}

TEST_F(StreamPlayerTest, StreamAwayForTenSecondsIsLostWithoutAnEnd) {
    playStream();
    secondsWithData(5);
    engine.report(Event::Error);
    for (int i = 0; i < 12 && player.playState() != PlayState::Ready; ++i) {
        sniffer.decide(Kind::Failed);
        seconds(1);
    }
    EXPECT_EQ(states, (std::vector<int>{PlayState::Buffering, PlayState::Ready}));
    EXPECT_LE(sniffer.started.size(), 1 + 7) << "reopenings are spaced out";
    EXPECT_EQ(overs, 1);
    EXPECT_FALSE(ticker.isRunning());
}

TEST_F(StreamPlayerTest, OpenStreamThatSendsNothingIsOpenedAgain) {
    playStream();
    secondsWithData(5);
    seconds(2);
    EXPECT_EQ(states, std::vector<int>{PlayState::Buffering});
    EXPECT_EQ(sniffer.started.size(), 1);
    seconds(2); // four silent seconds: the connection is likely dead
    ASSERT_EQ(sniffer.started.size(), 2);
    EXPECT_FALSE(engine.playing);
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    enginePlays();
    EXPECT_EQ(states, (std::vector<int>{PlayState::Buffering, PlayState::Playing}));
}

TEST_F(StreamPlayerTest, LiveStreamEndingPastTheWindowItReportedIsNoEnd) {
    playStream(QStringLiteral("http://tv.example/live.m3u8"));
    engine.at = {.timeMs = 40000, .lengthMs = 12000}; // a 12-second window, 40 seconds played
    engine.report(Event::Ended);
    EXPECT_EQ(states, std::vector<int>{PlayState::Buffering});
    EXPECT_EQ(sniffer.started.size(), 2);
}

TEST_F(StreamPlayerTest, DecodedReportConfirmsPlayingAtOnce) {
    player.setURL(QStringLiteral("mms://tv.example/live"));
    engine.report(Event::Decoded, 1); // before the engine opened: not this media's
    EXPECT_EQ(player.playState(), PlayState::Transitioning);
    engine.report(Event::Playing);
    engine.report(Event::Decoded, 1);
    EXPECT_EQ(player.playState(), PlayState::Playing);
}

TEST_F(StreamPlayerTest, TheLooksConnectionGoesToTheEngine) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    Sniffer::Result stream;
    stream.kind = Kind::Stream;
    stream.connection = std::make_shared<StreamConnection>(
        QUrl(QStringLiteral("http://tv.example/live.ts")), pair[0], QByteArray("G@"), QByteArray(),
        std::nullopt, std::nullopt, -1, -1);
    const std::weak_ptr<StreamConnection> handed = stream.connection;
    player.setURL(QStringLiteral("http://tv.example/live.ts"));
    ASSERT_TRUE(sniffer.decide(stream));
    stream = {};
    ASSERT_EQ(engine.connections.size(), 1);
    EXPECT_EQ(engine.connections[0], handed.lock());
    engine.connections.clear();
    EXPECT_EQ(handed.use_count(), 0) << "the player keeps none of it";
    ::close(pair[1]);
}

TEST_F(StreamPlayerTest, SchemeTheEngineCannotOpenFailsAtOnceAndSaysWhy) {
    std::vector<EntryFailure> failures;
    QObject::connect(&player, &StreamPlayer::entryFailed,
                     [&](const EntryFailure& failure) { failures.push_back(failure); });
    engine.refusedSchemes = {QStringLiteral("rtsp")};
    player.setURL(QStringLiteral("rtsp://cam.example/live"));
    EXPECT_EQ(states, (std::vector<int>{PlayState::Transitioning, PlayState::Ready}));
    EXPECT_TRUE(engine.opened.isEmpty());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].kind, EntryFailure::Kind::Unsupported);
}

TEST_F(StreamPlayerTest, FailuresTellWhatTheLookAndTheEngineFound) {
    std::vector<EntryFailure> failures;
    std::vector<int> playlists;
    QObject::connect(&player, &StreamPlayer::entryFailed,
                     [&](const EntryFailure& failure) { failures.push_back(failure); });
    QObject::connect(&player, &StreamPlayer::playlistOpened,
                     [&](int depth) { playlists.push_back(depth); });
    player.setURL(QStringLiteral("http://radio.example/list.pls"));
    ASSERT_TRUE(sniffer.decide(Kind::Playlist, {QUrl(QStringLiteral("http://a.example/gone")),
                                                QUrl(QStringLiteral("mms://b.example/live")),
                                                QUrl(QStringLiteral("mms://c.example/live"))}));
    EXPECT_EQ(playlists, std::vector<int>{0});
    Sniffer::Result missing;
    missing.kind = Kind::Failed;
    missing.status = 404;
    ASSERT_TRUE(sniffer.decide(missing));
    engine.report(Event::Playing);
    engine.counters.readBytes = 4000;
    engine.found.codecs = QStringList{QStringLiteral("MPEG Audio")};
    engine.report(Event::Ended); // opened and found audio, but ended before it decoded
    seconds(10);                 // the last entry has no successor: no limit
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].kind, EntryFailure::Kind::Sniffed);
    EXPECT_EQ(failures[0].sniff.status, 404);
    EXPECT_EQ(failures[0].depth, 1);
    EXPECT_EQ(failures[1].kind, EntryFailure::Kind::Ended);
    EXPECT_EQ(failures[1].url, QUrl(QStringLiteral("mms://b.example/live")));
    EXPECT_TRUE(failures[1].engineGotData);
    EXPECT_TRUE(failures[1].engineFoundTracks);
    EXPECT_EQ(engine.opened.last(), QStringLiteral("mms://c.example/live"));
}
