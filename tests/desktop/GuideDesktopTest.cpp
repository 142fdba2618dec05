// The programme guide on a real X display: a list whose header names a gzip guide served from
// 127.0.0.1, the channel browser opened with Ctrl+F through XTest, a channel chosen with the real
// pointer showing its day, and a station button's tooltip naming what is on.

#include "XSession.h"
#include "app/GuideWiring.h"
#include "catalogue/Catalogue.h"
#include "catalogue/PlaylistRegistration.h"
#include "core/Clock.h"
#include "guide/GuideService.h"
#include "playback/ArchivePlayback.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "support/FakePlayer.h"
#include "support/GuideFiles.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"
#include "window/ChannelListModel.h"
#include "window/Form1.h"
#include "window/FormControls.h"

#include <QApplication>
#include <QDateTime>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray xmltvTime(qint64 secs) {
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).toString(s("yyyyMMddHHmmss")).toLatin1() +
           " +0000";
}

// Channel "one.tv" shows "Earlier" until ten minutes ago, "Morning News" from then for an hour,
// then "Film"; "three.tv" a documentary with a description.
QByteArray guideAround(qint64 now) {
    auto entry = [](const char* channel, qint64 start, qint64 stop, const char* title,
                    const char* desc) {
        return "<programme start=\"" + xmltvTime(start) + "\" stop=\"" + xmltvTime(stop) +
               "\" channel=\"" + channel + "\"><title>" + title + "</title><desc>" + desc +
               "</desc></programme>\n";
    };
    const qint64 start = now - 600;
    return "<?xml version=\"1.0\"?>\n<tv>\n"
           "<channel id=\"one.tv\"><display-name>One</display-name></channel>\n" +
           entry("one.tv", start - 3600, start, "Earlier", "What came before.") +
           entry("one.tv", start, start + 3600, "Morning News", "The news of the day.") +
           entry("one.tv", start + 3600, start + 7200, "Film", "A film.") +
           entry("three.tv", start, start + 5400, "Deep Sea", "Whales of the deep ocean.") +
           "</tv>\n";
}

class GuideDesktop : public ::testing::Test {
protected:
    GuideDesktop() {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        server.route(s("/epg/guide.xml.gz"),
                     TestHttpServer::body("application/octet-stream", gzipped(guideAround(now))));
        server.start();
        list = files.filePath(s("tv.m3u"));
        PlaylistData data;
        data.source = list;
        data.location = QUrl::fromLocalFile(list);
        data.bytes = "#EXTM3U url-tvg=\"" + server.url(s("/epg/guide.xml.gz")).toEncoded() +
                     "\"\n"
                     "#EXTINF:-1 tvg-id=\"one.tv\" catchup=\"shift\",Kanali Ena\n"
                     "http://one.example.com/live\n"
                     "#EXTINF:-1,Kanali Dyo\nhttp://two.example.com/live\n"
                     "#EXTINF:-1 tvg-id=\"three.tv\",Kanali Tria\nhttp://three.example.com/live\n";
        form.load({[data](Catalogue& c) { registerPlaylist(data, c); }, [](Catalogue&) {}});
        wiring.setArchive(&archive);
        form.setArchive(archive);
        form.show();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    QString cell(int row, int column) const {
        return form.channelBrowser()->model().index(row, column).data().toString();
    }

    TestHttpServer server;
    QTemporaryDir files;
    QTemporaryDir cache;
    QString list;
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    Form1 form{catalogue, failover, player, nullptr};
    SystemClock clock;
    GuideService service{cache.path()};
    GuideWiring wiring{form, catalogue, service, clock};
    ArchivePlayback archive{catalogue, failover, player, messages, clock};
};

TEST_F(GuideDesktop, AGzipGuideFromTheListsHeaderShowsInTheBrowserAndOnTheButtons) {
    wiring.showList(list);
    ASSERT_TRUE(waitFor([&] { return server.requests(s("/epg/guide.xml.gz")) > 0; }, 10000));

    x11::run(s("xdotool"), {s("windowfocus"), s("--sync"), QString::number(form.winId())});
    x11::key(s("ctrl+f"));
    ASSERT_TRUE(waitFor([&] { return form.channelBrowser() != nullptr; }, 10000))
        << "Ctrl+F did not arrive";
    ChannelBrowser* browser = form.channelBrowser();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser));
    EXPECT_EQ(x11::windowName(browser->winId()), s("Channels"));

    ASSERT_TRUE(waitFor([&] { return !cell(0, ChannelListModel::NowColumn).isEmpty(); }, 20000))
        << qPrintable(service.status().text);
    EXPECT_TRUE(cell(0, ChannelListModel::NowColumn).startsWith(s("Morning News (")))
        << qPrintable(cell(0, ChannelListModel::NowColumn));
    EXPECT_TRUE(cell(0, ChannelListModel::NextColumn).endsWith(s(" Film")));
    EXPECT_TRUE(cell(1, ChannelListModel::NowColumn).isEmpty());
    EXPECT_TRUE(service.status().text.contains(s("matches 2 of 3 channels")))
        << qPrintable(service.status().text);

    // The third channel, chosen with the real pointer, shows its day.
    auto* view = browser->findChild<QTableView*>(s("channelList"));
    const QRect row = view->visualRect(browser->model().index(2, ChannelListModel::NameColumn));
    x11::click(view->viewport()->mapToGlobal(row.center()));
    auto* day = browser->findChild<QTextBrowser*>(s("channelDay"));
    ASSERT_TRUE(
        waitFor([&] { return day->toPlainText().contains(s("Whales of the deep")); }, 10000))
        << qPrintable(day->toPlainText());
    EXPECT_TRUE(day->toPlainText().contains(s("Kanali Tria")));

    // The first station button's tooltip, under the real pointer.
    browser->hide();
    QApplication::setActiveWindow(&form);
    auto* button = qobject_cast<QPushButton*>(form.controls().control(s("sender_waehlen"), 0));
    ASSERT_TRUE(button && button->isVisible());
    const QPoint centre = button->mapToGlobal(button->rect().center());
    x11::moveTo(centre + QPoint(2, 0));
    x11::moveTo(centre);
    EXPECT_TRUE(waitFor(
        [] { return QToolTip::isVisible() && QToolTip::text().startsWith(s("Now: Morning News")); },
        5000))
        << qPrintable(QToolTip::text());
    QToolTip::hideText();
}

// A past programme of the day, double-clicked with the real pointer, plays from the channel's
// archive; the L key, pressed on the window, goes back to live.
TEST_F(GuideDesktop, APastProgrammeChosenInTheDayPlaysFromTheArchiveAndLGoesBackToLive) {
    wiring.showList(list);
    x11::run(s("xdotool"), {s("windowfocus"), s("--sync"), QString::number(form.winId())});
    x11::key(s("ctrl+f"));
    ASSERT_TRUE(waitFor([&] { return form.channelBrowser() != nullptr; }, 10000));
    ChannelBrowser* browser = form.channelBrowser();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser));
    auto* day = browser->findChild<QTextBrowser*>(s("channelDay"));
    ASSERT_TRUE(waitFor([&] { return day->toPlainText().contains(s("▶")); }, 20000))
        << qPrintable(day->toPlainText());

    // The link of "Earlier", in sight, double-clicked.
    QTextCursor earlier = day->document()->find(s("Earlier"));
    ASSERT_FALSE(earlier.isNull());
    day->setTextCursor(earlier);
    day->ensureCursorVisible();
    QTest::qWait(50);
    const QPoint at =
        day->viewport()->mapToGlobal(day->cursorRect(earlier).center() -
                                     QPoint(day->fontMetrics().horizontalAdvance(s("ly")), 0));
    player.stateOnOpen = PlayState::Playing;
    x11::moveTo(at);
    x11::run(s("xdotool"), {s("click"), s("--repeat"), s("2"), s("--delay"), s("80"), s("1")});
    ASSERT_TRUE(waitFor([&] { return player.URL().contains(s("?utc=")); }, 5000))
        << qPrintable(player.URL());
    ticker.tickUntilStopped();
    ASSERT_TRUE(archive.isActive());
    EXPECT_EQ(archive.programme().title, s("Earlier"));
    EXPECT_TRUE(player.URL().contains(s("?utc=%1&").arg(archive.programme().start)));

    // Back to live with one key on the window.
    browser->hide();
    QApplication::setActiveWindow(&form);
    x11::run(s("xdotool"), {s("windowfocus"), s("--sync"), QString::number(form.winId())});
    x11::key(s("l"));
    ASSERT_TRUE(waitFor([&] { return !archive.isActive(); }, 5000));
    EXPECT_EQ(player.URL(), s("http://one.example.com/live"));
}

} // namespace
} // namespace orvanto::test
