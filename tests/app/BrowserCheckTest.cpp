// The browser's check of the list on show, on probes the test answers: progress, the counts
// beside each channel, the result kept for the next run, and the check dropped with its list.

#include "app/BrowserCheck.h"

#include "catalogue/Catalogue.h"
#include "check/ListCheck.h"
#include "playback/FailoverPlayer.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/FakeProbe.h"
#include "support/FakeSteadyClock.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "window/ChannelBrowser.h"
#include "window/ChannelListModel.h"
#include "window/Form1.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// "Kanali 1" has a dead then a live address, "Kanali 2" two dead ones, "Kanali 3" one live one;
// the locked station comes after them.
StationRegistrations stations() {
    return {[](Catalogue& c) {
                c.AddStreamUrl(s("Kanali 1"), s("http://one.example.com/dead"));
                c.AddStreamUrl(s("Kanali 1"), s("http://one.example.com/live"));
                c.AddStreamUrl(s("Kanali 2"), s("http://two.example.com/a"));
                c.AddStreamUrl(s("Kanali 2"), s("http://two.example.com/b"));
                c.AddStreamUrl(s("Kanali 3"), s("http://three.example.com/live"));
            },
            [](Catalogue& c) { c.AddStreamUrl(s("Locked"), s("http://locked.example.com/")); }};
}

class BrowserCheckTest : public ::testing::Test {
protected:
    BrowserCheckTest() {
        form.load(stations());
        binder.showList(s("/lists/mine.m3u"));
        form.openChannelBrowser();
    }

    ChannelBrowser& browser() { return *form.channelBrowser(); }
    QPushButton* checkButton() { return browser().findChild<QPushButton*>(s("channelCheck")); }
    QProgressBar* progress() { return browser().findChild<QProgressBar*>(s("checkProgress")); }
    QLabel* result() { return browser().findChild<QLabel*>(s("checkResult")); }
    // The "Working" cell of `name`'s row.
    QString working(const QString& name) {
        ChannelListModel& model = browser().model();
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.stationName(row) == name) {
                return model.index(row, ChannelListModel::PlaysColumn).data().toString();
            }
        }
        return s("(no row)");
    }
    // Answers every address: those ending in "live" play, the others are refused.
    void answerAll() {
        while (!probes.running.isEmpty()) {
            const QString address = probes.running.begin().key();
            probes.answer(address, address.endsWith(s("live")) ? Verdict::Kind::Plays
                                                               : Verdict::Kind::Refused);
        }
        QCoreApplication::processEvents(); // the check ends after its last verdict
    }

    QTemporaryDir cacheDir;
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker failoverTicker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, failoverTicker, messages};
    Form1 form{catalogue, failover, player, nullptr};
    FakeProbes probes;
    ManualTicker timeouts;
    FakeSteadyClock steady;
    FakeClock clock{QDateTime(QDate(2026, 12, 8), QTime(21, 30))};
    ListCheck check{probes.factory(), timeouts, steady, clock, CheckRun::Options{2, 15000}};
    BrowserCheck binder{form, catalogue, check, CheckCache(cacheDir.filePath(s("checks")))};
};

TEST_F(BrowserCheckTest, CheckShowsProgressThenEachChannelsWorkingAddresses) {
    EXPECT_EQ(working(s("Kanali 1")), QString()); // never checked
    EXPECT_TRUE(result()->isHidden());

    checkButton()->click();
    // Two at a time, the list's channels only: the locked station is not the list's.
    EXPECT_EQ(probes.started,
              (QStringList{s("http://one.example.com/dead"), s("http://one.example.com/live")}));
    EXPECT_FALSE(progress()->isHidden());
    EXPECT_EQ(progress()->maximum(), 5);
    EXPECT_EQ(checkButton()->text(), s("Stop check"));

    probes.answer(s("http://one.example.com/live"), Verdict::Kind::Plays);
    EXPECT_EQ(progress()->value(), 1);
    EXPECT_EQ(progress()->text(), s("1 of 5 addresses checked, 1 play"));
    answerAll();

    EXPECT_FALSE(check.isRunning());
    EXPECT_EQ(probes.started.size(), 5);
    EXPECT_FALSE(probes.started.contains(s("http://locked.example.com/")));
    EXPECT_TRUE(progress()->isHidden());
    EXPECT_EQ(checkButton()->text(), s("Check"));
    EXPECT_EQ(working(s("Kanali 1")), s("1/2"));
    EXPECT_EQ(working(s("Kanali 2")), s("0/2"));
    EXPECT_EQ(working(s("Kanali 3")), s("1/1"));
    EXPECT_FALSE(result()->isHidden());
    EXPECT_TRUE(result()->text().contains(s("2 of 3 channels play")));
    EXPECT_TRUE(result()->text().contains(s("21:30")));
    // The station that plays (none here) was never touched: the check has players of its own.
    EXPECT_TRUE(player.openedUrls.isEmpty());
}

TEST_F(BrowserCheckTest, TheResultIsShownAgainWhenTheListIsOpenedInALaterRun) {
    checkButton()->click();
    answerAll();

    // Another list on show: its own (no) result; back to the first: its result, with its date.
    binder.showList(s("http://lists.example.com/other.m3u"));
    EXPECT_EQ(working(s("Kanali 1")), QString());
    EXPECT_TRUE(result()->isHidden());
    binder.showList(s("/lists/mine.m3u"));
    EXPECT_EQ(working(s("Kanali 1")), s("1/2"));

    // A later run: a new window and binder on the same cache.
    Form1 later{catalogue, failover, player, nullptr};
    later.load(stations());
    BrowserCheck laterBinder{later, catalogue, check, CheckCache(cacheDir.filePath(s("checks")))};
    laterBinder.showList(s("/lists/mine.m3u"));
    later.openChannelBrowser();
    ChannelListModel& model = later.channelBrowser()->model();
    EXPECT_EQ(model.index(2, ChannelListModel::PlaysColumn).data().toString(), s("1/1"));
    EXPECT_EQ(laterBinder.summary().checked,
              QDateTime(QDate(2026, 12, 8), QTime(21, 30)).toLocalTime());
    auto* label = later.channelBrowser()->findChild<QLabel*>(s("checkResult"));
    EXPECT_TRUE(label->text().contains(s("2 of 3 channels play")));
}

TEST_F(BrowserCheckTest, StoppingOrReplacingTheListDropsTheCheckAndKeepsTheLastResult) {
    checkButton()->click();
    answerAll();
    const QString before = working(s("Kanali 1"));

    checkButton()->click();
    ASSERT_TRUE(check.isRunning());
    checkButton()->click(); // "Stop check"
    EXPECT_FALSE(check.isRunning());
    EXPECT_TRUE(probes.running.isEmpty()); // the probes were cancelled
    EXPECT_EQ(checkButton()->text(), s("Check"));
    EXPECT_TRUE(progress()->isHidden());
    EXPECT_EQ(working(s("Kanali 1")), before);

    // Another list while a check runs: the check is of the old list and ends unreported.
    checkButton()->click();
    ASSERT_TRUE(check.isRunning());
    binder.showList(s("/lists/next.m3u"));
    EXPECT_FALSE(check.isRunning());
    EXPECT_TRUE(probes.running.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(checkButton()->text(), s("Check"));
    EXPECT_EQ(working(s("Kanali 1")), QString());
}

TEST_F(BrowserCheckTest, AnAddressThatNeverAnswersTimesOutAndTheCheckStillEnds) {
    checkButton()->click();
    probes.answer(s("http://one.example.com/dead"), Verdict::Kind::Refused);
    steady.advance(15000);
    // Every address still running is given up at its time limit, one tick after another.
    for (int i = 0; i < 5 && check.isRunning(); ++i) {
        timeouts.tick();
        steady.advance(15000);
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(check.isRunning());
    EXPECT_EQ(working(s("Kanali 1")), s("0/2"));
    EXPECT_EQ(working(s("Kanali 3")), s("0/1"));
}

} // namespace
} // namespace orvanto::test
