#include "playback/FailoverPlayer.h"

#include "catalogue/Catalogue.h"
#include "playback/PlayState.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>

using namespace orvanto;
using orvanto::test::FakePlayer;
using orvanto::test::ManualTicker;
using orvanto::test::RecordingMessageSink;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class FailoverTest : public ::testing::Test {
protected:
    FailoverTest() {
        QObject::connect(&failover, &FailoverPlayer::statusTextChanged,
                         [this](const QString& text) { labels << text; });
        // Each address plays out the state it is given here; others stay opening.
        player.onOpen = [this](const QString& url) {
            auto it = outcome.find(url);
            if (it != outcome.end()) {
                player.setState(it->second);
            }
        };
    }

    void addStation(const QString& name, const QStringList& urls) {
        for (const QString& url : urls) {
            catalogue.AddStreamUrl(name, url);
        }
    }

    // Ticks until the attempt ends; returns the number of ticks.
    int runAttempt() { return ticker.tickUntilStopped(); }

    Catalogue catalogue;
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    std::map<QString, int> outcome;
    QStringList labels;
};

TEST_F(FailoverTest, FirstAddressThatPlaysIsAcceptedAfterFivePlayingReadings) {
    addStation(s("MEGA"), {s("u0"), s("u1")});
    outcome[s("u0")] = PlayState::Playing;
    failover.SelectStation(s("MEGA"), 0);
    EXPECT_FALSE(failover.StationPlaying());
    // Readings at start and after ticks 1..4 make five; tick 5 ends the loop.
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(ticker.tick());
    }
    EXPECT_FALSE(failover.StationPlaying());
    ASSERT_TRUE(ticker.tick());
    EXPECT_TRUE(failover.StationPlaying());
    EXPECT_FALSE(ticker.isRunning());
    EXPECT_EQ(failover.CurrentUrlIndex(), 0);
    ASSERT_TRUE(failover.CurrentStation().has_value());
    EXPECT_EQ(failover.CurrentStation()->Name, s("MEGA"));
    EXPECT_EQ(failover.CurrentStation()->LastUrlIndex, 1);
    EXPECT_EQ(player.openedUrls, QStringList{s("u0")});
    // Playing ticks do not count against the limit: e stays at 0.
    EXPECT_EQ(labels.last(), s("u0 0 0"));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FailoverTest, PlayingReadingsNeedNotBeConsecutiveAndBufferingCountsAgainstTheLimit) {
    addStation(s("NET"), {s("u0")});
    failover.SelectStation(s("NET"), 0);
    const int sequence[] = {PlayState::Playing,   PlayState::Buffering, PlayState::Playing,
                            PlayState::Buffering, PlayState::Playing,   PlayState::Playing};
    // The first reading was made at once with the player opening (e = 1).
    for (int state : sequence) {
        player.setState(state);
        ASSERT_TRUE(ticker.tick());
    }
    EXPECT_FALSE(failover.StationPlaying());
    EXPECT_EQ(labels.last(), s("u0 0 3")); // one opening and two buffering readings
    player.setState(PlayState::Playing);
    ASSERT_TRUE(ticker.tick()); // the fifth playing reading
    EXPECT_FALSE(failover.StationPlaying());
    ASSERT_TRUE(ticker.tick());
    EXPECT_TRUE(failover.StationPlaying());
}

TEST_F(FailoverTest, FourAddressesOnlyTheThirdPlays) {
    addStation(s("ALPHA"), {s("u0"), s("u1"), s("u2"), s("u3")});
    outcome[s("u0")] = PlayState::Ready;   // refused at once
    outcome[s("u2")] = PlayState::Playing; // u1 never opens
    failover.SelectStation(s("ALPHA"), 0);
    const int ticks = runAttempt();
    EXPECT_TRUE(failover.StationPlaying());
    EXPECT_EQ(failover.CurrentUrlIndex(), 2);
    EXPECT_EQ(player.openedUrls, (QStringList{s("u0"), s("u1"), s("u2")}));
    // u0: its one reading and a tick; u1: 25 readings; u2: 5 readings, then the closing tick.
    EXPECT_EQ(ticks, 1 + 25 + 5);
    EXPECT_TRUE(labels.contains(s("u0 0 26")));
    EXPECT_TRUE(labels.contains(s("u1 0 25")));
    EXPECT_FALSE(labels.contains(s("u1 0 26")));
}

TEST_F(FailoverTest, ReadyEndsTheAddressAfterItsTick) {
    addStation(s("ET1"), {s("u0"), s("u1")});
    failover.SelectStation(s("ET1"), 0);
    ASSERT_TRUE(ticker.tick());
    player.setState(PlayState::Ready);
    ASSERT_TRUE(ticker.tick()); // this reading sees Ready: e = 26
    EXPECT_EQ(labels.last(), s("u0 0 26"));
    EXPECT_EQ(player.openedUrls, QStringList{s("u0")});
    ASSERT_TRUE(ticker.tick()); // the wait after it is over: next address
    EXPECT_EQ(player.openedUrls, (QStringList{s("u0"), s("u1")}));
}

TEST_F(FailoverTest, OneAddressThatFailsShowsTheFailureMessage) {
    addStation(s("Sport TV"), {s("u0")});
    addStation(s("MEGA 1"), {s("m0")});
    outcome[s("m0")] = PlayState::Playing;
    failover.SelectStation(s("MEGA 1"), 0);
    runAttempt();
    ASSERT_TRUE(failover.StationPlaying());

    player.packets = 42;
    failover.SelectStation(s("Sport TV"), 0);
    EXPECT_EQ(runAttempt(), 25);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, s("Lathos"));
    EXPECT_EQ(messages.messages[0].text, s("Kanali 'Sport TV' Distixos den litourgoi"));
    EXPECT_EQ(messages.messages[0].icon, MessageSink::Icon::Exclamation);
    EXPECT_EQ(labels.last(), s("u0 42 25"));
    EXPECT_FALSE(failover.StationPlaying());
    EXPECT_EQ(failover.CurrentStation()->Name, s("MEGA 1")); // the last success stays
    EXPECT_EQ(player.openedUrls.last(), s("u0"));            // left as the attempt left it
}

TEST_F(FailoverTest, UnknownStationShowsMessageAndLeavesPlayerAlone) {
    failover.SelectStation(s("Zagros TV"), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, s("Lathos"));
    EXPECT_EQ(messages.messages[0].text, s("Kanali 'Zagros TV' den litourgoi"));
    EXPECT_EQ(messages.messages[0].icon, MessageSink::Icon::Exclamation);
    EXPECT_EQ(player.stopCount, 0);
    EXPECT_TRUE(player.openedUrls.isEmpty());
    EXPECT_FALSE(ticker.isRunning());
}

class PlayingStationTest : public FailoverTest {
protected:
    void SetUp() override {
        addStation(s("STAR"), {s("u0"), s("u1"), s("u2"), s("u3")});
        outcome[s("u2")] = PlayState::Playing;
        outcome[s("u0")] = PlayState::Ready;
        outcome[s("u1")] = PlayState::Ready;
        failover.SelectStation(s("STAR"), 0);
        runAttempt();
        ASSERT_TRUE(failover.StationPlaying());
        ASSERT_EQ(failover.CurrentUrlIndex(), 2);
        player.openedUrls.clear();
        labels.clear();
    }
};

TEST_F(PlayingStationTest, StoppedNotificationOnlyRelabels) {
    player.stop();
    EXPECT_EQ(labels, QStringList{s("1")});
    EXPECT_TRUE(failover.StationPlaying());
    EXPECT_FALSE(ticker.isRunning());
    player.setState(PlayState::Buffering);
    player.setState(PlayState::Playing);
    EXPECT_EQ(labels, (QStringList{s("1"), s("6"), s("3")}));
    EXPECT_TRUE(player.openedUrls.isEmpty());
}

TEST_F(PlayingStationTest, BreakOffRestartsFromTheSlotThatPlayedThenSlotZero) {
    outcome[s("u2")] = PlayState::Ready; // the stream is gone for good now
    outcome[s("u3")] = PlayState::Ready;
    player.setState(PlayState::MediaEnded);
    ASSERT_GE(labels.size(), 2);
    EXPECT_EQ(labels[0], s("8"));
    EXPECT_EQ(labels[1], s("abbruch"));
    EXPECT_FALSE(failover.StationPlaying());
    runAttempt();
    // Slots 2, 3, then slot 0 for each remaining attempt; slot 1 is never tried.
    EXPECT_EQ(player.openedUrls, (QStringList{s("u2"), s("u3"), s("u0"), s("u0")}));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, s("Kanali 'STAR' Distixos den litourgoi"));
}

TEST_F(PlayingStationTest, PausedEndedAndReadyEachRestart) {
    for (int state : {PlayState::Paused, PlayState::MediaEnded, PlayState::Ready}) {
        SCOPED_TRACE(state);
        player.openedUrls.clear();
        labels.clear();
        player.setState(state);
        EXPECT_EQ(labels.value(1), s("abbruch"));
        ASSERT_FALSE(player.openedUrls.isEmpty());
        EXPECT_EQ(player.openedUrls.first(), s("u2"));
        runAttempt(); // u2 plays again
        ASSERT_TRUE(failover.StationPlaying());
    }
}

TEST_F(PlayingStationTest, APauseTheUserAskedForWaitsUntilAnotherChoice) {
    failover.setUserPaused(true);
    player.openedUrls.clear();
    player.setState(PlayState::Paused);
    EXPECT_TRUE(player.openedUrls.isEmpty()) << "not restarted";
    EXPECT_TRUE(failover.StationPlaying());
    player.setState(PlayState::Ready); // broken off while paused: restarted
    EXPECT_EQ(player.openedUrls.value(0), s("u2"));
    runAttempt();

    failover.SelectStation(s("STAR"), 0); // another choice: a pause by itself restarts again
    runAttempt();
    player.openedUrls.clear();
    player.setState(PlayState::Paused);
    EXPECT_FALSE(player.openedUrls.isEmpty());
}

TEST_F(PlayingStationTest, ChoosingTheSameStationAgainStartsFromSlotZero) {
    failover.SelectStation(s("STAR"), 0);
    runAttempt();
    EXPECT_EQ(player.openedUrls, (QStringList{s("u0"), s("u1"), s("u2")}));
    EXPECT_EQ(failover.CurrentUrlIndex(), 2);
}

TEST_F(PlayingStationTest, NotificationsDuringAnAttemptOnlyRelabel) {
    failover.SelectStation(s("STAR"), 0);
    labels.clear();
    player.setState(PlayState::Paused);
    EXPECT_EQ(labels, QStringList{s("2")});
    EXPECT_EQ(player.openedUrls, QStringList{s("u0")});
}

TEST_F(PlayingStationTest, StandDownEndsTheAttemptAndStopsWatchingTheStream) {
    failover.standDown();
    EXPECT_FALSE(failover.StationPlaying());
    player.setURL(s("/opt/orvanto/Cuckoo.wav"));
    player.setState(PlayState::MediaEnded);
    EXPECT_FALSE(labels.contains(s("abbruch")));
    EXPECT_FALSE(ticker.isRunning());

    failover.SelectStation(s("STAR"), 0);
    ASSERT_TRUE(ticker.isRunning());
    failover.standDown();
    EXPECT_FALSE(ticker.isRunning());
    EXPECT_EQ(failover.CurrentStation()->Name, s("STAR"));
}

TEST_F(FailoverTest, NewChoiceDuringAnAttemptSupersedesIt) {
    addStation(s("A"), {s("a0"), s("a1")});
    addStation(s("B"), {s("b0")});
    outcome[s("b0")] = PlayState::Playing;
    failover.SelectStation(s("A"), 0);
    ticker.tick();
    ticker.tick();
    failover.SelectStation(s("B"), 0); // the user changes her mind
    runAttempt();
    EXPECT_TRUE(failover.StationPlaying());
    EXPECT_EQ(failover.CurrentStation()->Name, s("B"));
    EXPECT_TRUE(messages.messages.empty()); // A ended quietly
    EXPECT_EQ(player.openedUrls, (QStringList{s("a0"), s("b0")}));
    // Nothing of A is left to resume.
    EXPECT_FALSE(ticker.tick());
    EXPECT_EQ(player.URL(), s("b0"));
}

TEST_F(FailoverTest, RestartDuringAnotherAttemptDoesNotNest) {
    addStation(s("A"), {s("a0")});
    addStation(s("B"), {s("b0")});
    outcome[s("a0")] = PlayState::Playing;
    failover.SelectStation(s("A"), 0);
    runAttempt();
    failover.SelectStation(s("B"), 0);
    // During B's attempt A's stream state is irrelevant: no restart while trying.
    player.setState(PlayState::Ready);
    EXPECT_FALSE(labels.contains(s("abbruch")));
    runAttempt();
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(failover.CurrentStation()->Name, s("A"));
    EXPECT_FALSE(failover.StationPlaying());
}

// Each address goes to the player with the headers its list asks for, also when the station
// is restarted after a break.
TEST_F(FailoverTest, EachAddressGoesWithItsOwnHeaders) {
    HttpHeaders second;
    second.set(HttpHeaders::Header::UserAgent, s("Agent"));
    catalogue.AddStreamUrl(s("MEGA"), s("u0"));
    catalogue.AddStreamUrl(s("MEGA"), StreamAddress(s("u1"), second));
    outcome[s("u0")] = PlayState::Ready;
    outcome[s("u1")] = PlayState::Playing;
    failover.SelectStation(s("MEGA"), 0);
    runAttempt();
    ASSERT_TRUE(failover.StationPlaying());
    ASSERT_EQ(player.openedUrls, (QStringList{s("u0"), s("u1")}));
    EXPECT_TRUE(player.openedHeaders[0].isEmpty());
    EXPECT_EQ(player.openedHeaders[1], second);

    player.setState(PlayState::Ready); // the stream broke off: the station starts again at u1
    failover.CheckInterruption();
    runAttempt();
    ASSERT_EQ(player.openedUrls.last(), s("u1"));
    EXPECT_EQ(player.openedHeaders.last(), second);
}

TEST_F(FailoverTest, StartSlotPastTheEndTriesSlotZero) {
    addStation(s("A"), {s("a0"), s("a1")});
    failover.SelectStation(s("A"), 5);
    runAttempt();
    EXPECT_EQ(player.openedUrls, (QStringList{s("a0"), s("a0")}));
}

} // namespace

// The channel the player is given to, for the desktop's controls and the browser's row; track
// and quality choices go when another channel is chosen, not when the same one restarts.
TEST_F(PlayingStationTest, TheChannelAndItsChoicesLastUntilAnotherIsChosen) {
    QStringList channels;
    QObject::connect(&failover, &FailoverPlayer::channelChanged,
                     [&channels](const QString& name) { channels << name; });
    EXPECT_EQ(failover.channel(), s("STAR"));
    const int forgotten = player.forgetCount;

    player.setState(PlayState::MediaEnded); // broke off: the same channel restarts
    runAttempt();
    EXPECT_EQ(player.forgetCount, forgotten);
    failover.SelectStation(s("STAR"), 0); // chosen again
    EXPECT_EQ(player.forgetCount, forgotten);
    player.stop(); // stopped, the channel stays the one to play again
    EXPECT_EQ(failover.channel(), s("STAR"));
    EXPECT_TRUE(channels.isEmpty());

    addStation(s("MEGA"), {s("m0")});
    outcome[s("m0")] = PlayState::Ready;
    failover.SelectStation(s("MEGA"), 0);
    EXPECT_EQ(player.forgetCount, forgotten + 1);
    EXPECT_EQ(failover.channel(), s("MEGA"));
    runAttempt(); // nothing of it plays
    EXPECT_EQ(failover.channel(), QString());
    failover.SelectStation(s("STAR"), 0);
    failover.standDown(); // the alarm takes the player
    EXPECT_EQ(channels, (QStringList{s("MEGA"), QString(), s("STAR"), QString()}));
}
