#include "StreamPlayerFixture.h"

using namespace orvanto;
using namespace orvanto::test;

TEST_F(StreamPlayerTest, StreamOpensThroughTheSnifferAndPlaysOnceSomethingDecodes) {
    player.setURL(QStringLiteral("  http://radio.example/a b  "));
    EXPECT_EQ(states, std::vector<int>{PlayState::Transitioning});
    ASSERT_EQ(sniffer.started.size(), 1);
    EXPECT_TRUE(engine.opened.isEmpty()) << "nothing opens before the sniffer decided";
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    // The assigned address goes to the engine as written (trimmed), not re-encoded.
    EXPECT_EQ(engine.opened, QStringList{QStringLiteral("http://radio.example/a b")});
    engine.report(Event::Opening);
    engine.report(Event::Buffering, 50); // not open yet: no state
    engine.report(Event::Playing);       // open, nothing decoded
    EXPECT_EQ(player.playState(), PlayState::Buffering);
    engine.report(Event::TimeChanged, 0);
    EXPECT_EQ(player.playState(), PlayState::Buffering);
    engine.report(Event::TimeChanged, 40);
    EXPECT_EQ(states, (std::vector<int>{PlayState::Transitioning, PlayState::Buffering,
                                        PlayState::Playing}));
    EXPECT_EQ(engine.volume, StreamPlayer::InitialVolume);
}

TEST_F(StreamPlayerTest, DecodedFramesConfirmPlayingWithoutAPlayTime) {
    player.setURL(QStringLiteral("mms://tv.example/live"));
    EXPECT_TRUE(sniffer.started.isEmpty()) << "only http(s) is sniffed";
    ASSERT_EQ(engine.opened.size(), 1);
    engine.report(Event::Playing);
    seconds(1);
    EXPECT_EQ(player.playState(), PlayState::Buffering);
    engine.counters.decodedVideo = 3;
    seconds(1);
    EXPECT_EQ(player.playState(), PlayState::Playing);
}

TEST_F(StreamPlayerTest, StreamThatStopsSendingGoesBufferingThenReady) {
    playStream();
    secondsWithData(30);
    EXPECT_TRUE(states.empty()) << "data keeps coming: nothing to say";
    seconds(1);
    EXPECT_TRUE(states.empty()) << "one silent second is no stall";
    seconds(1);
    EXPECT_EQ(states, std::vector<int>{PlayState::Buffering});
    secondsWithData(1);
    EXPECT_EQ(states, (std::vector<int>{PlayState::Buffering, PlayState::Playing}));
    seconds(9);
    EXPECT_EQ(player.playState(), PlayState::Buffering);
    seconds(1); // ten seconds without data: the connection is lost
    EXPECT_EQ(states.back(), PlayState::Ready);
    EXPECT_EQ(std::count(states.begin(), states.end(), PlayState::MediaEnded), 0)
        << "a lost connection is no end";
    EXPECT_FALSE(engine.playing);
    EXPECT_FALSE(ticker.isRunning());
    EXPECT_EQ(overs, 1);
}

TEST_F(StreamPlayerTest, CounterThatWrapsAroundStillCountsAsData) {
    playStream();
    engine.counters.readBytes = 0xFFFFF000u;
    seconds(1);
    const qint64 before = player.receivedKilobytes();
    engine.counters.readBytes = 0x1000u; // wrapped: 8 KiB more
    seconds(1);
    EXPECT_EQ(player.receivedKilobytes(), before + 8);
    engine.counters.readBytes = 0x3000u;
    seconds(1);
    EXPECT_EQ(player.playState(), PlayState::Playing);
    EXPECT_EQ(player.receivedKilobytes(), before + 16);
}

TEST_F(StreamPlayerTest, PausedAndLocalFilesAreNotWatched) {
    playStream();
    engine.report(Event::Paused);
    seconds(60);
    EXPECT_EQ(player.playState(), PlayState::Paused);
    engine.report(Event::Playing);
    EXPECT_EQ(player.playState(), PlayState::Playing);

    player.setURL(QStringLiteral("/music/song.wav"));
    EXPECT_EQ(engine.opened.last(), QStringLiteral("/music/song.wav"));
    EXPECT_TRUE(engine.openedLocal.last());
    enginePlays();
    seconds(60);
    EXPECT_EQ(player.playState(), PlayState::Playing);
}

TEST_F(StreamPlayerTest, StreamThatEndsGoesMediaEndedThenReady) {
    // A stream with a length, played to its end (a file, a finished HLS stream).
    playStream();
    engine.at = {.timeMs = 59200, .lengthMs = 60000};
    engine.report(Event::Ended);
    EXPECT_EQ(states, (std::vector<int>{PlayState::MediaEnded, PlayState::Ready}));
    EXPECT_EQ(sniffer.started.size(), 1) << "not opened again";

    // A short file can end before its play time was reported: what was decoded counts.
    states.clear();
    player.setURL(QStringLiteral("file:///clips/short.wav"));
    EXPECT_TRUE(engine.openedLocal.last());
    engine.report(Event::Playing);
    engine.counters.decodedAudio = 5;
    engine.report(Event::Ended);
    EXPECT_EQ(states,
              (std::vector<int>{PlayState::Transitioning, PlayState::Buffering, PlayState::Playing,
                                PlayState::MediaEnded, PlayState::Ready}));
}

// The status a server refused the address with, for those that tell "no such programme" from
// "cannot be reached"; a new address starts without one.
TEST_F(StreamPlayerTest, TheHttpStatusOfARefusalIsKeptUntilTheNextAddress) {
    player.setURL(QStringLiteral("http://archive.example/old.ts"));
    Sniffer::Result refused;
    refused.kind = Kind::Failed;
    refused.error = HttpGet::Error::None;
    refused.status = 404;
    ASSERT_TRUE(sniffer.decide(refused));
    EXPECT_EQ(player.playState(), PlayState::Ready);
    EXPECT_EQ(player.refusalStatus(), 404);

    player.setURL(QStringLiteral("http://gone.example/"));
    EXPECT_EQ(player.refusalStatus(), 0);
    ASSERT_TRUE(sniffer.decide(Kind::Failed)); // nobody answered: no status
    EXPECT_EQ(player.refusalStatus(), 0);
}

TEST_F(StreamPlayerTest, AddressesThatDoNotPlayEndInReady) {
    player.setURL(QStringLiteral("http://gone.example/"));
    ASSERT_TRUE(sniffer.decide(Kind::Failed));
    EXPECT_TRUE(engine.opened.isEmpty());
    EXPECT_EQ(states, (std::vector<int>{PlayState::Transitioning, PlayState::Ready}));

    states.clear();
    player.setURL(QStringLiteral("mms://gone.example/"));
    engine.report(Event::Error);
    EXPECT_EQ(states, (std::vector<int>{PlayState::Transitioning, PlayState::Ready}));

    playStream();
    player.setURL(QStringLiteral("   "));
    EXPECT_EQ(states, std::vector<int>{PlayState::Ready});
    EXPECT_FALSE(engine.playing);

    // An address on its own, however long it takes to open, is left to the engine.
    states.clear();
    player.setURL(QStringLiteral("mms://slow.example/"));
    seconds(120);
    EXPECT_EQ(states, std::vector<int>{PlayState::Transitioning});
}

TEST_F(StreamPlayerTest, PlaylistEntriesAreTriedInOrder) {
    const QUrl first(QStringLiteral("http://a.example/one two"));
    const QUrl second(QStringLiteral("mms://b.example/two"));
    player.setURL(QStringLiteral("http://radio.example/list.php"));
    ASSERT_TRUE(sniffer.decide(Kind::Playlist, {first, second}));
    // The first entry is sniffed in turn, then opened fully encoded.
    ASSERT_EQ(sniffer.started.size(), 2);
    EXPECT_EQ(sniffer.started[1], first);
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    EXPECT_EQ(engine.opened.last(), QStringLiteral("http://a.example/one%20two"));
    engine.report(Event::Error);
    EXPECT_EQ(engine.opened.last(), QStringLiteral("mms://b.example/two"));
    engine.report(Event::Error);
    EXPECT_EQ(states, (std::vector<int>{PlayState::Transitioning, PlayState::Ready}));
    EXPECT_EQ(overs, 1);

    // An empty playlist adds nothing.
    states.clear();
    player.setURL(QStringLiteral("http://radio.example/empty.asx"));
    ASSERT_TRUE(sniffer.decide(Kind::Playlist));
    EXPECT_EQ(states, (std::vector<int>{PlayState::Transitioning, PlayState::Ready}));
}

// The headers of an address go with the look at it and at its playlist's entries, and to the
// engine; its cookie goes only to the server that its list names.
TEST_F(StreamPlayerTest, TheAddressesHeadersGoWithItsEntriesAndItsCookieStaysWithItsServer) {
    using Header = HttpHeaders::Header;
    HttpHeaders headers;
    headers.set(Header::UserAgent, QStringLiteral("Agent"));
    headers.set(Header::Cookie, QStringLiteral("id=1"));
    const QUrl same(QStringLiteral("http://RADIO.example/live"));
    const QUrl other(QStringLiteral("http://cdn.example/live"));
    player.setURL(StreamAddress(QStringLiteral("http://radio.example/list.pls"), headers));
    ASSERT_TRUE(sniffer.decide(Kind::Playlist, {same, other}));
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    engine.report(Event::Error);
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    ASSERT_EQ(sniffer.startedHeaders.size(), 3);
    EXPECT_EQ(sniffer.startedHeaders[0], headers);
    EXPECT_EQ(sniffer.startedHeaders[1], headers);
    EXPECT_EQ(sniffer.startedHeaders[2], headers.without(Header::Cookie));
    EXPECT_EQ(sniffer.startedHeaders[2].value(Header::UserAgent), "Agent");
    ASSERT_EQ(engine.openedHeaders.size(), 2);
    EXPECT_EQ(engine.openedHeaders[0], headers);
    EXPECT_EQ(engine.openedHeaders[1], headers.without(Header::Cookie));

    // An address of its own has none of them.
    player.setURL(QStringLiteral("http://radio.example/plain"));
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    EXPECT_TRUE(sniffer.startedHeaders.last().isEmpty());
    EXPECT_TRUE(engine.openedHeaders.last().isEmpty());
}

TEST_F(StreamPlayerTest, EntryThatDoesNotOpenInTimeGivesWayToTheNext) {
    player.setURL(QStringLiteral("http://radio.example/list.asx"));
    ASSERT_TRUE(sniffer.decide(Kind::Playlist, {QUrl(QStringLiteral("mms://a.example/")),
                                                QUrl(QStringLiteral("mms://b.example/"))}));
    ASSERT_EQ(engine.opened.size(), 1);
    seconds(9);
    EXPECT_EQ(engine.opened.size(), 1);
    seconds(1);
    ASSERT_EQ(engine.opened.size(), 2);
    EXPECT_EQ(engine.opened.last(), QStringLiteral("mms://b.example/"));
    seconds(60); // the last entry has no successor: no limit
    EXPECT_EQ(player.playState(), PlayState::Transitioning);
}

TEST_F(StreamPlayerTest, NextEntryTakesOverFromAStreamLostForGoodAsBuffering) {
    player.setURL(QStringLiteral("http://radio.example/list.asx"));
    ASSERT_TRUE(sniffer.decide(Kind::Playlist, {QUrl(QStringLiteral("mms://a.example/")),
                                                QUrl(QStringLiteral("mms://b.example/"))}));
    enginePlays();
    states.clear();
    engine.report(Event::Ended);
    EXPECT_EQ(states, std::vector<int>{PlayState::Buffering}) << "reconnecting, not ended";
    EXPECT_EQ(engine.opened.last(), QStringLiteral("mms://a.example/")) << "the same one first";
    // Its server stays away: every reopening fails, and ten seconds on the next one takes over.
    for (int i = 0; i < 10 && engine.opened.last() == QLatin1String("mms://a.example/"); ++i) {
        engine.report(Event::Error);
        seconds(1);
    }
    EXPECT_EQ(engine.opened.last(), QStringLiteral("mms://b.example/"));
    EXPECT_EQ(states, std::vector<int>{PlayState::Buffering});
    // The one taking over must open within the limit, even as the last entry.
    seconds(10);
    EXPECT_EQ(states.back(), PlayState::Ready);
    EXPECT_EQ(std::count(states.begin(), states.end(), PlayState::MediaEnded), 0);
}

TEST_F(StreamPlayerTest, PlaylistFoundByTheEngineItselfPlaysItsNetworkEntries) {
    player.setURL(QStringLiteral("mms://tv.example/list"));
    engine.items = {QUrl(QStringLiteral("file:///etc/passwd")),
                    QUrl(QStringLiteral("mms://tv.example/stream"))};
    engine.report(Event::Ended);
    EXPECT_EQ(engine.opened.last(), QStringLiteral("mms://tv.example/stream"));
    EXPECT_EQ(engine.opened.size(), 2) << "the local entry is skipped";
    EXPECT_EQ(player.playState(), PlayState::Transitioning);
}

TEST_F(StreamPlayerTest, StopAndNewAddressesSilenceTheOldOnes) {
    playStream();
    player.stop();
    EXPECT_EQ(states, std::vector<int>{PlayState::Stopped});
    EXPECT_FALSE(engine.playing);
    EXPECT_FALSE(ticker.isRunning());
    engine.report(Event::Error); // late report of the stopped media
    seconds(30);
    EXPECT_EQ(states, std::vector<int>{PlayState::Stopped});

    // A new address while the sniffer is under way cancels it.
    player.setURL(QStringLiteral("http://radio.example/one"));
    player.setURL(QStringLiteral("http://radio.example/two"));
    EXPECT_EQ(sniffer.started.last(), QUrl(QStringLiteral("http://radio.example/two")));
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    EXPECT_EQ(engine.opened.last(), QStringLiteral("http://radio.example/two"));
}

TEST_F(StreamPlayerTest, ListenerThatStopsInsideANotificationEndsItAtOnce) {
    QObject::connect(&player, &StreamPlayer::playStateChanged, [this](int state) {
        if (state == PlayState::Buffering) {
            player.stop();
        }
    });
    player.setURL(QStringLiteral("http://radio.example/list.asx"));
    ASSERT_TRUE(sniffer.decide(Kind::Playlist, {QUrl(QStringLiteral("mms://a.example/")),
                                                QUrl(QStringLiteral("mms://b.example/"))}));
    enginePlays(); // Buffering first: the listener stops
    EXPECT_EQ(states, (std::vector<int>{PlayState::Transitioning, PlayState::Buffering,
                                        PlayState::Stopped}));
    EXPECT_FALSE(engine.playing);
    EXPECT_EQ(engine.opened.size(), 1) << "the next entry was not opened behind its back";
}

TEST_F(StreamPlayerTest, VolumeRefusedWithoutAudioIsAppliedLater) {
    engine.acceptsVolume = false;
    player.setVolume(150);
    EXPECT_EQ(player.volume(), 100);
    playStream();
    engine.acceptsVolume = true;
    secondsWithData(1);
    EXPECT_EQ(engine.volume, 100);
}

TEST(StreamPlayerBeforeEngine, AddressAssignedBeforeTheEngineOpensWhenItComes) {
    ManualTicker ticker;
    FakeSteadyClock clock;
    FakeEngine engine;
    FakeSniffer sniffer;
    FakeEngine other;
    StreamPlayer player{ticker, clock};
    std::vector<int> states;
    QObject::connect(&player, &StreamPlayer::playStateChanged,
                     [&](int state) { states.push_back(state); });
    player.setVolume(70);
    player.setURL(QStringLiteral("mms://tv.example/live"));
    EXPECT_EQ(states, std::vector<int>{PlayState::Transitioning});
    EXPECT_EQ(player.url(), QStringLiteral("mms://tv.example/live"));
    player.attach(engine, sniffer);
    ASSERT_EQ(engine.opened, QStringList{QStringLiteral("mms://tv.example/live")});
    engine.report(Event::Playing);
    engine.report(Event::TimeChanged, 10);
    EXPECT_EQ(player.playState(), PlayState::Playing);
    EXPECT_EQ(engine.volume, 70);

    // Stopped before the engine came: nothing opens.
    StreamPlayer stopped{ticker, clock};
    stopped.setURL(QStringLiteral("mms://tv.example/live"));
    stopped.stop();
    stopped.attach(other, sniffer);
    EXPECT_TRUE(other.opened.isEmpty());
    EXPECT_EQ(stopped.playState(), PlayState::Stopped);
}

TEST_F(StreamPlayerTest, MuteAndVolumeReachTheEngineAndVolumeChangesAreNotified) {
    std::vector<int> volumes;
    QObject::connect(&player, &StreamPlayer::volumeChanged,
                     [&](int volume) { volumes.push_back(volume); });
    player.setVolume(80);
    player.setVolume(80);  // no change: no notice
    player.setVolume(-5);  // bounded
    player.setVolume(-20); // still 0: no notice
    EXPECT_EQ(volumes, (std::vector<int>{80, 0}));

    // Muting refused without an audio output holds, and reaches the engine once audio is there.
    engine.acceptsVolume = false;
    player.setMuted(true);
    EXPECT_TRUE(player.isMuted());
    EXPECT_FALSE(engine.muted);
    playStream();
    engine.acceptsVolume = true;
    secondsWithData(1);
    EXPECT_TRUE(engine.muted);
    player.setMuted(false);
    EXPECT_FALSE(engine.muted);
    EXPECT_EQ(engine.volume, 0) << "unmuting keeps the volume";
}

TEST(StreamPlayerBeforeEngine, ChoicesMadeBeforeTheEngineReachItWhenItComes) {
    ManualTicker ticker;
    FakeSteadyClock clock;
    FakeEngine engine;
    FakeSniffer sniffer;
    StreamPlayer player{ticker, clock};
    player.setMuted(true);
    player.attach(engine, sniffer);
    // The mute goes with the volume, once something plays.
    player.setURL(QStringLiteral("mms://tv.example/live"));
    engine.report(Event::Playing);
    EXPECT_TRUE(engine.muted);
}
