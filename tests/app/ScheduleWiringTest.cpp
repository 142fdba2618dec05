// Scheduled recordings in the window: "Record" in the guide's day schedules the programme of the
// list on show, says when the channel shares its server with the one the window plays, and a
// guide that replaces the list's moves what is scheduled with its programme.

#include "app/ScheduleWiring.h"

#include "app/GuideWiring.h"
#include "app/ListOpener.h"
#include "catalogue/Catalogue.h"
#include "catalogue/PlaylistRegistration.h"
#include "guide/GuideService.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "playback/RecordingList.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"
#include "window/Form1.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

using namespace Qt::Literals::StringLiterals;

QDateTime local(int hour, int minute) {
    return QDateTime(QDate(2024, 3, 4), QTime(hour, minute));
}

QByteArray programme(int hour, int minute, int endHour, int endMinute, const char* title) {
    auto time = [](int h, int m) {
        return local(h, m).toUTC().toString(u"yyyyMMddHHmmss"_s).toLatin1() + " +0000";
    };
    return "<programme start=\"" + time(hour, minute) + "\" stop=\"" + time(endHour, endMinute) +
           "\" channel=\"one.tv\"><title>" + title + "</title></programme>\n";
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class ScheduleWiringTest : public ::testing::Test {
protected:
    ScheduleWiringTest() {
        write(files.filePath(u"guide.xml"_s),
              "<tv>" + programme(18, 0, 19, 0, "Morning") + programme(20, 0, 20, 30, "News") +
                  programme(20, 30, 22, 0, "Film") + programme(22, 0, 23, 0, "Late") + "</tv>");
        listPath = files.filePath(u"tv.m3u"_s);
        PlaylistData data;
        data.source = listPath;
        data.location = QUrl::fromLocalFile(listPath);
        data.bytes = "#EXTM3U url-tvg=\"guide.xml\"\n"
                     "#EXTINF:-1 tvg-id=\"one.tv\",Kanali Ena\nhttp://tv.example.com/one\n"
                     "#EXTINF:-1,Kanali Dyo\nhttp://tv.example.com/two\n"
                     "#EXTINF:-1,Kanali Tria\nhttp://three.example.com/live.m3u8\n";
        form.load({[data](Catalogue& c) { registerPlaylist(data, c); }, [](Catalogue&) {}});
        form.openChannelBrowser();
    }

    // Shows the list and waits for the day of its first channel.
    ::testing::AssertionResult show() {
        guide.showList(listPath);
        auto* day = form.channelBrowser()->findChild<QTextBrowser*>(u"channelDay"_s);
        if (!waitFor([&] { return day->toPlainText().contains(u"Film"_s); }, 10000)) {
            return ::testing::AssertionFailure() << "the day was not shown";
        }
        return ::testing::AssertionSuccess();
    }

    void play(const QString& channel) {
        player.stateOnOpen = PlayState::Playing;
        failover.SelectStation(channel, 0);
        ticker.tickUntilStopped(100);
    }

    QTemporaryDir files;
    QTemporaryDir cache;
    QString listPath;
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    Form1 form{catalogue, failover, player, nullptr};
    FakeClock clock{local(20, 10)};
    GuideService service{cache.path()};
    GuideWiring guide{form, catalogue, service, clock};
    ListOpener lists{catalogue, form, failover, player, messages};
    ManualTicker scheduleTicker;
    RecordingList made{files.filePath(u"recordings.conf"_s)};
    ScheduleWiring wiring{ScheduleWiring::Collaborators{.catalogue = catalogue,
                                                        .guide = guide,
                                                        .lists = lists,
                                                        .window = failover,
                                                        .messages = messages,
                                                        .clock = clock,
                                                        .ticker = scheduleTicker,
                                                        .made = made},
                          ScheduleWiring::Setup{.file = files.filePath(u"schedule.conf"_s),
                                                .folder = files.filePath(u"recorded"_s),
                                                .paddingBefore = 120,
                                                .paddingAfter = 300}};
};

TEST_F(ScheduleWiringTest, RecordInTheDaySchedulesTheProgrammeAndWarnsOfAServerShared) {
    ASSERT_TRUE(show());
    auto* day = form.channelBrowser()->findChild<QTextBrowser*>(u"channelDay"_s);
    EXPECT_TRUE(day->toHtml().contains(u"record:2"_s)) << "offered";
    EXPECT_FALSE(day->toHtml().contains(u"record:0"_s)) << "the morning is over";

    play(u"Kanali Tria"_s);
    Q_EMIT form.channelBrowser()->recordRequested(1, 2);
    ASSERT_EQ(wiring.schedule().entries().size(), 1);
    const ScheduledRecording entry = wiring.schedule().entries().first();
    EXPECT_EQ(entry.list, listPath);
    EXPECT_EQ(entry.channel, u"Kanali Ena"_s);
    EXPECT_EQ(entry.programme, u"Film"_s);
    EXPECT_EQ(entry.start, local(20, 30).toSecsSinceEpoch());
    EXPECT_EQ(entry.recordFrom(), local(20, 28).toSecsSinceEpoch());
    EXPECT_EQ(entry.recordUntil(), local(22, 5).toSecsSinceEpoch());
    EXPECT_FALSE(day->toHtml().contains(u"record:2"_s)) << "the day says it is scheduled";
    EXPECT_TRUE(day->toPlainText().contains(u"Film Scheduled"_s)) << qPrintable(day->toPlainText());
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_TRUE(messages.messages.back().text.contains(u"is scheduled: it records"_s))
        << qPrintable(messages.messages.back().text) << " (another server: nothing to fear)";

    // The late show beside the window's channel of the same server.
    play(u"Kanali Dyo"_s);
    Q_EMIT form.channelBrowser()->recordRequested(1, 3);
    EXPECT_EQ(wiring.schedule().entries().size(), 2);
    const QString warning = messages.messages.back().text;
    EXPECT_TRUE(warning.contains(u"same server as Kanali Dyo"_s)) << qPrintable(warning);
    EXPECT_EQ(messages.messages.back().icon, MessageSink::Icon::Exclamation);

    Q_EMIT form.channelBrowser()->recordRequested(1, 2);
    EXPECT_TRUE(messages.messages.back().text.contains(u"scheduled already"_s));
    EXPECT_EQ(wiring.schedule().entries().size(), 2);
}

TEST_F(ScheduleWiringTest, AGuideThatReplacesTheListsMovesTheProgramme) {
    ASSERT_TRUE(show());
    Q_EMIT form.channelBrowser()->recordRequested(1, 2);
    ASSERT_EQ(wiring.schedule().entries().size(), 1);

    write(files.filePath(u"moved.xml"_s),
          "<tv>" + programme(20, 0, 20, 45, "News") + programme(20, 45, 22, 15, "Film") + "</tv>");
    guide.showList(listPath, u"moved.xml"_s);
    ASSERT_TRUE(waitFor(
        [&] {
            return wiring.schedule().entries().first().start == local(20, 45).toSecsSinceEpoch();
        },
        10000));
    EXPECT_EQ(wiring.schedule().entries().first().stop, local(22, 15).toSecsSinceEpoch());
}

} // namespace
} // namespace orvanto::test
