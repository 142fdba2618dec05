#include "catalogue/Catalogue.h"

#include "catalogue/PlaylistRegistration.h"

#include <gtest/gtest.h>

using orvanto::Catalogue;
using orvanto::Station;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

TEST(Catalogue, EmptyCatalogueFindsNothing) {
    Catalogue c;
    EXPECT_EQ(c.StationCount(), 0);
    EXPECT_EQ(c.FindStation(s("MEGA")), Catalogue::NotFound);
    EXPECT_EQ(c.FindStation(QString()), Catalogue::NotFound);
}

TEST(Catalogue, FirstRegistrationCreatesStationAtTheEnd) {
    Catalogue c;
    EXPECT_EQ(c.AddStreamUrl(s("A"), s("mms://a.example/1")), Catalogue::AddResult::CreatedStation);
    EXPECT_EQ(c.AddStreamUrl(s("B"), s("mms://b.example/1")), Catalogue::AddResult::CreatedStation);
    ASSERT_EQ(c.StationCount(), 2);
    const Station& b = c.station(2);
    EXPECT_EQ(b.Name, s("B"));
    EXPECT_EQ(b.LastUrlIndex, 0);
    EXPECT_EQ(b.StreamUrls[0], s("mms://b.example/1"));
    EXPECT_TRUE(b.StreamUrls[1].isEmpty());
    EXPECT_EQ(b.Page, Station::NoPage);
}

TEST(Catalogue, LaterRegistrationAppendsToFirstStationOfThatName) {
    Catalogue c;
    c.AddStreamUrl(s("A"), s("u1"));
    c.AddStreamUrl(s("B"), s("u2"));
    EXPECT_EQ(c.AddStreamUrl(s("A"), s("u3")), Catalogue::AddResult::Added);
    EXPECT_EQ(c.StationCount(), 2);
    EXPECT_EQ(c.FindStation(s("A")), 1);
    EXPECT_EQ(c.FindStation(s("B")), 2);
    EXPECT_EQ(c.station(1).LastUrlIndex, 1);
    EXPECT_EQ(c.station(1).StreamUrls[1], s("u3"));
    EXPECT_EQ(c.urlCount(), 3);
}

TEST(Catalogue, NamesCompareExactly) {
    Catalogue c;
    c.AddStreamUrl(s("ANTENA "), s("u1"));
    c.AddStreamUrl(s("ANTENA"), s("u2"));
    c.AddStreamUrl(s("antena "), s("u3"));
    c.AddStreamUrl(s("4€ Eklisia"), s("u4"));
    EXPECT_EQ(c.StationCount(), 4);
    EXPECT_EQ(c.FindStation(s("ANTENA ")), 1);
    EXPECT_EQ(c.FindStation(s("ANTENA")), 2);
    EXPECT_EQ(c.FindStation(s("antena ")), 3);
    EXPECT_EQ(c.FindStation(s("4€ Eklisia")), 4);
    EXPECT_EQ(c.FindStation(s("4E Eklisia")), Catalogue::NotFound);
    EXPECT_EQ(c.FindStation(s(" ANTENA")), Catalogue::NotFound);
}

TEST(Catalogue, AddressesAreKeptAsGivenDuplicatesIncluded) {
    Catalogue c;
    c.AddStreamUrl(s("A"), s("mms://x.example/a"));
    c.AddStreamUrl(s("A"), s("mms://x.example/a"));
    c.AddStreamUrl(s("A"), s("mms://x.example/a "));
    c.AddStreamUrl(s("A"), QString());
    const Station& a = c.station(1);
    EXPECT_EQ(a.LastUrlIndex, 3);
    EXPECT_EQ(a.StreamUrls[0], a.StreamUrls[1]);
    EXPECT_EQ(a.StreamUrls[2], s("mms://x.example/a "));
    EXPECT_TRUE(a.StreamUrls[3].isEmpty());
}

TEST(Catalogue, HundredAddressesFitAndTheHundredAndFirstIsRefused) {
    Catalogue c;
    for (int i = 0; i < Station::MaxUrls; ++i) {
        ASSERT_NE(c.AddStreamUrl(s("A"), QString::number(i)), Catalogue::AddResult::StationFull);
    }
    c.AddStreamUrl(s("B"), s("b"));
    EXPECT_EQ(c.station(1).LastUrlIndex, 99);
    EXPECT_EQ(c.station(1).StreamUrls[99], s("99"));

    EXPECT_EQ(c.AddStreamUrl(s("A"), s("one too many")), Catalogue::AddResult::StationFull);
    EXPECT_EQ(c.station(1).LastUrlIndex, 99);
    EXPECT_EQ(c.station(1).StreamUrls[99], s("99"));
    EXPECT_EQ(c.StationCount(), 2);
    EXPECT_EQ(c.station(2).LastUrlIndex, 0);
    EXPECT_EQ(c.urlCount(), 101);
}

TEST(Catalogue, IndicesStayStableWhileTheCatalogueGrows) {
    Catalogue c;
    for (int i = 0; i < 500; ++i) {
        c.AddStreamUrl(QString::number(i), s("u"));
    }
    EXPECT_EQ(c.StationCount(), 500);
    EXPECT_EQ(c.FindStation(s("0")), 1);
    EXPECT_EQ(c.FindStation(s("499")), 500);
    c.setPage(3, 4);
    EXPECT_EQ(c.station(3).Page, 4);
}

} // namespace

namespace orvanto {
namespace {

TEST(Catalogue, ARegisteredListKeepsItsGuideAndEachStationTheGuideTagsItsEntriesGive) {
    PlaylistData data;
    data.source = QStringLiteral("tv.m3u");
    data.location = QUrl(QStringLiteral("http://lists.example.com/tv.m3u"));
    data.bytes = "#EXTM3U url-tvg=\"guide.xml.gz\"\n"
                 "#EXTINF:-1 tvg-logo=\"http://img.example.com/a.png\",A\nhttp://a.example.com/1\n"
                 "#EXTINF:-1 tvg-id=\"a.tv\" tvg-logo=\"http://img.example.com/other.png\",A\n"
                 "http://a.example.com/2\n";
    Catalogue catalogue;
    ASSERT_TRUE(registerPlaylist(data, catalogue).accepted);
    EXPECT_EQ(catalogue.guideAddresses(), QStringList{QStringLiteral("guide.xml.gz")});
    const Station& a = catalogue.station(1);
    // The second entry gives the id the first lacked; the first entry's logo stays.
    EXPECT_EQ(a.Tags.id, QStringLiteral("a.tv"));
    EXPECT_EQ(a.Tags.logo, QStringLiteral("http://img.example.com/a.png"));
}

} // namespace
} // namespace orvanto
