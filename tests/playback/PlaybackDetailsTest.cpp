// What the player tells of the media beyond its state: the stream's title, the picture, the
// tracks and qualities, and the choices that hold across a channel's addresses.

#include "playback/PlaybackDetails.h"

#include "playback/PlayState.h"
#include "playback/StreamPlayer.h"
#include "playback/TrackChoices.h"
#include "support/FakeEngine.h"
#include "support/FakeSniffer.h"
#include "support/FakeSteadyClock.h"
#include "support/FakeVariantProbe.h"
#include "support/ManualTicker.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;

namespace {

using Event = PlayerEngine::Event;
using Kind = Sniffer::Result::Kind;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class PlaybackDetailsTest : public ::testing::Test {
protected:
    void SetUp() override {
        rules.attach(engine, sniffer);
        details.attach(engine, &variants);
    }

    // `url` plays, with video when `video`.
    void plays(const QString& url, bool video = true) {
        rules.setURL(url);
        ASSERT_TRUE(sniffer.decide(Kind::Stream));
        engine.report(Event::Playing);
        engine.report(Event::TimeChanged, 100);
        if (video) {
            engine.report(Event::Vout, 1);
        }
        ASSERT_EQ(rules.playState(), PlayState::Playing);
    }

    FakeEngine engine;
    FakeSniffer sniffer;
    FakeVariantProbe variants;
    ManualTicker ticker;
    FakeSteadyClock clock;
    StreamPlayer rules{ticker, clock};
    PlaybackDetails details{rules};
};

} // namespace

TEST_F(PlaybackDetailsTest, TheStreamsTitleFollowsItsChangesAndGoesWithTheStream) {
    QSignalSpy titles(&details, &PlaybackDetails::nowPlayingChanged);
    plays(s("http://radio.example/live"), false);
    engine.reportTitle(s("First Song"));
    engine.reportTitle(s("First Song")); // the same again: no news
    engine.reportTitle(s("Second Song"));
    EXPECT_EQ(details.nowPlaying(), s("Second Song"));
    ASSERT_EQ(titles.count(), 2);
    EXPECT_EQ(titles.at(1).at(0).toString(), s("Second Song"));

    // Another address: the old title does not stay on show while the new one opens.
    rules.setURL(s("http://radio.example/other"));
    EXPECT_EQ(details.nowPlaying(), QString());
    plays(s("http://radio.example/third"), false);
    engine.reportTitle(s("Third Song"));
    rules.stop();
    EXPECT_EQ(details.nowPlaying(), QString());
}

TEST_F(PlaybackDetailsTest, APictureShowsOnlyWhileVideoPlays) {
    QSignalSpy pictures(&details, &PlaybackDetails::pictureChanged);
    plays(s("http://radio.example/live"), false);
    EXPECT_FALSE(details.showsPicture()) << "sound alone shows no picture";

    rules.setURL(s("http://tv.example/live"));
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    engine.report(Event::Playing);
    engine.report(Event::Vout, 1); // an output, and with it the proof that it plays
    EXPECT_TRUE(details.showsPicture());
    engine.report(Event::Vout, 0);
    EXPECT_FALSE(details.showsPicture()) << "the picture ended";
    engine.report(Event::Vout, 1);
    EXPECT_TRUE(details.showsPicture());

    // Stopped: no picture.
    rules.stop();
    EXPECT_FALSE(details.showsPicture());
    EXPECT_EQ(pictures.count(), 4);
}

TEST_F(PlaybackDetailsTest, AChosenTrackIsFoundAgainByNameThenByPlace) {
    plays(s("http://tv.example/a"));
    const QList<MediaTrack> tracks{{1, s("Track 1 - [English]")}, {2, s("Track 2 - [Greek]")}};
    engine.reportTracks(tracks, {{5, s("Track 3 - [English]")}});
    details.chooseTrack(TrackKind::Audio, 2);
    details.chooseTrack(TrackKind::Subtitle, MediaTrack::Off);
    EXPECT_EQ(engine.audioTrack, 2);

    // A restart of the same channel: new ids, the same names. The tracks arrive one by one.
    plays(s("http://tv.example/a"));
    engine.trackSets.clear();
    engine.audioTrack = 10;
    engine.subtitleTrack = 14;
    engine.reportTracks({{10, s("Track 1 - [English]")}}, {{14, s("Track 3 - [English]")}});
    EXPECT_EQ(engine.audioTrack, 10) << "the chosen track is not there yet";
    EXPECT_EQ(engine.subtitleTrack, MediaTrack::Off) << "subtitles stay off";
    engine.reportTracks({{10, s("Track 1 - [English]")}, {11, s("Track 2 - [Greek]")}},
                        {{14, s("Track 3 - [English]")}});
    EXPECT_EQ(engine.audioTrack, 11);
    engine.reportTracks({{10, s("Track 1 - [English]")}, {11, s("Track 2 - [Greek]")}},
                        {{14, s("Track 3 - [English]")}});
    EXPECT_EQ(engine.trackSets, (QList<int>{MediaTrack::Off, 11})) << "nothing set twice";

    // Another address of the channel names its tracks otherwise: the place counts.
    plays(s("http://tv.example/b"));
    engine.reportTracks({{20, s("Audio 1")}, {21, s("Audio 2")}});
    EXPECT_EQ(engine.audioTrack, 21);

    // Another channel: the choices are dropped.
    details.forgetChoices();
    plays(s("http://tv.example/c"));
    engine.audioTrack = 30;
    engine.reportTracks({{30, s("Audio 1")}, {31, s("Audio 2")}});
    EXPECT_EQ(engine.audioTrack, 30);
}

TEST_F(PlaybackDetailsTest, QualitiesOfAnAdaptiveStreamAndTheChoiceReopeningIt) {
    plays(s("http://radio.example/live"), false);
    EXPECT_TRUE(variants.started.isEmpty()) << "only HLS and DASH addresses are looked at";

    plays(s("http://tv.example/hls/master.m3u8?token=1"));
    ASSERT_EQ(variants.started.size(), 1);
    ASSERT_TRUE(variants.answer({720, 360}));
    EXPECT_EQ(details.qualities(), (QList<int>{720, 360}));
    EXPECT_EQ(details.quality(), 0);

    QSignalSpy states(&rules, &StreamPlayer::playStateChanged);
    const qsizetype opened = engine.opened.size();
    details.chooseQuality(360);
    EXPECT_EQ(engine.maxHeight, 360);
    // Meanwhile it reads as reconnecting, which the failover player lets be.
    ASSERT_EQ(states.count(), 1);
    EXPECT_EQ(states.at(0).at(0).toInt(), PlayState::Buffering);
    // It is opened as any address is: looked at, then handed to the engine.
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    ASSERT_EQ(engine.opened.size(), opened + 1) << "the stream opens again with the choice";
    EXPECT_EQ(engine.opened.last(), s("http://tv.example/hls/master.m3u8?token=1"));
    EXPECT_EQ(details.qualities(), (QList<int>{720, 360})) << "no second look";
    EXPECT_EQ(variants.started.size(), 1);
    engine.report(Event::Playing);
    engine.report(Event::TimeChanged, 100);
    EXPECT_EQ(rules.playState(), PlayState::Playing);

    details.chooseQuality(360); // the same: nothing to do
    EXPECT_EQ(engine.opened.size(), opened + 1);
    EXPECT_TRUE(variants.startedHeaders.value(0).isEmpty());

    // The choice holds for the channel's next address, and goes with the channel.
    plays(s("http://tv2.example/live.mpd"));
    EXPECT_EQ(engine.maxHeight, 360);
    EXPECT_TRUE(details.qualities().isEmpty()) << "the new stream's are not known yet";
    details.forgetChoices();
    EXPECT_EQ(engine.maxHeight, 0);
    EXPECT_EQ(details.quality(), 0);
}

// A server that wants the channel's headers for its stream wants them for its playlist too.
TEST_F(PlaybackDetailsTest, TheLookAtTheQualitiesCarriesTheChannelsHeaders) {
    HttpHeaders headers;
    headers.set(HttpHeaders::Header::UserAgent, s("Agent"));
    headers.set(HttpHeaders::Header::Referer, s("https://tv.example/"));
    rules.setURL(StreamAddress(s("http://tv.example/hls/master.m3u8"), headers));
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    ASSERT_EQ(variants.startedHeaders.size(), 1);
    EXPECT_EQ(variants.startedHeaders[0], headers);
}

TEST(TrackChoices, SubtitlesOffAndUnknownIdsAndClearing) {
    TrackChoices choices;
    const QList<MediaTrack> tracks{{3, QStringLiteral("A")}, {4, QStringLiteral("B")}};
    EXPECT_FALSE(choices.pick(TrackKind::Audio, tracks));
    choices.choose(TrackKind::Audio, tracks, 99); // not a track of the list
    EXPECT_TRUE(choices.isEmpty());
    choices.choose(TrackKind::Audio, tracks, MediaTrack::Off); // audio cannot be turned off
    EXPECT_TRUE(choices.isEmpty());
    choices.choose(TrackKind::Subtitle, {}, MediaTrack::Off);
    EXPECT_EQ(choices.pick(TrackKind::Subtitle, tracks), MediaTrack::Off);
    EXPECT_FALSE(choices.pick(TrackKind::Audio, tracks));
    choices.choose(TrackKind::Audio, tracks, 4);
    EXPECT_EQ(choices.pick(TrackKind::Audio, {{7, QStringLiteral("X")}}), std::nullopt)
        << "neither its name nor its place";
    choices.setMaxHeight(-5);
    EXPECT_EQ(choices.maxHeight(), 0);
    choices.clear();
    EXPECT_TRUE(choices.isEmpty());
}
