#include "check/CheckReport.h"

#include "catalogue/BuiltinStations.h"
#include "catalogue/Catalogue.h"
#include "catalogue/M3uParser.h"
#include "check/CheckList.h"
#include "check/ProgressText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orvanto;
using Kind = Verdict::Kind;

namespace {

using namespace Qt::Literals::StringLiterals;

const QString ListText = uR"(#EXTM3U x-tvg-url="http://example.com/guide.xml"
#EXTINF:-1 tvg-id="one.gr" group-title="News",One
#EXTVLCOPT:http-user-agent=Test
http://one.example/a
# a plain comment
#EXTINF:-1 group-title="Music",Two
http://two.example/a
#EXTINF:-1 tvg-id="one.gr" group-title="News",One
http://one.example/b
http://three.example/plain
#EXTINF:-1 group-title="News",One
http://one.example/c
)"_s;

CheckList readList() {
    CheckListRead read = checkListFromM3u(ListText, QUrl());
    EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    return read.list;
}

void setVerdict(CheckList& list, const QString& address, Kind kind) {
    for (CheckStation& station : list.stations) {
        for (CheckAddress& entry : station.addresses) {
            if (entry.address == address) {
                entry.verdict.kind = kind;
                return;
            }
        }
    }
    ADD_FAILURE() << "no address " << address.toStdString();
}

// The (name, address) pairs the list reader finds in `m3u`.
QStringList readBack(const QByteArray& m3u) {
    QStringList pairs;
    for (const M3uEntry& entry : parseM3u(QString::fromUtf8(m3u)).entries) {
        pairs << entry.name + u" | "_s + entry.address;
    }
    return pairs;
}

TEST(CheckList, GroupsEntriesByNameAndKeepsTheirLines) {
    const CheckList list = readList();
    ASSERT_EQ(list.stations.size(), 3u);
    EXPECT_EQ(list.header, uR"(#EXTM3U x-tvg-url="http://example.com/guide.xml")"_s);
    const CheckStation& one = list.stations[0];
    EXPECT_EQ(one.name, u"One"_s);
    ASSERT_EQ(one.addresses.size(), 3u);
    EXPECT_EQ(one.addresses[2].address, u"http://one.example/c"_s);
    EXPECT_EQ(one.addresses[0].directives,
              (QStringList{uR"(#EXTINF:-1 tvg-id="one.gr" group-title="News",One)"_s,
                           u"#EXTVLCOPT:http-user-agent=Test"_s}));
    EXPECT_EQ(list.stations[2].name, u"http://three.example/plain"_s);
    EXPECT_TRUE(list.stations[2].addresses[0].directives.isEmpty());
    EXPECT_EQ(list.addressCount(), 5);
}

TEST(CheckList, RejectsWhatIsNoChannelList) {
    EXPECT_FALSE(
        checkListFromM3u(u"#EXTM3U\n#EXT-X-TARGETDURATION:6\nseg1.ts\n"_s, QUrl()).error.isEmpty());
    EXPECT_FALSE(checkListFromM3u(u"#EXTM3U\n"_s, QUrl()).error.isEmpty());
}

TEST(CheckReport, WrittenListPutsWorkingAddressesFirstAndReadsBackTheSame) {
    CheckList list = readList();
    setVerdict(list, u"http://one.example/a"_s, Kind::Refused);
    setVerdict(list, u"http://one.example/b"_s, Kind::TimedOut);
    setVerdict(list, u"http://one.example/c"_s, Kind::Plays);
    setVerdict(list, u"http://two.example/a"_s, Kind::HttpStatus);
    setVerdict(list, u"http://three.example/plain"_s, Kind::Plays);

    const QByteArray m3u = checkedM3u(list, false);
    EXPECT_TRUE(m3u.startsWith(R"(#EXTM3U x-tvg-url="http://example.com/guide.xml")"
                               "\n"));
    // Working stations first, each with its working addresses first; dead stations last.
    EXPECT_EQ(readBack(m3u), (QStringList{
                                 u"One | http://one.example/c"_s,
                                 u"One | http://one.example/a"_s,
                                 u"One | http://one.example/b"_s,
                                 u"http://three.example/plain | http://three.example/plain"_s,
                                 u"Two | http://two.example/a"_s,
                             }));
    // Attributes and options travel with their address.
    EXPECT_TRUE(m3u.contains("#EXTINF:-1 tvg-id=\"one.gr\" group-title=\"News\",One\n"
                             "#EXTVLCOPT:http-user-agent=Test\nhttp://one.example/a\n"));
    EXPECT_TRUE(m3u.contains("#EXTINF:-1 group-title=\"Music\",Two\nhttp://two.example/a\n"));
    EXPECT_FALSE(m3u.contains("plain comment"));

    EXPECT_EQ(readBack(checkedM3u(list, true)),
              (QStringList{u"One | http://one.example/c"_s,
                           u"http://three.example/plain | http://three.example/plain"_s}));
}

// Each notation of the headers a channel asks for comes back as it was written, and is read
// back the same.
TEST(CheckReport, WrittenListKeepsTheHeadersOfEveryAddress) {
    const QString text = uR"(#EXTM3U
#EXTINF:-1 http-user-agent="Agent A" referrer="https://a.example/",A
#EXTVLCOPT:http-user-agent=Agent V
#EXTVLCOPT:http-referrer=https://v.example/
http://a.example/live.m3u8
#EXTINF:-1,B
#KODIPROP:inputstream.adaptive.stream_headers=User-Agent=Kodi%2F21&Cookie=k%3Dv
http://b.example/live.mpd|Referer=https%3A%2F%2Fb.example%2F&Origin=https://b.example&x=1
)"_s;
    CheckListRead read = checkListFromM3u(text, QUrl());
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    for (CheckStation& station : read.list.stations) {
        station.addresses[0].verdict.kind = Kind::Plays;
    }
    const QByteArray m3u = checkedM3u(read.list, false);
    EXPECT_EQ(QString::fromUtf8(m3u), text);

    const std::vector<M3uEntry> original = parseM3u(text).entries;
    const std::vector<M3uEntry> back = parseM3u(QString::fromUtf8(m3u)).entries;
    ASSERT_EQ(back.size(), 2u);
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].address, original[i].address);
        EXPECT_EQ(back[i].headers, original[i].headers);
        EXPECT_FALSE(back[i].headers.isEmpty());
    }
    EXPECT_EQ(read.list.stations[1].addresses[0].headers.value(HttpHeaders::Header::Origin),
              "https://b.example");
}

TEST(CheckReport, BuiltInStationsGetAnInfoLineWithTheirName) {
    CheckList list;
    list.stations.push_back(
        CheckStation{u"ERT, News"_s, {CheckAddress{.address = u"mms://a.example/x"_s}}});
    EXPECT_EQ(readBack(checkedM3u(list, false)), QStringList{u"ERT, News | mms://a.example/x"_s});
}

TEST(CheckReport, LinesTotalsAndExitStatus) {
    CheckList list = readList();
    setVerdict(list, u"http://one.example/b"_s, Kind::Plays);
    setVerdict(list, u"http://one.example/c"_s, Kind::Plays);
    setVerdict(list, u"http://two.example/a"_s, Kind::Refused);
    const CheckTotals totals = checkTotals(list);
    EXPECT_EQ(totals.stations, 3);
    EXPECT_EQ(totals.stationsPlaying, 1);
    EXPECT_EQ(totals.addressesPlaying, 2);
    EXPECT_EQ(totals.addressesChecked, 3); // two were never checked
    EXPECT_EQ(checkExitStatus(totals), 1);
    EXPECT_EQ(stationLines(list).split(u'\n').first(), u"One: 2 of 3 play: http://one.example/b"_s);
    EXPECT_TRUE(stationLines(list).contains(u"Two: 0 of 1 play\n"_s));
    EXPECT_TRUE(summaryText(totals, 12345, false).contains(u"Time taken: 12.3 s"_s));
    EXPECT_TRUE(summaryText(totals, 0, true).startsWith(u"Interrupted: 3 of 5"_s));

    setVerdict(list, u"http://two.example/a"_s, Kind::Plays);
    setVerdict(list, u"http://three.example/plain"_s, Kind::Plays);
    EXPECT_EQ(checkExitStatus(checkTotals(list)), 0);
}

TEST(CheckReport, JsonHoldsEveryAddressWithItsDetails) {
    CheckList list = readList();
    CheckAddress& playing = list.stations[0].addresses[1];
    playing.verdict.kind = Kind::Plays;
    playing.verdict.codecs = QStringList{u"H264 - MPEG-4 AVC (part 10)"_s, u"MPEG AAC Audio"_s};
    playing.verdict.videoSize = QSize(640, 360);
    playing.verdict.finalAddress = u"http://one.example/entry"_s;
    playing.verdict.elapsedMs = 1500;
    list.stations[1].addresses[0].verdict.kind = Kind::HttpStatus;
    list.stations[1].addresses[0].verdict.httpStatus = 404;

    const QJsonObject root = QJsonDocument::fromJson(checkJson(list, u"tv.m3u"_s, 2000)).object();
    EXPECT_EQ(root[u"list"_s].toString(), u"tv.m3u"_s);
    EXPECT_EQ(root[u"seconds"_s].toDouble(), 2.0);
    EXPECT_EQ(root[u"totals"_s][u"stationsPlaying"_s].toInt(), 1);
    EXPECT_EQ(root[u"totals"_s][u"addresses"_s].toInt(), 5);
    const QJsonArray stations = root[u"stations"_s].toArray();
    ASSERT_EQ(stations.size(), 3);
    const QJsonObject b = stations[0][u"addresses"_s][1].toObject();
    EXPECT_EQ(b[u"verdict"_s].toString(), u"plays"_s);
    EXPECT_EQ(b[u"width"_s].toInt(), 640);
    EXPECT_EQ(b[u"height"_s].toInt(), 360);
    EXPECT_EQ(b[u"codecs"_s].toArray().size(), 2);
    EXPECT_EQ(b[u"finalAddress"_s].toString(), u"http://one.example/entry"_s);
    EXPECT_EQ(b[u"seconds"_s].toDouble(), 1.5);
    EXPECT_EQ(b[u"text"_s].toString(),
              u"plays (H264 - MPEG-4 AVC (part 10), MPEG AAC Audio, 640x360)"_s);
    const QJsonObject two = stations[1][u"addresses"_s][0].toObject();
    EXPECT_EQ(two[u"verdict"_s].toString(), u"http-status"_s);
    EXPECT_EQ(two[u"httpStatus"_s].toInt(), 404);
    EXPECT_EQ(two[u"text"_s].toString(), u"HTTP status 404"_s);
    EXPECT_FALSE(two.contains(u"codecs"_s));
    EXPECT_EQ(stations[2][u"addresses"_s][0][u"verdict"_s].toString(), u"not-checked"_s);
}

} // namespace

namespace {

TEST(CheckList, BuiltInCatalogueHoldsEveryStationAdultOnesToo) {
    orvanto::Catalogue catalogue;
    orvanto::RegisterStations(catalogue);
    orvanto::RegisterAdultStations(catalogue);
    const CheckList list = checkListFromCatalogue(catalogue);
    ASSERT_EQ(int(list.stations.size()), catalogue.StationCount());
    EXPECT_EQ(list.addressCount(), catalogue.urlCount());
    EXPECT_EQ(list.stations.back().name, catalogue.station(catalogue.StationCount()).Name);
}

TEST(CheckList, EntriesLeftOutByTheReaderAreCounted) {
    const CheckListRead read = checkListFromM3u(
        u"#EXTM3U\n#EXTINF:-1,Local\nfile:///etc/passwd\n#EXTINF:-1,Net\nhttp://a.example/\n"_s,
        QUrl(u"http://lists.example/tv.m3u"_s));
    EXPECT_TRUE(read.error.isEmpty());
    EXPECT_EQ(read.problemCount, 1);
    ASSERT_EQ(read.list.stations.size(), 1u);
    EXPECT_EQ(read.list.stations[0].name, u"Net"_s);
}

} // namespace

namespace {

TEST(CheckProgress, EstimatesTheTimeLeftFromThePaceSoFar) {
    EXPECT_EQ(progressText(0, 900, 0, 0), u"Checked 0/900, 0 play, 0:00 elapsed"_s);
    EXPECT_EQ(progressText(10, 40, 3, 20000),
              u"Checked 10/40, 3 play, 0:20 elapsed, about 1:00 left"_s);
    EXPECT_EQ(progressText(1, 1000, 1, 5000),
              u"Checked 1/1000, 1 play, 0:05 elapsed, about 1:23:15 left"_s);
    EXPECT_EQ(progressText(40, 40, 40, 61000), u"Checked 40/40, 40 play, 1:01 elapsed"_s);
}

} // namespace
