#include "app/ListOpener.h"

#include "catalogue/Catalogue.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"
#include "window/ChannelListModel.h"
#include "window/Form1.h"
#include "window/FormControls.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// `count` channels called "<prefix> n", each with two addresses.
QByteArray channelList(const char* prefix, int count) {
    QByteArray text = "#EXTM3U\n";
    for (int i = 1; i <= count; ++i) {
        const QByteArray name = QByteArray(prefix) + ' ' + QByteArray::number(i);
        for (int a = 1; a <= 2; ++a) {
            text += "#EXTINF:-1 group-title=\"" + QByteArray(prefix) + "\"," + name +
                    "\nhttp://tv.example.com/" + QByteArray(prefix) + "/" + QByteArray::number(i) +
                    "/" + QByteArray::number(a) + "\n";
        }
    }
    return text;
}

StationRegistrations firstList() {
    return {[](Catalogue& c) {
                for (int i = 1; i <= 30; ++i) {
                    c.AddStreamUrl(s("Old %1").arg(i), s("http://old.example.com/%1").arg(i));
                }
            },
            [](Catalogue& c) { c.AddStreamUrl(s("Locked"), s("http://locked.example.com/")); }};
}

class ListOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.load(firstList());
        opener.setLockedStations(firstList(), {s("Locked")});
    }

    QString write(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(s(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // Opens `source` and waits for the answer.
    void open(const QString& source) {
        const size_t messagesBefore = messages.messages.size();
        QSignalSpy opened(&opener, &ListOpener::opened);
        opener.open(source);
        ASSERT_TRUE(waitFor(
            [&] { return opened.size() > 0 || messages.messages.size() > messagesBefore; }, 5000));
    }
    QString button(int i) {
        return form.controls().control(s("sender_waehlen"), i)->property("text").toString();
    }
    void playOld(int k) {
        player.stateOnOpen = PlayState::Playing;
        failover.SelectStation(s("Old %1").arg(k), 0);
        ticker.tickUntilStopped();
        ASSERT_TRUE(failover.StationPlaying());
    }

    QTemporaryDir dir;
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    Form1 form{catalogue, failover, player, nullptr};
    ListOpener opener{catalogue, form, failover, player, messages};
};

TEST_F(ListOpenerTest, AcceptedListReplacesThePagesAndThePlayingStationPlaysOn) {
    playOld(3);
    form.openChannelBrowser();
    form.setFavourites({s("Old 2")});
    const int stops = player.stopCount;
    QSignalSpy opened(&opener, &ListOpener::opened);
    const QString path = write("new.m3u", channelList("New", 120));
    open(path);

    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.at(0).at(0).toString(), path);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(catalogue.StationCount(), 121);
    EXPECT_EQ(catalogue.FindStation(s("Old 3")), Catalogue::NotFound);
    EXPECT_EQ(catalogue.station(121).Name, s("Locked"));
    // The first 90 of the new list on the pages; the old favourites went with the old list.
    EXPECT_TRUE(form.favourites().isEmpty());
    EXPECT_EQ(button(0), s("New 1"));
    EXPECT_EQ(catalogue.station(90).Page, 4);
    EXPECT_EQ(catalogue.station(91).Page, Station::NoPage);
    EXPECT_EQ(form.channelBrowser()->model().rowCount(), 120);
    // Nothing stopped the station that plays.
    EXPECT_EQ(player.stopCount, stops);
    EXPECT_TRUE(failover.StationPlaying());
    EXPECT_EQ(failover.CurrentStation()->Name, s("Old 3"));

    // A new station from the new list plays through the same failover, address by address.
    player.stateOnOpen = PlayState::Transitioning;
    failover.SelectStation(s("New 100"), 0);
    ticker.tickUntilStopped();
    EXPECT_EQ(
        player.openedUrls.mid(player.openedUrls.size() - 2),
        (QStringList{s("http://tv.example.com/New/100/1"), s("http://tv.example.com/New/100/2")}));
}

TEST_F(ListOpenerTest, RejectedListLeavesEverythingAsItWas) {
    playOld(1);
    QSignalSpy opened(&opener, &ListOpener::opened);
    open(write("page.m3u", "<html><body>Login</body></html>"));
    EXPECT_EQ(opened.size(), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.contains(s("not an M3U playlist")));
    EXPECT_TRUE(messages.messages[0].text.contains(s("The channels on show stay")));
    EXPECT_EQ(catalogue.StationCount(), 31);
    EXPECT_EQ(button(0), s("Old 1"));
    EXPECT_TRUE(failover.StationPlaying());

    open(dir.filePath(s("missing.m3u")));
    EXPECT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(catalogue.StationCount(), 31);
}

TEST_F(ListOpenerTest, AnAttemptStillSearchingEndsWithItsList) {
    player.stateOnOpen = PlayState::Transitioning;
    failover.SelectStation(s("Old 30"), 0);
    ASSERT_TRUE(failover.isTrying());
    open(write("new.m3u", channelList("New", 3)));
    EXPECT_FALSE(failover.isTrying());
    // The old attempt's station index would point past the new list: no tick may reach it.
    EXPECT_EQ(ticker.tickUntilStopped(), 0);
    EXPECT_EQ(catalogue.StationCount(), 4);
    // Names the list used for a locked station stay out, with the reader's message.
    open(write("sneaky.m3u", "#EXTINF:-1,Locked\nhttp://x.example.com/\n"
                             "#EXTINF:-1,Fine\nhttp://fine.example.com/\n"));
    EXPECT_EQ(catalogue.FindStation(s("Fine")), 1);
    EXPECT_EQ(catalogue.FindStation(s("Locked")), 2);
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_TRUE(messages.messages.back().text.contains(s("is the name of a locked station")));
}

} // namespace
} // namespace orvanto::test
