#include "catalogue/M3uParser.h"

#include "catalogue/PlaylistText.h"

#include <QStringEncoder>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using orvanto::decodePlaylistText;
using orvanto::M3uResult;
using orvanto::parseM3u;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

using Pairs = std::vector<std::pair<QString, QString>>;

Pairs pairsOf(const M3uResult& result) {
    Pairs pairs;
    for (const auto& entry : result.entries) {
        pairs.emplace_back(entry.name, entry.address);
    }
    return pairs;
}

Pairs parse(const char* text, const QUrl& base = QUrl()) {
    return pairsOf(parseM3u(s(text), base));
}

TEST(M3uParser, ExtendedPlaylist) {
    const M3uResult result =
        parseM3u(s("#EXTM3U url-tvg=\"http://epg.example.com/a.xml\"\n"
                   "#EXTINF:-1 tvg-id=\"one\" tvg-logo=\"http://img.example.com/1.png\" "
                   "group-title=\"News\",  Kanali Ena  \n"
                   "#EXTVLCOPT:http-user-agent=Mozilla/5.0\n"
                   "#EXTGRP:News\n"
                   "http://tv.example.com/one.m3u8\n"
                   "\n"
                   "# a comment\n"
                   "#EXTINF:0,Radio Dyo\n"
                   "  mms://radio.example.net/dyo  \n"));
    EXPECT_EQ(pairsOf(result), (Pairs{{s("Kanali Ena"), s("http://tv.example.com/one.m3u8")},
                                      {s("Radio Dyo"), s("mms://radio.example.net/dyo")}}));
    EXPECT_EQ(result.entries[1].line, 9);
    EXPECT_EQ(result.problemCount, 0);
    EXPECT_TRUE(result.rejection.isEmpty());
}

TEST(M3uParser, PlainPlaylistNamesEachEntryByItsAddress) {
    EXPECT_EQ(parse("# my list\n\nhttp://a.example.com/1\n   \nrtsp://b.example.com/2\n"),
              (Pairs{{s("http://a.example.com/1"), s("http://a.example.com/1")},
                     {s("rtsp://b.example.com/2"), s("rtsp://b.example.com/2")}}));
}

TEST(M3uParser, NameStartsAfterTheAttributes) {
    EXPECT_EQ(parse("#EXTINF:-1 tvg-name=\"A, B\" group-title=\"News, Sport\",Kanali 1\nu1\n"
                    "#EXTINF:-1,Say \"hi, there\"\nu2\n"
                    "#EXTINF:-1 group-title=\"x\",News, Weather\nu3\n"
                    "#EXTINF:-1 tvg-name=\"Open quote,Kanali 4\nu4\n"
                    "#EXTINF:-1 tvg-id=\"x\",News, Weather and Sport\nu5\n"
                    "#EXTINF:0 radio,Talk, \"Late\", Night\nu6\n"),
              (Pairs{{s("Kanali 1"), s("u1")},
                     {s("Say \"hi, there\""), s("u2")},
                     {s("News, Weather"), s("u3")},
                     {s("Kanali 4"), s("u4")},
                     {s("News, Weather and Sport"), s("u5")},
                     {s("Talk, \"Late\", Night"), s("u6")}}));
}

TEST(M3uParser, GroupTitleGoesWithItsOwnEntryOnly) {
    const M3uResult result =
        parseM3u(s("#EXTINF:-1 tvg-name=\"A, B\" group-title=\" News, Sport \",Kanali 1\nu1\n"
                   "#EXTINF:-1 GROUP-TITLE=Music,Kanali 2\nu2\n"
                   "#EXTINF:-1 group-title=\"Lost\",No address\n"
                   "#EXTINF:-1,Kanali 3\nu3\n"
                   "u4\n"));
    ASSERT_EQ(result.entries.size(), 4u);
    EXPECT_EQ(result.entries[0].group, s("News, Sport"));
    EXPECT_EQ(result.entries[1].group, s("Music"));
    EXPECT_TRUE(result.entries[2].group.isEmpty());
    EXPECT_TRUE(result.entries[3].group.isEmpty());
}

TEST(M3uParser, MissingDisplayNameFallsBackToTvgNameThenAddress) {
    EXPECT_EQ(parse("#EXTINF:-1 tvg-name=\"Alpha TV\" tvg-logo=\"x,y\",  \nu1\n"
                    "#EXTINF:-1 TVG-NAME=Beta\nu2\n"
                    "#EXTINF:-1,\nu3\n"
                    "#EXTINF:\nu4\n"),
              (Pairs{{s("Alpha TV"), s("u1")},
                     {s("Beta"), s("u2")},
                     {s("u3"), s("u3")},
                     {s("u4"), s("u4")}}));
}

TEST(M3uParser, ExtinfWithoutAddressIsDroppedAndReported) {
    const M3uResult result =
        parseM3u(s("#EXTM3U\n#EXTINF:-1,Lost\n#EXTINF:-1,Kept\nhttp://k.example.com/\n"
                   "#EXTINF:-1,Last\n# nothing follows\n"));
    EXPECT_EQ(pairsOf(result), (Pairs{{s("Kept"), s("http://k.example.com/")}}));
    EXPECT_EQ(result.problemCount, 2);
    EXPECT_EQ(result.problems,
              (QStringList{s("Line 2: #EXTINF without an address after it, ignored"),
                           s("Line 5: #EXTINF without an address after it, ignored")}));
}

TEST(M3uParser, ProblemTextsAreCappedButCounted) {
    QString text;
    for (int i = 0; i < 1000; ++i) {
        text += s("#EXTINF:-1,x\n");
    }
    const M3uResult result = parseM3u(text);
    EXPECT_EQ(result.problemCount, 1000);
    EXPECT_EQ(result.problems.size(), M3uResult::MaxProblemTexts);
}

TEST(M3uParser, EveryLineEndAndByteOrderMark) {
    const Pairs expected{{s("A"), s("u1")}, {s("B"), s("u2")}, {s("C"), s("u3")}};
    EXPECT_EQ(parse("#EXTM3U\r\n#EXTINF:-1,A\r\nu1\r\n#EXTINF:-1,B\r\nu2\r\n#EXTINF:-1,C\r\nu3"),
              expected);
    EXPECT_EQ(parse("#EXTINF:-1,A\ru1\r#EXTINF:-1,B\ru2\r\n#EXTINF:-1,C\nu3\n"), expected);
    EXPECT_EQ(parse("\xEF\xBB\xBF#EXTM3U\n#EXTINF:-1,A\nu1\n#EXTINF:-1,B\nu2\n#EXTINF:-1,C\nu3"),
              expected);
    // The mark must not make the first address a different one.
    EXPECT_EQ(parse("\xEF\xBB\xBFhttp://a.example.com/"),
              (Pairs{{s("http://a.example.com/"), s("http://a.example.com/")}}));
}

TEST(M3uParser, RelativeAddressesResolveAgainstALocalPlaylist) {
    const QUrl base = QUrl::fromLocalFile(s("/home/user/lists/tv.m3u"));
    const M3uResult result = parseM3u(s("live/one.ts\n../other dir/two#1.ts\n/srv/three.ts\n"
                                        "http://x.example.com/four\nfile:///five.ts\n"),
                                      base);
    ASSERT_EQ(result.entries.size(), 5u);
    EXPECT_EQ(result.entries[0].address, s("file:///home/user/lists/live/one.ts"));
    EXPECT_EQ(result.entries[0].name, result.entries[0].address);
    EXPECT_EQ(result.entries[1].address, s("file:///home/user/other%20dir/two%231.ts"));
    EXPECT_EQ(result.entries[2].address, s("file:///srv/three.ts"));
    EXPECT_EQ(result.entries[3].address, s("http://x.example.com/four"));
    EXPECT_EQ(result.entries[4].address, s("file:///five.ts"));
}

TEST(M3uParser, RelativeAddressesResolveAgainstANetworkPlaylist) {
    const QUrl base(s("https://lists.example.org/tv/all.m3u8?user=1"));
    EXPECT_EQ(parse("#EXTINF:-1,A\nlive/a.m3u8\n#EXTINF:-1,B\n/b.ts?x=1\n"
                    "#EXTINF:-1,C\n//cdn.example.net/c\n#EXTINF:-1,D\nmms://d.example.com/d\n",
                    base),
              (Pairs{{s("A"), s("https://lists.example.org/tv/live/a.m3u8")},
                     {s("B"), s("https://lists.example.org/b.ts?x=1")},
                     {s("C"), s("https://cdn.example.net/c")},
                     {s("D"), s("mms://d.example.com/d")}}));
    // Without a location, relative addresses stay as written.
    EXPECT_EQ(parse("live/a.m3u8"), (Pairs{{s("live/a.m3u8"), s("live/a.m3u8")}}));
}

TEST(M3uParser, NetworkPlaylistMayNotPointIntoThisComputer) {
    const M3uResult result = parseM3u(s("#EXTINF:-1,Secret\nfile:///etc/passwd\nFD://0\n"
                                        "screen://\nhttp://ok.example.com/\n"),
                                      QUrl(s("http://lists.example.org/a.m3u")));
    EXPECT_EQ(pairsOf(result), (Pairs{{s("http://ok.example.com/"), s("http://ok.example.com/")}}));
    EXPECT_EQ(result.problemCount, 3);
    EXPECT_TRUE(result.problems[0].startsWith(s("Line 2: the address \"file:///etc/passwd\"")));
    // However long the address, the message stays readable.
    const QString longAddress = s("file:///") + QString(100000, u'x');
    const M3uResult longResult = parseM3u(longAddress, QUrl(s("http://lists.example.org/a.m3u")));
    ASSERT_EQ(longResult.problems.size(), 1);
    EXPECT_LT(longResult.problems[0].size(), 300);
    // A local playlist may.
    EXPECT_EQ(parse("file:///media/a.ts", QUrl::fromLocalFile(s("/tmp/l.m3u"))).size(), 1u);
}

TEST(M3uParser, TextsThatAreNoChannelListAreRejected) {
    const char* const foreign[] = {
        "<!DOCTYPE html>\n<html><body>Not found</body></html>\n",
        "\n  <?xml version=\"1.0\"?><playlist/>",
        "[playlist]\nFile1=http://a.example.com/\n",
        "{\"channels\": []}",
        "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\nseg1.ts\n",
        "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1280000\nlow.m3u8\n",
    };
    for (const char* text : foreign) {
        EXPECT_FALSE(parseM3u(s(text)).rejection.isEmpty()) << text;
    }
}

TEST(PlaylistText, DecodesUtf8WithOrWithoutMark) {
    EXPECT_EQ(decodePlaylistText("\xEF\xBB\xBF\xCE\x95\xCF\x81\xCF\x84").text, s("Ερτ"));
    const auto plain = decodePlaylistText("Ert \xE2\x82\xAC \xEF\xBF\xBD");
    EXPECT_EQ(plain.text, s("Ert € \xEF\xBF\xBD"));
    EXPECT_FALSE(plain.windows1252);
    EXPECT_TRUE(plain.rejection.isEmpty());
}

TEST(PlaylistText, OlderListsAreReadAsWindows1252) {
    const auto text = decodePlaylistText(
        "#EXTINF:-1,Caf\xE9 \x80 TV \x93\xBD\x94\nhttp://cafe.example.com/live\n");
    EXPECT_TRUE(text.rejection.isEmpty());
    EXPECT_TRUE(text.windows1252);
    EXPECT_EQ(text.text, s("#EXTINF:-1,Café € TV “½”\nhttp://cafe.example.com/live\n"));
}

TEST(PlaylistText, LinesWithNulBytesAreSkippedAndCounted) {
    static const char raw[] =
        "#EXTM3U\r\nhttp://a.example.com/1\r\nx\0y\r\n\0\nhttp://b.example.com/2";
    const QByteArray bytes(raw, sizeof raw - 1);
    const auto text = decodePlaylistText(bytes);
    EXPECT_TRUE(text.rejection.isEmpty());
    EXPECT_EQ(text.nulLines, 2);
    EXPECT_EQ(text.text, s("#EXTM3U\r\nhttp://a.example.com/1\r\n\r\n\nhttp://b.example.com/2"));
}

TEST(PlaylistText, BinaryIsRejected) {
    EXPECT_FALSE(decodePlaylistText(QByteArrayView("http://\0\0\0\0x", 12)).rejection.isEmpty());
    QByteArray noise;
    for (int i = 0; i < 4096; ++i) {
        noise += static_cast<char>(0x80 + (i * 37) % 0x7f);
    }
    EXPECT_FALSE(decodePlaylistText(noise).rejection.isEmpty());
    EXPECT_FALSE(decodePlaylistText("\x01\x02\x03\x04 abc\n").rejection.isEmpty());
}

// Windows' editors save lists as "Unicode": UTF-16 with a byte-order mark.
TEST(PlaylistText, Utf16AndUtf32WithAMarkAreRead) {
    const QString list = s("#EXTM3U\r\n#EXTINF:-1,Ελληνικά Café\r\nhttp://tv.example.com/é\r\n");
    auto encoded = [&](QStringEncoder::Encoding encoding) {
        QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
        return QByteArray(encoder.encode(list));
    };
    for (const auto encoding : {QStringEncoder::Utf16LE, QStringEncoder::Utf16BE,
                                QStringEncoder::Utf32LE, QStringEncoder::Utf32BE}) {
        const auto text = decodePlaylistText(encoded(encoding));
        EXPECT_TRUE(text.rejection.isEmpty()) << int(encoding) << text.rejection.toStdString();
        EXPECT_EQ(text.text, list) << int(encoding);
        EXPECT_EQ(pairsOf(parseM3u(text.text)),
                  (Pairs{{s("Ελληνικά Café"), s("http://tv.example.com/é")}}));
    }
    // A line with a NUL character is left out, as in UTF-8 text.
    const auto withNul =
        decodePlaylistText(QByteArrayView("\xFF\xFEh\0\0\0\n\0h\0t\0t\0p\0:\0/\0/\0u\0", 24));
    EXPECT_TRUE(withNul.rejection.isEmpty());
    EXPECT_EQ(withNul.nulLines, 1);
    EXPECT_EQ(withNul.text, s("\nhttp://u"));
    // Units that decode to nothing are no text.
    QByteArray broken("\xFF\xFE");
    for (int i = 0; i < 64; ++i) {
        broken += QByteArrayView("\x00\xDC", 2); // lone low surrogates
    }
    EXPECT_FALSE(decodePlaylistText(broken).rejection.isEmpty());
}

} // namespace

namespace {

TEST(M3uParser, HeaderNamesTheGuidesAndEntriesKeepTheirGuideTags) {
    const M3uResult result = parseM3u(s(
        "#EXTM3U x-tvg-url=\"http://b.example.com/b.xml.gz\" "
        "URL-TVG=\"http://a.example.com/a.xml, http://b.example.com/b.xml.gz,,\" refresh=3600\n"
        "#EXTINF:-1 tvg-id=\" one.gr \" tvg-name=\"Ena\" tvg-logo=\"http://img.example.com/1.png\","
        "Kanali Ena\nhttp://tv.example.com/1\n"
        "#EXTINF:-1,Dyo\nhttp://tv.example.com/2\n"
        // A later #EXTM3U line is no header: its guide is not the list's.
        "#EXTM3U url-tvg=\"http://c.example.com/c.xml\"\n"
        "http://tv.example.com/3\n"));
    EXPECT_EQ(result.guideAddresses,
              (QStringList{s("http://a.example.com/a.xml"), s("http://b.example.com/b.xml.gz")}));
    ASSERT_EQ(result.entries.size(), 3u);
    EXPECT_EQ(result.entries[0].tags.id(), s("one.gr"));
    EXPECT_EQ(result.entries[0].tags.name(), s("Ena"));
    EXPECT_EQ(result.entries[0].tags.logo(), s("http://img.example.com/1.png"));
    // Tags belong to their own entry only.
    EXPECT_TRUE(result.entries[1].tags.id().isEmpty());
    EXPECT_TRUE(result.entries[2].tags.name().isEmpty());
}

TEST(M3uParser, GuideAddressesAreBounded) {
    QString header = s("#EXTM3U url-tvg=\"");
    for (int i = 0; i < 50; ++i) {
        header += QStringLiteral("http://g%1.example.com/x.xml,").arg(i);
    }
    const M3uResult result = parseM3u(header + s("\"\nhttp://tv.example.com/1\n"));
    EXPECT_EQ(result.guideAddresses.size(), M3uResult::MaxGuideAddresses);
    EXPECT_EQ(result.guideAddresses.first(), s("http://g0.example.com/x.xml"));
}

} // namespace
