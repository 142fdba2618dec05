// The guide service end to end: guides served from 127.0.0.1 (gzip) or read from files, stored,
// matched to the list's channels and shown again from the store.

#include "guide/GuideService.h"

#include "support/GuideFiles.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

qint64 utc(int day, int hour, int minute = 0) {
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute), Qt::UTC).toSecsSinceEpoch();
}

const qint64 Now = utc(4, 11, 30);

// Channels "a".."c" with hour-long programmes from 10:00 to 16:00 on 4 March.
QByteArray threeChannels(const QByteArray& prefix = "") {
    QByteArray body;
    for (const char* id : {"a", "b", "c"}) {
        body += QByteArray("<channel id=\"") + id + "\"><display-name>Channel " + id +
                "</display-name></channel>\n";
        for (int h = 10; h < 16; ++h) {
            const QByteArray start = "20240304" + QByteArray::number(h) + "0000 +0000";
            const QByteArray stop = "20240304" + QByteArray::number(h + 1) + "0000 +0000";
            body += programme(id, start.constData(), stop.constData(),
                              prefix + id + QByteArray::number(h),
                              "<desc>About " + QByteArray(id) + "</desc>");
        }
    }
    return guide(body);
}

// The list: "One" (tvg-id a), "Two" (named like channel b), "Three" (in no guide).
std::vector<ListedChannel> listChannels() {
    return {{s("One"), {s("a"), {}, {}}}, {s("Channel B"), {}}, {s("Three"), {}}};
}

class GuideServiceTest : public ::testing::Test {
protected:
    GuideServiceTest() {
        server.route(s("/guide.xml.gz"),
                     TestHttpServer::body("application/gzip", gzipped(threeChannels())));
        server.start();
    }

    // Shows the list with `sources` on `service` and waits until no guide is being read.
    static ::testing::AssertionResult showAndSettle(GuideService& service,
                                                    const QList<QUrl>& sources, qint64 now = Now) {
        service.showList(sources, listChannels(), now);
        return settle(service);
    }
    static ::testing::AssertionResult settle(GuideService& service) {
        QTest::qWait(20);
        if (!waitFor([&] { return !service.status().busy && !service.status().text.isEmpty(); },
                     20000)) {
            return ::testing::AssertionFailure() << "the guide was not read";
        }
        return ::testing::AssertionSuccess();
    }

    static QString nowTitle(const GuideService& service, int channel, qint64 at = Now) {
        const GuideSchedule::NowNext nn = service.schedule()->at(channel, at);
        return nn.now ? nn.now->title : QString();
    }

    TestHttpServer server;
    QTemporaryDir folder;
};

TEST_F(GuideServiceTest, AGzipGuideFromTheNetworkIsMatchedShownAndAskedForADay) {
    GuideService service(folder.path());
    QSignalSpy schedules(&service, &GuideService::scheduleChanged);
    ASSERT_TRUE(showAndSettle(service, {server.url(s("/guide.xml.gz"))}));
    EXPECT_EQ(service.status().matched, 2);
    EXPECT_TRUE(service.status().text.contains(s("matches 2 of 3 channels")))
        << qPrintable(service.status().text);
    ASSERT_TRUE(waitFor([&] { return service.schedule()->matchedCount() == 2; }, 5000));
    EXPECT_EQ(nowTitle(service, 1), s("a11"));
    EXPECT_EQ(nowTitle(service, 2), s("b11"));
    EXPECT_EQ(nowTitle(service, 3), QString());
    EXPECT_EQ(service.schedule()->at(1, Now).next->title, s("a12"));
    EXPECT_GE(schedules.count(), 2); // the empty one at once, the guide's when it was read

    QSignalSpy days(&service, &GuideService::dayReady);
    service.requestDay(2, utc(4, 0), utc(5, 0));
    ASSERT_TRUE(days.wait(5000));
    EXPECT_EQ(days.at(0).at(0).toInt(), 2);
    const auto programmes = days.at(0).at(1).value<std::vector<Programme>>();
    ASSERT_EQ(programmes.size(), 6u);
    EXPECT_EQ(programmes.front().title, s("b10"));
    EXPECT_EQ(programmes.front().description, s("About b"));
    // Not due again for 12 hours.
    EXPECT_EQ(service.nextDue(), Now + 12 * 3600);
}

TEST_F(GuideServiceTest, AStoredGuideShowsAtOnceAtTheNextOpeningWithoutBeingFetched) {
    const QList<QUrl> sources{server.url(s("/guide.xml.gz"))};
    {
        GuideService first(folder.path());
        ASSERT_TRUE(showAndSettle(first, sources));
    }
    ASSERT_EQ(server.requests(s("/guide.xml.gz")), 1);
    GuideService second(folder.path());
    second.showList(sources, listChannels(), Now + 3600);
    ASSERT_TRUE(waitFor([&] { return second.schedule()->matchedCount() == 2; }, 5000));
    EXPECT_EQ(nowTitle(second, 1, Now + 3600), s("a12"));
    ASSERT_TRUE(settle(second));
    EXPECT_EQ(server.requests(s("/guide.xml.gz")), 1);

    // Twelve hours on it is read again.
    second.refreshDue(Now + 12 * 3600);
    ASSERT_TRUE(waitFor([&] { return server.requests(s("/guide.xml.gz")) == 2; }, 10000));
}

TEST_F(GuideServiceTest, ARefreshThatFailsKeepsAndShowsTheOldGuideAndSaysSo) {
    const QList<QUrl> sources{server.url(s("/guide.xml.gz"))};
    GuideService service(folder.path());
    ASSERT_TRUE(showAndSettle(service, sources));
    server.route(s("/guide.xml.gz"),
                 TestHttpServer::body("text/html", "<html>oops</html>", "500 Internal Error"));
    service.refreshDue(Now + 13 * 3600);
    ASSERT_TRUE(waitFor([&] { return server.requests(s("/guide.xml.gz")) == 2; }, 10000));
    ASSERT_TRUE(settle(service));
    ASSERT_TRUE(
        waitFor([&] { return service.status().text.contains(s("could not be read again")); }, 5000))
        << qPrintable(service.status().text);
    EXPECT_TRUE(service.status().text.contains(s("500"))) << qPrintable(service.status().text);
    EXPECT_EQ(service.status().matched, 2);
    EXPECT_EQ(nowTitle(service, 1), s("a11"));
    // Tried again half an hour on, not at every opening.
    EXPECT_EQ(service.nextDue(), Now + 13 * 3600 + 30 * 60);

    // A guide cut off in the middle of the transfer is a failed refresh too.
    QByteArray packed = gzipped(threeChannels("new "));
    TestHttpServer::Route cut =
        TestHttpServer::body("application/gzip", packed.first(packed.size() / 2));
    cut.claimedLength = packed.size();
    server.route(s("/guide.xml.gz"), cut);
    service.refreshDue(Now + 14 * 3600);
    ASSERT_TRUE(waitFor([&] { return server.requests(s("/guide.xml.gz")) == 3; }, 10000));
    ASSERT_TRUE(settle(service));
    EXPECT_EQ(nowTitle(service, 1), s("a11"));
}

TEST_F(GuideServiceTest, TheServersCachingHeadersBringTheRefreshForward) {
    TestHttpServer::Route route =
        TestHttpServer::body("application/gzip", gzipped(threeChannels()));
    route.headers = "Cache-Control: public, max-age=7200\r\n";
    server.route(s("/short.xml.gz"), route);
    GuideService service(folder.path());
    ASSERT_TRUE(showAndSettle(service, {server.url(s("/short.xml.gz"))}));
    EXPECT_EQ(service.nextDue(), Now + 7200);
}

// A guide is asked for again only if it changed: an unchanged one costs one round trip, and the
// store keeps it.
TEST_F(GuideServiceTest, ARefreshAsksOnlyForAChangedGuide) {
    TestHttpServer::Route first =
        TestHttpServer::body("application/gzip", gzipped(threeChannels()));
    first.headers = "ETag: \"v1\"\r\nLast-Modified: Mon, 04 Mar 2024 09:00:00 GMT\r\n";
    server.route(s("/guide.xml.gz"), first);
    const QList<QUrl> sources{server.url(s("/guide.xml.gz"))};
    GuideService service(folder.path());
    ASSERT_TRUE(showAndSettle(service, sources));
    EXPECT_EQ(server.headerValues(s("/guide.xml.gz"), "if-none-match"), QByteArrayList{""});

    TestHttpServer::Route unchanged = TestHttpServer::body({}, {}, "304 Not Modified");
    unchanged.headers = "Cache-Control: max-age=3600\r\n";
    server.route(s("/guide.xml.gz"), unchanged);
    service.refreshDue(Now + 13 * 3600);
    ASSERT_TRUE(waitFor([&] { return server.requests(s("/guide.xml.gz")) == 2; }, 10000));
    ASSERT_TRUE(settle(service));
    EXPECT_EQ(server.headerValues(s("/guide.xml.gz"), "if-none-match").value(1), "\"v1\"");
    EXPECT_EQ(server.headerValues(s("/guide.xml.gz"), "if-modified-since").value(1),
              "Mon, 04 Mar 2024 09:00:00 GMT");
    EXPECT_FALSE(service.status().text.contains(s("could not be read again")))
        << qPrintable(service.status().text);
    EXPECT_EQ(service.status().matched, 2);
    EXPECT_EQ(nowTitle(service, 1), s("a11"));
    EXPECT_EQ(service.nextDue(), Now + 14 * 3600) << "as the answer's caching headers say";

    // Changed: read whole (its validator is the one asked with the next time).
    TestHttpServer::Route changed =
        TestHttpServer::body("application/gzip", gzipped(threeChannels("new ")));
    changed.headers = "ETag: \"v2\"\r\nCache-Control: max-age=3600\r\n";
    server.route(s("/guide.xml.gz"), changed);
    service.refreshDue(Now + 14 * 3600);
    ASSERT_TRUE(waitFor([&] { return server.requests(s("/guide.xml.gz")) == 3; }, 10000));
    ASSERT_TRUE(settle(service));
    EXPECT_EQ(service.status().matched, 2);
    GuideService again(folder.path());
    server.route(s("/guide.xml.gz"), unchanged);
    ASSERT_TRUE(showAndSettle(again, sources, Now + 15 * 3600));
    ASSERT_TRUE(waitFor([&] { return server.requests(s("/guide.xml.gz")) == 4; }, 10000));
    ASSERT_TRUE(settle(again));
    EXPECT_EQ(server.headerValues(s("/guide.xml.gz"), "if-none-match").value(3), "\"v2\"")
        << "the new validator, kept across restarts";
    EXPECT_EQ(again.status().matched, 2) << "the guide kept";
}

TEST_F(GuideServiceTest, AGuideThatMatchesNoChannelSaysSo) {
    QTemporaryDir files;
    const QString path = files.filePath(s("other.xml"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(guide(programme("zz", "20240304110000 +0000", "20240304120000 +0000", "Z")));
    file.close();
    GuideService service(folder.path());
    ASSERT_TRUE(showAndSettle(service, {QUrl::fromLocalFile(path)}));
    EXPECT_EQ(service.status().matched, 0);
    EXPECT_TRUE(service.status().text.contains(s("matches none of the list's 3 channels")))
        << qPrintable(service.status().text);
}

TEST_F(GuideServiceTest, AnotherListEndsTheImportUnderWayAndLeavesTheStoreAsItWas) {
    // A server that takes the connection and never answers.
    server.route(s("/slow.xml"), TestHttpServer::silent());
    GuideService service(folder.path());
    service.showList({server.url(s("/slow.xml"))}, listChannels(), Now);
    ASSERT_TRUE(waitFor([&] { return service.status().busy; }, 5000));
    ASSERT_TRUE(showAndSettle(service, {server.url(s("/guide.xml.gz"))}));
    EXPECT_EQ(service.status().matched, 2);
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, 5000));
}

TEST_F(GuideServiceTest, TheSameListShownAgainGoesOnWithTheReadUnderWay) {
    server.route(s("/slow.xml"), TestHttpServer::silent());
    GuideService service(folder.path());
    service.showList({server.url(s("/slow.xml"))}, listChannels(), Now);
    ASSERT_TRUE(waitFor([&] { return server.requests(s("/slow.xml")) == 1; }, 5000));
    service.showList({server.url(s("/slow.xml"))}, listChannels(), Now + 60);
    QTest::qWait(500);
    EXPECT_TRUE(service.status().busy);
    EXPECT_EQ(server.requests(s("/slow.xml")), 1) << "not asked again";
    EXPECT_EQ(server.openConnections(), 1);
}

TEST(GuideLocation, NamesAddressesAndFilesButADownloadedListNoFile) {
    const QUrl local = QUrl::fromLocalFile(s("/home/u/lists/tv.m3u"));
    const QUrl remote(s("http://lists.example.com/x/tv.m3u"));
    EXPECT_EQ(GuideService::guideLocation(s(" http://epg.example.com/g.xml.gz "), local),
              QUrl(s("http://epg.example.com/g.xml.gz")));
    EXPECT_EQ(GuideService::guideLocation(s("guide.xml"), local),
              QUrl::fromLocalFile(s("/home/u/lists/guide.xml")));
    EXPECT_EQ(GuideService::guideLocation(s("/srv/epg.xml"), local),
              QUrl::fromLocalFile(s("/srv/epg.xml")));
    EXPECT_EQ(GuideService::guideLocation(s("epg/g.xml"), remote),
              QUrl(s("http://lists.example.com/x/epg/g.xml")));
    EXPECT_FALSE(GuideService::guideLocation(s("/etc/passwd"), remote).isValid());
    EXPECT_FALSE(GuideService::guideLocation(s("file:///etc/passwd"), remote).isValid());
    EXPECT_FALSE(GuideService::guideLocation(s("ftp://epg.example.com/g.xml"), local).isValid());
    EXPECT_FALSE(GuideService::guideLocation(s(""), local).isValid());
}

} // namespace
} // namespace orvanto::test
