#include "catalogue/Catalogue.h"

#include "catalogue/PlaylistRegistration.h"

#include <gtest/gtest.h>

using orvanto::Catalogue;
using orvanto::Station;

using namespace Qt::Literals::StringLiterals;

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

// The name index is a table of its own that grows as stations come, reserved for some or not.
TEST(Catalogue, EveryStationIsFoundByItsNameHoweverTheCatalogueGrew) {
    for (const int reserved : {0, 3, 6000}) {
        Catalogue c;
        c.reserve(reserved);
        for (int i = 0; i < 5000; ++i) {
            c.AddStreamUrl(u"Channel %1"_s.arg(i), s("u"));
        }
        ASSERT_EQ(c.StationCount(), 5000);
        for (int i = 0; i < 5000; ++i) {
            ASSERT_EQ(c.FindStation(u"Channel %1"_s.arg(i)), i + 1) << i << " of " << reserved;
        }
        EXPECT_EQ(c.FindStation(s("Channel 5000")), Catalogue::NotFound);
        EXPECT_EQ(c.FindStation(s("channel 1")), Catalogue::NotFound);
        EXPECT_EQ(c.AddStreamUrl(s("Channel 4999"), s("v")), Catalogue::AddResult::Added);
        EXPECT_EQ(c.StationCount(), 5000);
    }
}

// The three tags share one text: each must come back as it went in, whatever its script, and
// an empty one must not take a neighbour's characters.
TEST(StationTags, EachTagComesBackAsItWentInAndOnlyEmptyOnesAreFilled) {
    using orvanto::StationTags;
    const StationTags greek(s("ένα.gr"), QString(), s("http://εικόνα.example/1.png"));
    EXPECT_EQ(greek.id(), s("ένα.gr"));
    EXPECT_TRUE(greek.name().isEmpty());
    EXPECT_EQ(greek.logo(), s("http://εικόνα.example/1.png"));
    EXPECT_FALSE(greek.isEmpty());

    const StationTags onlyName(QString(), s("Ena 🎬"), QString());
    EXPECT_TRUE(onlyName.id().isEmpty());
    EXPECT_EQ(onlyName.name(), s("Ena 🎬"));
    EXPECT_TRUE(onlyName.logo().isEmpty());
    EXPECT_TRUE(StationTags(QString(), QString(), QString()).isEmpty());

    const StationTags filled = greek.filledFrom(StationTags(s("other"), s("Ena"), s("x")));
    EXPECT_EQ(filled, StationTags(s("ένα.gr"), s("Ena"), s("http://εικόνα.example/1.png")));
    EXPECT_EQ(StationTags().filledFrom(onlyName), onlyName);
    EXPECT_EQ(onlyName.filledFrom(StationTags()), onlyName);
}

// A station's first address is kept apart from the others: a copy of the catalogue must carry
// every slot, header and archive, and stay its own.
TEST(Catalogue, ACopyHoldsEveryAddressAndArchiveAndStaysItsOwn) {
    using orvanto::Catchup;
    using orvanto::HttpHeaders;
    using orvanto::StreamAddress;
    Catalogue c;
    HttpHeaders headers;
    headers.set(HttpHeaders::Header::Referer, u"http://site.example/");
    Catchup shift;
    shift.kind = Catchup::Kind::Shift;
    shift.days = 2;
    c.AddStreamUrl(s("A"), StreamAddress(s("http://a.example/1"), headers));
    c.AddStreamUrl(s("A"), s("http://a.example/2"), {}, {}, shift);
    c.AddStreamUrl(s("A"), s("http://a.example/3"));
    c.AddStreamUrl(s("B"), s("http://b.example/1"), {}, {}, shift);

    Catalogue copy = c;
    copy.AddStreamUrl(s("A"), s("http://a.example/4"));
    copy.AddStreamUrl(s("B"), s("http://b.example/2"));

    const Station& a = c.station(1);
    ASSERT_EQ(a.StreamUrls.size(), 3U);
    EXPECT_EQ(a.StreamUrls.address(0).headers.value(HttpHeaders::Header::Referer),
              "http://site.example/");
    EXPECT_EQ(a.StreamUrls[2], s("http://a.example/3"));
    EXPECT_TRUE(a.StreamUrls[3].isEmpty());
    EXPECT_FALSE(a.StreamUrls.catchup(0).enabled());
    EXPECT_EQ(a.StreamUrls.catchup(1).days, 2);
    EXPECT_EQ(c.station(2).StreamUrls.size(), 1U);
    EXPECT_TRUE(c.station(2).hasCatchup());

    const Station& copied = copy.station(1);
    ASSERT_EQ(copied.StreamUrls.size(), 4U);
    EXPECT_EQ(copied.StreamUrls.address(0), a.StreamUrls.address(0));
    EXPECT_EQ(copied.StreamUrls.catchup(1), shift);
    EXPECT_EQ(copied.StreamUrls[3], s("http://a.example/4"));
    EXPECT_EQ(copy.station(2).StreamUrls[1], s("http://b.example/2"));
    EXPECT_EQ(copy.station(2).StreamUrls.catchup(0), shift);
    EXPECT_FALSE(copy.station(2).StreamUrls.catchup(1).enabled());

    c = copy;
    EXPECT_EQ(c.station(1).StreamUrls.size(), 4U);
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
    EXPECT_EQ(a.Tags.id(), QStringLiteral("a.tv"));
    EXPECT_EQ(a.Tags.logo(), QStringLiteral("http://img.example.com/a.png"));
}

} // namespace
} // namespace orvanto
