#include "catalogue/Catalogue.h"
#include "catalogue/M3uParser.h"
#include "catalogue/PlaylistRegistration.h"
#include "core/AddressPolicy.h"

#include <gtest/gtest.h>

using namespace orvanto;
using Header = HttpHeaders::Header;
using namespace Qt::Literals::StringLiterals;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray value(const M3uEntry& entry, Header header) {
    return entry.headers.value(header);
}

// Each notation lists publish, one entry each.
TEST(ListHeaders, EveryNotationIsRead) {
    const M3uResult result = parseM3u(s(
        "#EXTM3U\n"
        "#EXTINF:-1,Vlc\n"
        "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux x86_64)\n"
        "#EXTVLCOPT:http-referrer=https://site.example.com/watch\n"
        "http://a.example.com/vlc.m3u8\n"
        "#EXTINF:-1 http-user-agent=\"Agent A\" http-referrer=\"https://a.example.com/\",Attr1\n"
        "http://a.example.com/attr1\n"
        "#EXTINF:-1 tvg-id=\"x\" user-agent=\"Agent B\" referrer=\"https://b.example.com/\",Attr2\n"
        "http://a.example.com/attr2\n"
        "#EXTINF:-1,Kodi\n"
        "http://a.example.com/kodi.m3u8|User-Agent=Mozilla%2F5.0%20(Windows)&referer=https%3A%2F%2F"
        "k.example.com%2F&Origin=https://k.example.com&Cookie=id%3D1%3B+x%3Dy&verifypeer=false\n"
        "#EXTINF:-1,Prop\n"
        "#KODIPROP:inputstream=inputstream.adaptive\n"
        "#KODIPROP:inputstream.adaptive.stream_headers=user-agent=Kodi%2F21&Referer=https://p."
        "example.com/\n"
        "http://a.example.com/prop.mpd\n"
        "#EXTINF:-1,None\n"
        "http://a.example.com/none\n"));
    ASSERT_EQ(result.entries.size(), 6u);
    ASSERT_EQ(result.problemCount, 0) << result.problems.join(u'\n').toStdString();
    const auto& e = result.entries;

    EXPECT_EQ(value(e[0], Header::UserAgent), "Mozilla/5.0 (X11; Linux x86_64)");
    EXPECT_EQ(value(e[0], Header::Referer), "https://site.example.com/watch");
    EXPECT_EQ(e[0].directives.size(), 3); // written back as they were

    EXPECT_EQ(value(e[1], Header::UserAgent), "Agent A");
    EXPECT_EQ(value(e[1], Header::Referer), "https://a.example.com/");
    EXPECT_EQ(value(e[2], Header::UserAgent), "Agent B");
    EXPECT_EQ(value(e[2], Header::Referer), "https://b.example.com/");

    EXPECT_EQ(e[3].address, s("http://a.example.com/kodi.m3u8"));
    EXPECT_EQ(e[3].addressOptions,
              s("|User-Agent=Mozilla%2F5.0%20(Windows)&referer=https%3A%2F%2Fk.example.com%2F&"
                "Origin=https://k.example.com&Cookie=id%3D1%3B+x%3Dy&verifypeer=false"));
    EXPECT_EQ(value(e[3], Header::UserAgent), "Mozilla/5.0 (Windows)");
    EXPECT_EQ(value(e[3], Header::Referer), "https://k.example.com/");
    EXPECT_EQ(value(e[3], Header::Origin), "https://k.example.com");
    EXPECT_EQ(value(e[3], Header::Cookie), "id=1; x=y");

    EXPECT_EQ(value(e[4], Header::UserAgent), "Kodi/21");
    EXPECT_EQ(value(e[4], Header::Referer), "https://p.example.com/");
    EXPECT_TRUE(e[4].addressOptions.isEmpty());

    EXPECT_TRUE(e[5].headers.isEmpty());
}

TEST(ListHeaders, TheNotationClosestToTheAddressWinsAndNothingLeaksToTheNextEntry) {
    const M3uResult result = parseM3u(
        s("#EXTVLCOPT:http-user-agent=Before the info line\n"
          "#EXTINF:-1 user-agent=\"Attribute\" referrer=\"https://attr.example.com/\",One\n"
          "#EXTVLCOPT:http-user-agent=\"Quoted directive\"\n"
          "http://a.example.com/1|User-Agent=Suffix\n"
          "#EXTINF:-1 referrer=\"https://lost.example.com/\" user-agent=\"Lost\",No address\n"
          "#EXTINF:-1,Two\n"
          "#EXTVLCOPT:http-user-agent=First\n"
          "#EXTVLCOPT:HTTP-USER-AGENT=Last\n"
          "http://a.example.com/2\n"
          "#EXTINF:-1,Three\n"
          "http://a.example.com/3\n"));
    ASSERT_EQ(result.entries.size(), 3u);
    const auto& e = result.entries;
    EXPECT_EQ(value(e[0], Header::UserAgent), "Suffix");
    EXPECT_EQ(value(e[0], Header::Referer), "https://attr.example.com/");
    EXPECT_EQ(value(e[1], Header::UserAgent), "Last");
    EXPECT_TRUE(value(e[1], Header::Referer).isEmpty()); // not the #EXTINF's without an address
    EXPECT_TRUE(e[2].headers.isEmpty());
}

// Values are sent as header lines: whatever a list writes, they never end one.
TEST(ListHeaders, ValuesCannotAddHeaderLinesAndAreBounded) {
    const QString longAgent(HttpHeaders::MaxValueLength + 1, u'a');
    const QString longAddress =
        u"http://a.example.com/"_s + QString(AddressPolicy::MaxAddressLength, u'x');
    const M3uResult result =
        parseM3u(u"#EXTINF:-1,One\n"
                 u"http://a.example.com/1|User-Agent=A%0D%0AX-Injected: 1%0A%00&Referer=%0D%0A&"
                 u"Cookie=%09id=1%7F\n"
                 u"#EXTINF:-1,Two\n"
                 u"#EXTVLCOPT:http-user-agent="_s +
                 longAgent +
                 u"\n"
                 u"#EXTVLCOPT:http-referrer=https://ok.example.com/\n"
                 u"http://a.example.com/2\n"
                 u"#EXTINF:-1,Three\n"_s +
                 longAddress + u"\nhttp://a.example.com/4\n"_s);
    ASSERT_EQ(result.entries.size(), 3u);
    const auto& e = result.entries;
    EXPECT_EQ(value(e[0], Header::UserAgent), "AX-Injected: 1");
    EXPECT_TRUE(value(e[0], Header::Referer).isEmpty());
    EXPECT_EQ(value(e[0], Header::Cookie), "id=1");
    EXPECT_TRUE(value(e[1], Header::UserAgent).isEmpty());
    EXPECT_EQ(value(e[1], Header::Referer), "https://ok.example.com/");
    EXPECT_EQ(e[2].address, s("http://a.example.com/4"));
    ASSERT_EQ(result.problemCount, 2);
    EXPECT_EQ(result.problems[0],
              s("Line 4: the User-Agent is longer than 2048 characters, not sent"));
    EXPECT_EQ(result.problems[1],
              s("Line 8: the address is longer than 8192 characters, left out"));
}

TEST(ListHeaders, OptionsWithoutAnAddressAreNoEntry) {
    const M3uResult result = parseM3u(s("#EXTINF:-1,One\n|User-Agent=x\nhttp://a.example.com/2\n"));
    ASSERT_EQ(result.entries.size(), 1u);
    EXPECT_EQ(result.entries[0].name, s("http://a.example.com/2"));
    EXPECT_EQ(result.problemCount, 1);
}

// The catalogue keeps each address's headers; addresses that ask for the same share one copy.
TEST(ListHeaders, TheCatalogueKeepsThemWithTheirAddress) {
    QByteArray list = "#EXTM3U\n";
    for (int i = 0; i < 3; ++i) {
        list += "#EXTINF:-1,Kanali\n#EXTVLCOPT:http-user-agent=Agent\nhttp://a.example.com/" +
                QByteArray::number(i) + "\n";
    }
    list += "#EXTINF:-1,Kanali\nhttp://a.example.com/plain\n";
    Catalogue catalogue;
    const PlaylistReport report =
        registerPlaylist(PlaylistData{s("list.m3u"), {}, list, {}}, catalogue);
    ASSERT_TRUE(report.accepted) << report.message.toStdString();
    const Station& station = catalogue.station(1);
    ASSERT_EQ(station.urlCount(), 4);
    EXPECT_EQ(station.StreamUrls[0], s("http://a.example.com/0"));
    EXPECT_EQ(station.StreamUrls.address(2).headers.value(Header::UserAgent), "Agent");
    EXPECT_EQ(station.StreamUrls.address(0).headers, station.StreamUrls.address(1).headers);
    EXPECT_TRUE(station.StreamUrls.address(3).headers.isEmpty());
}

} // namespace
