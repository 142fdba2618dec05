// The parental lock and the ADULT buttons on the real window, with the built-in stations.

#include "ViewerFixture.h"

#include <optional>
#include <utility>
#include <vector>

namespace orvanto::test {
namespace {

// The ADULT buttons of the window's grid; the control names do not follow the stations.
const std::vector<std::pair<const char*, const char*>> kAdultButtons = {
    {"command100", "ADULT 1"}, {"Command1", "ADULT 2"},   {"Command3", "ADULT 3"},
    {"Command4", "ADULT 4"},   {"Command5", "ADULT 5"},   {"Command6", "ADULT 6"},
    {"Command8", "ADULT 7"},   {"Command9", "ADULT 8"},   {"Command10", "ADULT 9"},
    {"Command11", "ADULT 10"}, {"Command12", "ADULT 11"}, {"Command13", "ADULT 12"},
};

using ViewerLock = ViewerTest;

TEST_F(ViewerLock, EveryControlOfTheWindowIsBound) {
    EXPECT_TRUE(unbound.isEmpty()) << unbound.join(s(", ")).toStdString();
}

TEST_F(ViewerLock, EveryAdultButtonAsksAndPlaysItsOwnStation) {
    prompt.answer = s("88");
    player.stateOnOpen = PlayState::Playing;
    for (const auto& [name, station] : kAdultButtons) {
        auto* button = qobject_cast<QAbstractButton*>(control(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_TRUE(button->isVisible()) << name;
        EXPECT_TRUE(reachable(button)) << name;
        EXPECT_EQ(button->text(), s(station)) << name;
        const size_t asked = prompt.questions.size();
        const qsizetype opened = player.openedUrls.size();

        click(button);
        ASSERT_EQ(prompt.questions.size(), asked + 1) << name;
        const auto& question = prompt.questions.back();
        EXPECT_EQ(question.prompt, s("Parakalo Doste edo to Passwort ")) << name;
        EXPECT_EQ(question.title, s("Prosoxi: Mono pano apo 18!")) << name;
        EXPECT_EQ(question.defaultText, QString()) << name;
        ASSERT_GT(player.openedUrls.size(), opened) << name;
        EXPECT_EQ(player.openedUrls[opened], firstAddress(s(station))) << name;
        failoverTicker.tickUntilStopped(100);
        ASSERT_TRUE(failover.StationPlaying()) << name;
        EXPECT_EQ(failover.CurrentStation()->Name, s(station)) << name;
        EXPECT_EQ(failover.CurrentUrlIndex(), 0) << name;
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(ViewerLock, AWrongAnswerLeavesThePlayingStation) {
    playStationOfButton(0);
    const QString station = failover.CurrentStation()->Name;
    const QStringList urls = player.openedUrls;
    const std::vector<std::optional<QString>> answers = {s(""),    s("88 "), s(" 88"),
                                                         s("088"), s("8"),   std::nullopt};
    for (size_t i = 0; i < answers.size(); ++i) {
        prompt.answer = answers[i];
        click(kAdultButtons[i % kAdultButtons.size()].first);
        ASSERT_EQ(messages.messages.size(), i + 1);
        EXPECT_EQ(messages.messages.back().title, s("Lathos"));
        EXPECT_EQ(messages.messages.back().text, s("Lathos Passwort "));
        EXPECT_EQ(messages.messages.back().icon, MessageSink::Icon::None);
    }
    EXPECT_EQ(prompt.questions.size(), answers.size());
    EXPECT_EQ(player.openedUrls, urls);
    EXPECT_TRUE(failover.StationPlaying());
    EXPECT_EQ(failover.CurrentStation()->Name, station);
    EXPECT_FALSE(failover.isTrying());
}

TEST_F(ViewerLock, RegularStationButtonsNeverAsk) {
    for (int i = 0; i < StationPages::ButtonCount; ++i) {
        auto* button = qobject_cast<QAbstractButton*>(control("sender_waehlen", i));
        ASSERT_TRUE(button->isVisible()) << i;
        click(button);
        EXPECT_EQ(player.URL(), firstAddress(button->text())) << i;
    }
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_TRUE(messages.messages.empty());
}

} // namespace
} // namespace orvanto::test
