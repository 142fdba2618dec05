// The guide in the window: a list whose header names a guide file, read by the real guide
// service, shown in the browser and on the station buttons, kept up to the time of a clock the
// test moves, and a guide address the user sets for the list.

#include "app/GuideWiring.h"

#include "app/ViewerSettings.h"
#include "catalogue/Catalogue.h"
#include "catalogue/PlaylistRegistration.h"
#include "guide/GuideService.h"
#include "playback/ArchivePlayback.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"
#include "window/ChannelListModel.h"
#include "window/Form1.h"
#include "window/FormControls.h"

#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolTip>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// 4 March 2024 at `hour`:`minute`, local time.
QDateTime local(int hour, int minute) {
    return QDateTime(QDate(2024, 3, 4), QTime(hour, minute));
}

QByteArray xmltvTime(int hour, int minute) {
    return local(hour, minute).toUTC().toString(s("yyyyMMddHHmmss")).toLatin1() + " +0000";
}

QByteArray programme(const char* channel, int hour, int minute, int endHour, int endMinute,
                     const char* title, const char* catchupId = "") {
    return "<programme start=\"" + xmltvTime(hour, minute) + "\" stop=\"" +
           xmltvTime(endHour, endMinute) + "\" channel=\"" + channel + "\" catchup-id=\"" +
           catchupId + "\"><title>" + title + "</title><desc>About " + title +
           "</desc></programme>\n";
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class GuideWiringTest : public ::testing::Test {
protected:
    GuideWiringTest() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        write(files.filePath(s("guide.xml")),
              "<tv><channel id=\"one.tv\"><display-name>One</display-name></channel>" +
                  programme("one.tv", 18, 0, 19, 0, "Morning", "m 1&amp;2") +
                  programme("one.tv", 20, 0, 20, 30, "News") +
                  programme("one.tv", 20, 30, 22, 0, "Film") + "</tv>");
        write(files.filePath(s("other.xml")),
              "<tv>" + programme("two.tv", 19, 0, 23, 0, "Concert") + "</tv>");
        listPath = files.filePath(s("tv.m3u"));
        PlaylistData data;
        data.source = listPath;
        data.location = QUrl::fromLocalFile(listPath);
        data.bytes = "#EXTM3U url-tvg=\"guide.xml\"\n"
                     "#EXTINF:-1 tvg-id=\"ONE.TV\" catchup=\"vod\" catchup-days=\"2\" "
                     "catchup-source=\"http://archive.example.com/one/{catchup-id}.ts\","
                     "Kanali Ena\nhttp://one.example.com/live\n"
                     "#EXTINF:-1 tvg-id=\"two.tv\",Kanali Dyo\nhttp://two.example.com/live\n";
        form.load({[data](Catalogue& c) { registerPlaylist(data, c); }, [](Catalogue&) {}});
    }
    ~GuideWiringTest() override { QLocale::setDefault(locale); }

    // Shows the list and waits until its guide has been read.
    ::testing::AssertionResult show() {
        wiring.showList(listPath);
        if (!waitFor([&] { return !service.status().busy && !service.status().text.isEmpty(); },
                     10000)) {
            return ::testing::AssertionFailure() << "the guide was not read";
        }
        return ::testing::AssertionSuccess();
    }
    QString cell(int row, int column) {
        return form.channelBrowser()->model().index(row, column).data().toString();
    }
    // The tooltip the first station button shows.
    QString buttonTip() {
        auto* button = qobject_cast<QPushButton*>(form.controls().control(s("sender_waehlen"), 0));
        const QPoint centre = button->rect().center();
        QHelpEvent help(QEvent::ToolTip, centre, button->mapToGlobal(centre));
        QApplication::sendEvent(button, &help);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return text;
    }

    const QLocale locale;
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
    GuideWiring wiring{form, catalogue, service, clock};
};

TEST_F(GuideWiringTest, TheListsOwnGuideFillsTheBrowserAndTheStationButtonsTips) {
    form.show();
    form.openChannelBrowser();
    ASSERT_TRUE(show());
    ASSERT_EQ(wiring.sources(), QList<QUrl>{QUrl::fromLocalFile(files.filePath(s("guide.xml")))});
    ASSERT_TRUE(waitFor([&] { return !cell(0, ChannelListModel::NowColumn).isEmpty(); }, 5000));
    EXPECT_EQ(cell(0, ChannelListModel::NowColumn), s("News (20 min left)"));
    EXPECT_EQ(cell(0, ChannelListModel::NextColumn), s("20:30 Film"));
    EXPECT_EQ(cell(1, ChannelListModel::NowColumn), QString());
    EXPECT_TRUE(service.status().text.contains(s("matches 1 of 2 channels")))
        << qPrintable(service.status().text);
    EXPECT_EQ(buttonTip(), s("Now: News (20 min left)\nNext: 20:30 Film"));
    // The day of the channel chosen.
    auto* day = form.channelBrowser()->findChild<QTextBrowser*>(s("channelDay"));
    ASSERT_TRUE(waitFor([&] { return day->toPlainText().contains(s("About Film")); }, 5000))
        << qPrintable(day->toPlainText());
}

TEST_F(GuideWiringTest, TheTimerIsSetForTheNextChangeAndTheColumnsFollowTheClock) {
    form.openChannelBrowser();
    ASSERT_TRUE(show());
    ASSERT_TRUE(waitFor([&] { return !cell(0, ChannelListModel::NowColumn).isEmpty(); }, 5000));
    // "Minutes left" changes on the next minute.
    EXPECT_EQ(wiring.wakeAt(), local(20, 11).toSecsSinceEpoch());
    clock.now = local(20, 30);
    wiring.update();
    EXPECT_EQ(cell(0, ChannelListModel::NowColumn), s("Film (90 min left)"));
    EXPECT_EQ(cell(0, ChannelListModel::NextColumn), QString());
    clock.now = local(22, 0);
    wiring.update();
    EXPECT_EQ(cell(0, ChannelListModel::NowColumn), QString());
    EXPECT_EQ(buttonTip(), QString());
}

// What the desktop's media controls show as the title of a channel without a title of its own.
TEST_F(GuideWiringTest, TellsWhatIsOnNowAndWhenThatChanges) {
    QSignalSpy changes(&wiring, &ProgrammeNow::changed);
    ASSERT_TRUE(show());
    ASSERT_TRUE(waitFor([&] { return !wiring.titleNow(catalogue.station(1)).isEmpty(); }, 5000));
    EXPECT_EQ(wiring.titleNow(catalogue.station(1)), s("News"));
    EXPECT_EQ(wiring.titleNow(catalogue.station(2)), QString()) << "the guide does not know it";
    const qsizetype before = changes.count();
    EXPECT_GE(before, 1);
    clock.now = local(20, 30);
    wiring.update();
    EXPECT_GT(changes.count(), before);
    EXPECT_EQ(wiring.titleNow(catalogue.station(1)), s("Film"));
    Station stranger;
    stranger.Name = s("Not on the list");
    EXPECT_EQ(wiring.titleNow(stranger), QString());
}

TEST_F(GuideWiringTest, AGuideAddressTheUserSetsReplacesTheListsOwnAtOnce) {
    form.openChannelBrowser();
    ASSERT_TRUE(show());
    QSignalSpy chosen(&wiring, &GuideWiring::addressChosen);
    form.channelBrowser()->findChild<QPushButton*>(s("channelGuide"))->click();
    auto* dialog = form.channelBrowser()->findChild<QInputDialog*>(s("guideAddress"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible()); // open(), not exec(): the viewer goes on meanwhile
    EXPECT_EQ(dialog->textValue(), QString());
    dialog->setTextValue(s(" other.xml "));
    dialog->accept();
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toString(), listPath);
    EXPECT_EQ(chosen.at(0).at(1).toString(), s("other.xml"));
    ASSERT_EQ(wiring.sources(), QList<QUrl>{QUrl::fromLocalFile(files.filePath(s("other.xml")))});
    ASSERT_TRUE(
        waitFor([&] { return cell(1, ChannelListModel::NowColumn) == s("Concert (170 min left)"); },
                10000));
    EXPECT_EQ(cell(0, ChannelListModel::NowColumn), QString());
}

// A past programme the channel's archive holds, chosen in the day view, plays from the archive
// with the guide's catch-up id; the window says so and goes back to live.
TEST_F(GuideWiringTest, APastProgrammeOfTheDayPlaysFromTheArchiveAndLGoesBackToLive) {
    ArchivePlayback archive(catalogue, failover, player, messages, clock);
    wiring.setArchive(&archive);
    form.setArchive(archive);
    form.show();
    form.openChannelBrowser();
    ASSERT_TRUE(show());
    auto* day = form.channelBrowser()->findChild<QTextBrowser*>(s("channelDay"));
    ASSERT_TRUE(waitFor([&] { return day->toPlainText().contains(s("Morning")); }, 5000));
    // Morning has ended and the archive holds it; the news is on: from its start.
    EXPECT_TRUE(day->toHtml().contains(s("archive:0"))) << qPrintable(day->toHtml());
    EXPECT_TRUE(day->toPlainText().contains(s("From the start")));
    EXPECT_FALSE(day->toHtml().contains(s("archive:2"))) << "the film is still to come";

    player.stateOnOpen = PlayState::Playing;
    day->setFocus();
    QTest::keyClick(day, Qt::Key_Tab);
    QTest::keyClick(day, Qt::Key_Return);
    ASSERT_FALSE(player.openedUrls.isEmpty());
    EXPECT_EQ(player.openedUrls.last(), s("http://archive.example.com/one/m%201%262.ts"));
    ticker.tickUntilStopped();
    ASSERT_TRUE(archive.isActive());
    auto* status = qobject_cast<QLabel*>(form.controls().control(s("Label29")));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), s("Archive: Morning, 18:00–19:00"));
    player.setState(PlayState::Buffering); // the player's states do not replace it meanwhile
    EXPECT_EQ(status->text(), s("Archive: Morning, 18:00–19:00"));
    player.setState(PlayState::Playing);

    QTest::keyClick(&form, Qt::Key_L);
    ticker.tickUntilStopped();
    EXPECT_FALSE(archive.isActive());
    EXPECT_EQ(player.URL(), s("http://one.example.com/live"));
}

TEST_F(GuideWiringTest, TheBuiltInStationsHaveNoGuide) {
    form.openChannelBrowser();
    wiring.showList(ViewerSettings::BuiltinList);
    EXPECT_TRUE(wiring.sources().isEmpty());
    QTest::qWait(50);
    EXPECT_FALSE(service.status().hasGuide);
    EXPECT_EQ(wiring.wakeAt(), 0);
}

} // namespace
} // namespace orvanto::test
