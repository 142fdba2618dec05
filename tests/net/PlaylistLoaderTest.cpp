#include "net/PlaylistLoader.h"

#include "catalogue/Catalogue.h"
#include "catalogue/M3uParser.h"
#include "catalogue/PlaylistRegistration.h"
#include "support/TestHttpServer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using orvanto::Catalogue;
using orvanto::PlaylistData;
using orvanto::PlaylistLoader;
using orvanto::PlaylistReport;
using orvanto::registerPlaylist;
using orvanto::Station;
using orvanto::test::TestHttpServer;

namespace {

using namespace std::chrono_literals;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

QString s(const QByteArray& text) {
    return QString::fromUtf8(text);
}

PlaylistReport registerText(const QByteArray& text, Catalogue& catalogue,
                            const QStringList& reserved = {}) {
    return registerPlaylist(PlaylistData{s("tv.m3u"), QUrl(), text, {}}, catalogue, reserved);
}

QStringList addressesOf(const Station& station) {
    QStringList addresses;
    for (int i = 0; i <= station.LastUrlIndex; ++i) {
        addresses.append(station.StreamUrls[static_cast<size_t>(i)]);
    }
    return addresses;
}

// A playlist of `stations` stations with `addresses` addresses each, station by station.
QByteArray generated(int stations, int addresses) {
    QByteArray text = "#EXTM3U\n";
    for (int i = 1; i <= stations; ++i) {
        for (int j = 1; j <= addresses; ++j) {
            text += "#EXTINF:-1 group-title=\"G\",Kanali " + QByteArray::number(i) +
                    "\nhttp://tv.example.com/" + QByteArray::number(i) + "/" +
                    QByteArray::number(j) + "\n";
        }
    }
    return text;
}

TEST(PlaylistRegistration, SameNameBecomesOrderedCandidates) {
    Catalogue c;
    const PlaylistReport report =
        registerText("#EXTM3U\n"
                     "#EXTINF:-1,Alpha\nhttp://a.example.com/1\n"
                     "#EXTINF:-1,Beta\nhttp://b.example.com/1\n"
                     "#EXTINF:-1 tvg-id=\"x\", Alpha\nhttp://a.example.com/2\n"
                     "http://plain.example.com/\n"
                     "#EXTINF:-1,Alpha\nhttp://a.example.com/3\n",
                     c);
    EXPECT_TRUE(report.accepted);
    EXPECT_TRUE(report.message.isEmpty()) << report.message.toStdString();
    EXPECT_EQ(report.stations, 3);
    EXPECT_EQ(report.addresses, 5);
    ASSERT_EQ(c.StationCount(), 3);
    EXPECT_EQ(c.station(1).Name, s("Alpha"));
    EXPECT_EQ(addressesOf(c.station(1)),
              (QStringList{s("http://a.example.com/1"), s("http://a.example.com/2"),
                           s("http://a.example.com/3")}));
    EXPECT_EQ(c.station(2).Name, s("Beta"));
    EXPECT_EQ(c.station(3).Name, s("http://plain.example.com/"));
}

TEST(PlaylistRegistration, StationAndAddressLimitsAreKept) {
    using orvanto::MaxPlaylistAddresses;
    using orvanto::MaxPlaylistStations;
    Catalogue c;
    QByteArray text = generated(MaxPlaylistStations + 1, 1);
    for (int j = 2; j <= 101; ++j) {
        text += "#EXTINF:-1,Kanali 7\nhttp://seven.example.com/" + QByteArray::number(j) + "\n";
    }
    const QByteArray last = "Kanali " + QByteArray::number(MaxPlaylistStations);
    const QByteArray beyond = "Kanali " + QByteArray::number(MaxPlaylistStations + 1);
    text += "#EXTINF:-1," + beyond + "\nhttp://tv.example.com/beyond/again\n";
    const PlaylistReport report = registerText(text, c);

    EXPECT_TRUE(report.accepted);
    ASSERT_EQ(c.StationCount(), MaxPlaylistStations);
    EXPECT_EQ(c.station(MaxPlaylistStations).Name, s(last));
    EXPECT_EQ(c.station(MaxPlaylistStations).Group, s("G"));
    EXPECT_EQ(c.FindStation(s(beyond)), Catalogue::NotFound);
    const Station& seven = c.station(7);
    EXPECT_EQ(seven.LastUrlIndex, 99);
    EXPECT_EQ(seven.StreamUrls[99], s("http://seven.example.com/100"));
    EXPECT_EQ(report.stations, MaxPlaylistStations);
    EXPECT_EQ(report.addresses, MaxPlaylistStations + 99);
    EXPECT_TRUE(report.message.contains(
        s("1 station beyond the first 20000 left out (2 entries): \"" + beyond + "\"")))
        << report.message.toStdString();
    EXPECT_TRUE(report.message.contains(s("\"Kanali 7\": 1 address beyond the first 100 left out")))
        << report.message.toStdString();

    // Past the addresses of the whole list: 2001 stations of 100 short entries each.
    QByteArray many;
    for (int i = 0; i <= MaxPlaylistAddresses / 100; ++i) {
        const QByteArray info = "#EXTINF:,S" + QByteArray::number(i) + "\n";
        for (int j = 0; j < 100; ++j) {
            many += info + "u" + QByteArray::number(j) + "\n";
        }
    }
    Catalogue full;
    const PlaylistReport capped = registerText(many, full);
    EXPECT_TRUE(capped.accepted);
    EXPECT_EQ(full.urlCount(), MaxPlaylistAddresses);
    EXPECT_EQ(capped.addresses, MaxPlaylistAddresses);
    EXPECT_EQ(full.StationCount(), MaxPlaylistAddresses / 100);
    EXPECT_TRUE(
        capped.message.contains(s("100 addresses beyond the first 200000 of the list left out")))
        << capped.message.toStdString();
}

TEST(PlaylistRegistration, LockedStationNamesCannotBeJoined) {
    Catalogue c;
    const PlaylistReport report = registerText(
        "#EXTINF:-1,Night\nhttp://n.example.com/\n#EXTINF:-1,Day\nhttp://d.example.com/\n", c,
        {s("Night")});
    EXPECT_TRUE(report.accepted);
    EXPECT_EQ(c.StationCount(), 1);
    EXPECT_EQ(c.FindStation(s("Night")), Catalogue::NotFound);
    EXPECT_TRUE(report.message.contains(s("\"Night\" is the name of a locked station")));

    Catalogue untouched;
    const PlaylistReport none =
        registerText("#EXTINF:-1,Night\nhttp://n.example.com/\n", untouched, {s("Night")});
    EXPECT_FALSE(none.accepted);
    EXPECT_EQ(untouched.StationCount(), 0);
}

TEST(PlaylistRegistration, RejectedPlaylistsRegisterNothing) {
    const QByteArray rejected[] = {
        "",
        "#EXTM3U\n# nothing here\n\n",
        "<html><body>Login</body></html>",
        QByteArray("#EXTM3U\n\0\0\0\x01", 12),
        "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\nseg.ts\n",
    };
    for (const QByteArray& text : rejected) {
        Catalogue c;
        const PlaylistReport report = registerText(text, c);
        EXPECT_FALSE(report.accepted);
        EXPECT_EQ(c.StationCount(), 0);
        EXPECT_TRUE(report.message.startsWith(s("The playlist \"tv.m3u\" cannot be used: ")))
            << report.message.toStdString();
    }
}

// A list read into a catalogue of its own goes in as it comes; one that is never finished (an
// answer cut off, a load dropped) must leave nothing behind, and a catalogue that holds stations
// must take nothing before the end.
TEST(PlaylistRegistration, EntriesOfAListNeverFinishedLeaveNothingBehind) {
    const auto entry = [](const char* name) {
        orvanto::M3uEntry e;
        e.name = s(name);
        e.address = s("http://a.example.com/") + e.name;
        return e;
    };
    Catalogue fresh;
    {
        orvanto::EntryRegistration registration(fresh, {});
        registration.add(entry("One"));
        registration.add(entry("Two"));
    }
    EXPECT_EQ(fresh.StationCount(), 0);
    EXPECT_EQ(fresh.FindStation(s("One")), Catalogue::NotFound);

    Catalogue held;
    held.AddStreamUrl(s("Old"), s("http://old.example.com/"));
    {
        orvanto::EntryRegistration registration(held, {});
        registration.add(entry("One"));
        EXPECT_EQ(held.StationCount(), 1);
        const PlaylistReport report = registration.finish(s("tv.m3u"));
        EXPECT_TRUE(report.accepted);
        EXPECT_EQ(report.stations, 1);
    }
    EXPECT_EQ(held.FindStation(s("One")), 2);

    Catalogue finished;
    {
        orvanto::EntryRegistration registration(finished, {s("Locked")}, {2, 3});
        for (const char* name : {"One", "Locked", "Two", "One", "Three", "Two"}) {
            registration.add(entry(name));
        }
        const PlaylistReport report = registration.finish(s("tv.m3u"));
        EXPECT_TRUE(report.accepted);
        EXPECT_EQ(report.stations, 2);
        EXPECT_EQ(report.addresses, 3);
        EXPECT_TRUE(report.message.contains(s("\"Three\""))) << report.message.toStdString();
        EXPECT_TRUE(report.message.contains(s("locked station"))) << report.message.toStdString();
    }
    EXPECT_EQ(finished.StationCount(), 2);
    EXPECT_EQ(finished.urlCount(), 3);
}

TEST(PlaylistRegistration, SkippedLinesAreNamedInTheMessage) {
    Catalogue c;
    static const char raw[] = "#EXTINF:-1,Orphan\n#EXTINF:-1,Caf\xE9\nhttp://c.example.com/\n\0\n";
    const PlaylistReport report = registerText(QByteArray(raw, sizeof raw - 1), c);
    EXPECT_TRUE(report.accepted);
    ASSERT_EQ(c.StationCount(), 1);
    EXPECT_EQ(c.station(1).Name, s("Café"));
    EXPECT_TRUE(report.message.contains(s("Line 1: #EXTINF without an address")));
    EXPECT_TRUE(report.message.contains(s("it was read as Windows-1252")))
        << report.message.toStdString();
    EXPECT_TRUE(report.message.contains(s("1 line with NUL bytes skipped")));
}

TEST(PlaylistRegistration, RejectionsSayWhatTheFileIs) {
    Catalogue c;
    EXPECT_TRUE(registerText("[Reference]\r\nRef1=http://a.example.com/x?MSWMExt=.asf\r\n", c)
                    .message.contains(s("a Windows Media reference file: it holds stream "
                                        "addresses, but it is not an M3U list")));
    const QByteArray justOver(orvanto::MaxPlaylistBytes + 1, '#');
    EXPECT_TRUE(
        registerText(justOver, c).message.contains(s("larger than 8 MiB (8,388,609 bytes)")));
}

// Loads through the loader and waits for its one report.
class PlaylistLoading : public ::testing::Test {
protected:
    PlaylistReport load(const QString& source) {
        QSignalSpy spy(&loader, &PlaylistLoader::finished);
        loader.load(source, catalogue);
        EXPECT_EQ(spy.count(), 0) << "the report must not arrive inside load()";
        EXPECT_TRUE(spy.wait(10000));
        EXPECT_EQ(spy.count(), 1);
        return spy.isEmpty() ? PlaylistReport{} : spy.takeFirst().at(0).value<PlaylistReport>();
    }

    QString write(const QString& name, const QByteArray& content) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    // The report rejects the playlist with a reason containing `reason`, and nothing went in.
    void expectRejected(const PlaylistReport& report, const char* reason) {
        EXPECT_FALSE(report.accepted);
        EXPECT_TRUE(report.message.contains(s(reason))) << report.message.toStdString();
        EXPECT_EQ(catalogue.StationCount(), 0);
    }

    QTemporaryDir dir;
    Catalogue catalogue;
    PlaylistLoader loader;
};

TEST_F(PlaylistLoading, LocalFileWithRelativeAddresses) {
    write(s("tv.m3u"), "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,Local\r\nclips/a.ts\r\n");
    const PlaylistReport report = load(dir.filePath(s("tv.m3u")));
    EXPECT_TRUE(report.accepted);
    ASSERT_EQ(catalogue.StationCount(), 1);
    EXPECT_EQ(catalogue.station(1).StreamUrls[0],
              QUrl::fromLocalFile(dir.filePath(s("clips/a.ts"))).toString(QUrl::FullyEncoded));
}

TEST_F(PlaylistLoading, UnusableFilesAreNamed) {
    expectRejected(load(write(s("empty.m3u"), {})), "it is empty");
    expectRejected(load(dir.filePath(s("missing.m3u"))), "the file does not exist");
    expectRejected(load(write(s("logo.png"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16))),
                   "binary");
    expectRejected(load(dir.path()), "folder");
    const QString fifo = dir.filePath(s("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    expectRejected(load(fifo), "a device or a pipe");
    expectRejected(load(s("ftp://files.example.com/tv.m3u")), "neither a file nor");
}

TEST_F(PlaylistLoading, FileOverEightMebibytesIsNotRead) {
    QByteArray big = generated(1, 1);
    big += QByteArray(9 * 1024 * 1024 - big.size(), '#');
    expectRejected(load(write(s("big.m3u"), big)), "larger than 8 MiB (9.0 MiB)");
}

TEST_F(PlaylistLoading, OverHttpWithRelativeAddresses) {
    TestHttpServer server;
    server.route(
        s("/lists/tv.m3u8"),
        TestHttpServer::body("audio/x-mpegurl",
                             "#EXTM3U\n#EXTINF:-1,Net\nlive/net.m3u8\n#EXTINF:-1,Net\n/b.ts\n"));
    server.start();
    const PlaylistReport report = load(server.url(s("/lists/tv.m3u8")).toString());
    EXPECT_TRUE(report.accepted) << report.message.toStdString();
    ASSERT_EQ(catalogue.StationCount(), 1);
    EXPECT_EQ(addressesOf(catalogue.station(1)),
              (QStringList{server.url(s("/lists/live/net.m3u8")).toString(),
                           server.url(s("/b.ts")).toString()}));
}

TEST_F(PlaylistLoading, HttpFailuresAreNamed) {
    TestHttpServer server;
    TestHttpServer::Route claimsTooMuch = TestHttpServer::body("audio/x-mpegurl", "#EXTM3U\n");
    claimsTooMuch.claimedLength = 9 * 1024 * 1024;
    server.route(s("/claims.m3u"), claimsTooMuch);
    TestHttpServer::Route sendsTooMuch = TestHttpServer::body("audio/x-mpegurl", generated(1, 1));
    sendsTooMuch.body += QByteArray(9 * 1024 * 1024, '#');
    sendsTooMuch.sendLength = false;
    server.route(s("/sends.m3u"), sendsTooMuch);
    server.route(s("/silent.m3u"), TestHttpServer::silent());
    server.route(s("/endless-head.m3u"), TestHttpServer::endlessHead(256 * 1024));
    TestHttpServer::Route gzipped = TestHttpServer::body("audio/x-mpegurl", "\x1f\x8b\x08");
    gzipped.headers = "Content-Encoding: gzip\r\n";
    server.route(s("/gzipped.m3u"), gzipped);
    server.start();

    expectRejected(load(server.url(s("/nowhere.m3u")).toString()), "the server answered 404");
    expectRejected(load(server.url(s("/claims.m3u")).toString()), "larger than 8 MiB");
    expectRejected(load(server.url(s("/sends.m3u")).toString()), "larger than 8 MiB");
    expectRejected(load(server.url(s("/endless-head.m3u")).toString()),
                   "response headers are larger than 64 KiB");
    expectRejected(load(server.url(s("/gzipped.m3u")).toString()),
                   "sent it compressed (gzip) without being asked to");
    loader.setTimeout(300ms);
    expectRejected(load(server.url(s("/silent.m3u")).toString()), "did not deliver it");
}

} // namespace
