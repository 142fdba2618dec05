#include "lock/ParentalLock.h"

#include "catalogue/Catalogue.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/ScriptedPasswordPrompt.h"

#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

namespace orvanto {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// The gate in front of a real failover player.
struct GateRig {
    GateRig() {
        catalogue.AddStreamUrl(s("MEGA"), s("mms://mega.example/live"));
        catalogue.AddStreamUrl(s("ADULT 7"), s("mms://a7.example/one"));
        catalogue.AddStreamUrl(s("ADULT 7"), s("http://a7.example:8080/"));
        catalogue.AddStreamUrl(s("ADULT 7"), s("mms://a7.example/three"));
        player.stateOnOpen = PlayState::Playing;
    }

    // Plays MEGA to acceptance, so that there is a station for a refusal to leave alone.
    void playMega() {
        failover.SelectStation(s("MEGA"), 0);
        ticker.tickUntilStopped();
        ASSERT_TRUE(failover.StationPlaying());
    }

    Catalogue catalogue;
    test::FakePlayer player;
    test::ManualTicker ticker;
    test::RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    test::ScriptedPasswordPrompt prompt;
    ParentalLock lock{prompt, messages, failover};
};

TEST(ParentalLock, RightPasswordPlaysTheStationFromTheFirstSlot) {
    GateRig rig;
    rig.prompt.answer = s("88");
    rig.lock.OpenAdultStation(s("ADULT 7"));

    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_EQ(rig.prompt.questions[0].prompt, s("Parakalo Doste edo to Passwort "));
    EXPECT_EQ(rig.prompt.questions[0].title, s("Prosoxi: Mono pano apo 18!"));
    EXPECT_TRUE(rig.prompt.questions[0].defaultText.isEmpty());

    EXPECT_EQ(rig.player.openedUrls, QStringList{s("mms://a7.example/one")});
    rig.ticker.tickUntilStopped();
    ASSERT_TRUE(rig.failover.CurrentStation().has_value());
    EXPECT_EQ(rig.failover.CurrentStation()->Name, s("ADULT 7"));
    EXPECT_EQ(rig.failover.CurrentUrlIndex(), 0);
    EXPECT_TRUE(rig.messages.messages.empty());
}

// A wrong answer (nullopt: the prompt was cancelled) shows the error box and changes nothing.
class WrongAnswer : public testing::TestWithParam<std::optional<QString>> {};

TEST_P(WrongAnswer, ShowsTheErrorBoxAndLeavesThePlayingStationAlone) {
    GateRig rig;
    rig.playMega();
    const QStringList openedBefore = rig.player.openedUrls;
    const int stopsBefore = rig.player.stopCount;

    rig.prompt.answer = GetParam();
    rig.lock.OpenAdultStation(s("ADULT 7"));

    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].title, s("Lathos"));
    EXPECT_EQ(rig.messages.messages[0].text, s("Lathos Passwort "));
    EXPECT_EQ(rig.messages.messages[0].icon, MessageSink::Icon::None);

    EXPECT_EQ(rig.player.openedUrls, openedBefore);
    EXPECT_EQ(rig.player.stopCount, stopsBefore);
    EXPECT_EQ(rig.player.playState(), PlayState::Playing);
    EXPECT_FALSE(rig.failover.isTrying());
    EXPECT_FALSE(rig.ticker.isRunning());
    EXPECT_TRUE(rig.failover.StationPlaying());
    EXPECT_EQ(rig.failover.CurrentStation()->Name, s("MEGA"));
}

INSTANTIATE_TEST_SUITE_P(
    ParentalLock, WrongAnswer,
    testing::Values(std::optional<QString>(s(" 88")), std::optional<QString>(s("88 ")),
                    std::optional<QString>(s("088")), std::optional<QString>(s("8")),
                    std::optional<QString>(s("88\n")),
                    std::optional<QString>(QString::fromUtf16(u"\uFF18\uFF18")),
                    std::optional<QString>(QString()), std::optional<QString>()));

// The gate with a recording in place of the player, for what it passes on.
struct RecordingRig {
    test::ScriptedPasswordPrompt prompt;
    test::RecordingMessageSink messages;
    std::vector<std::pair<QString, int>> selected;
    ParentalLock lock{prompt, messages,
                      [this](const QString& name, int slot) { selected.emplace_back(name, slot); }};
};

TEST(ParentalLock, OnlyNamesContainingAdultInAnyCaseAsk) {
    for (const char* name : {"MEGA", "", "ADUL T", "Adul", "AD ULT"}) {
        RecordingRig rig;
        rig.lock.OpenAdultStation(s(name));
        EXPECT_TRUE(rig.prompt.questions.empty()) << name;
        ASSERT_EQ(rig.selected.size(), 1u) << name;
        EXPECT_EQ(rig.selected[0], std::make_pair(s(name), 0));
    }
    for (const char* name : {"aDuLt x", "ADULT 7", "xadulty"}) {
        RecordingRig rig;
        rig.prompt.answer = s("88");
        rig.lock.OpenAdultStation(s(name));
        EXPECT_EQ(rig.prompt.questions.size(), 1u) << name;
        // The name goes on as given, not lower-cased.
        ASSERT_EQ(rig.selected.size(), 1u) << name;
        EXPECT_EQ(rig.selected[0], std::make_pair(s(name), 0));
    }
}

TEST(ParentalLock, RemembersNothingBetweenPresses) {
    RecordingRig rig;
    rig.prompt.answer = s("88");
    rig.lock.OpenAdultStation(s("ADULT 1"));
    rig.lock.OpenAdultStation(s("ADULT 1"));
    EXPECT_EQ(rig.prompt.questions.size(), 2u);
    EXPECT_EQ(rig.selected.size(), 2u);

    // A refusal does not lock the gate either.
    rig.prompt.answer = s("87");
    rig.lock.OpenAdultStation(s("ADULT 1"));
    rig.prompt.answer = s("88");
    rig.lock.OpenAdultStation(s("ADULT 1"));
    EXPECT_EQ(rig.prompt.questions.size(), 4u);
    EXPECT_EQ(rig.selected.size(), 3u);
    EXPECT_EQ(rig.messages.messages.size(), 1u);
}

} // namespace
} // namespace orvanto
