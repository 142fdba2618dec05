#include "guide/GuideMatch.h"

#include "guide/GuideSchedule.h"

#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

ListedChannel listed(const char* name, const char* id = "", const char* tvgName = "") {
    return {s(name), {s(id), s(tvgName), {}}};
}

std::vector<int> keysOf(const std::vector<GuideMatch>& matches) {
    std::vector<int> keys;
    for (const GuideMatch& m : matches) {
        keys.push_back(m.matched() ? static_cast<int>(m.key) + 100 * m.source : 0);
    }
    return keys;
}

TEST(GuideMatch, ByIdExactlyThenIgnoringCaseElseByTvgNameOrNameFoldedAsTheSearchFolds) {
    const GuideChannelIndex guide({{1, s("ERT1.gr"), {s("ΕΡΤ1"), s("ERT 1 HD")}},
                                   {2, s("ert1.GR"), {}},
                                   {3, s("skai.gr"), {s("ΣΚΑΪ")}},
                                   {4, s("Mega.gr"), {s("Mega Channel")}}});
    const std::vector<GuideMatch> matches = matchChannels(
        {listed("x", "ert1.GR"),            // exactly: 2, though 1 matches ignoring case
         listed("x", "ERT1.GR"),            // ignoring case: the first such, 1
         listed("x", "MEGA.GR"),            // 4
         listed("Whatever", "", "σκαι"),    // tvg-name, case and accents folded: 3
         listed("ert 1 hd"),                // the name itself: 1
         listed("Mega Channel", "nope.gr"), // an id that matches nothing, then the name: 4
         listed("Alpha", "", "")},
        {guide});
    EXPECT_EQ(keysOf(matches), (std::vector<int>{2, 1, 4, 3, 1, 4, 0}));
}

TEST(GuideMatch, IdsInEveryGuideComeBeforeNamesAndTheEarlierGuideWins) {
    const GuideChannelIndex first({{1, s("a.tv"), {s("Alpha")}}, {2, s("b.tv"), {s("Beta")}}});
    const GuideChannelIndex second({{7, s("alpha.tv"), {}}, {8, s("b.tv"), {}}});
    const std::vector<GuideMatch> matches = matchChannels(
        {listed("Alpha", "alpha.tv"), listed("Beta", "b.tv"), listed("Gamma")}, {first, second});
    EXPECT_EQ(keysOf(matches), (std::vector<int>{107, 2, 0}));
}

TEST(GuideSchedule, TellsNowAndNextAtAnyTimeAndWhenTheyChange) {
    GuideSchedule schedule(3);
    schedule.add(1, {{100, 200, s("One")}, {200, 300, s("Two")}, {400, 500, s("After a gap")}});
    schedule.add(3, {});
    EXPECT_EQ(schedule.matchedCount(), 2);
    EXPECT_TRUE(schedule.matched(3));
    EXPECT_FALSE(schedule.matched(2));

    auto titles = [&](int channel, qint64 time) {
        const GuideSchedule::NowNext nn = schedule.at(channel, time);
        return QStringList{nn.now ? nn.now->title : s("-"), nn.next ? nn.next->title : s("-")};
    };
    EXPECT_EQ(titles(1, 50), (QStringList{s("-"), s("One")}));
    EXPECT_EQ(titles(1, 100), (QStringList{s("One"), s("Two")}));
    EXPECT_EQ(titles(1, 199), (QStringList{s("One"), s("Two")}));
    EXPECT_EQ(titles(1, 200), (QStringList{s("Two"), s("After a gap")}));
    EXPECT_EQ(titles(1, 350), (QStringList{s("-"), s("After a gap")}));
    EXPECT_EQ(titles(1, 500), (QStringList{s("-"), s("-")}));
    EXPECT_EQ(titles(3, 150), (QStringList{s("-"), s("-")}));
    EXPECT_EQ(titles(2, 150), (QStringList{s("-"), s("-")}));

    EXPECT_EQ(schedule.nextChange(150), 200);
    EXPECT_EQ(schedule.nextChange(300), 400);
    EXPECT_EQ(schedule.nextChange(500), 0);
    // All its programmes are known: the schedule never runs out.
    EXPECT_EQ(schedule.validUntil(), 0);
}

TEST(GuideSchedule, AChannelFilledToTheDepthRunsOutWhenItsLastButOneEnds) {
    GuideSchedule schedule(2);
    std::vector<ProgrammeSlot> full;
    for (int i = 0; i < GuideSchedule::Depth + 3; ++i) {
        full.push_back({1000 + i * 100, 1100 + i * 100, QString::number(i)});
    }
    schedule.add(2, full);
    const qint64 until = 1000 + (GuideSchedule::Depth - 1) * 100;
    EXPECT_EQ(schedule.validUntil(), until);
    // Right up to then, now and next are both known.
    const GuideSchedule::NowNext last = schedule.at(2, until - 1);
    ASSERT_TRUE(last.now && last.next);
    EXPECT_EQ(last.next->title, QString::number(GuideSchedule::Depth - 1));
}

} // namespace
} // namespace orvanto::test
