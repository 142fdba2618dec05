// Playlists as servers publish them, read the way the channel-list reader reads lists.
#include "core/AddressPolicy.h"
#include "net/AsxReader.h"
#include "net/PlaylistParser.h"

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

const QUrl kBase(QStringLiteral("http://radio.example.com/live/list.php?id=7"));

// The entries as the player requests them.
QStringList requested(QByteArrayView text) {
    QStringList result;
    if (const auto playlist = PlaylistParser::parse(text, kBase)) {
        for (const QUrl& url : playlist->entries) {
            result << url.toString(QUrl::FullyEncoded);
        }
    }
    return result;
}

QStringList list(std::initializer_list<const char*> items) {
    QStringList result;
    for (const char* item : items) {
        result << QString::fromUtf8(item);
    }
    return result;
}

TEST(PublishedPlaylist, AsxHrefWithBlanksIsKeptEncoded) {
    EXPECT_EQ(requested("<asx><entry><ref href=\"http://a.example.com/my stream.asf\"/>"
                        "<ref href=' http://a.example.com/b%20c.asf '/></entry>"
                        "<entry><ref href=\"mms://a.example.com/open quote />\n</entry>"
                        "<entry><ref href=http://a.example.com/bare word/></entry></asx>"),
              list({"http://a.example.com/my%20stream.asf", "http://a.example.com/b%20c.asf",
                    "http://a.example.com/bare"}));
}

TEST(PublishedPlaylist, Latin1TextIsReadAsWindows1252) {
    EXPECT_EQ(requested("#EXTM3U\n#EXTINF:-1,Caf\xe9\ncaf\xe9.wav\n"),
              list({"http://radio.example.com/live/caf%C3%A9.wav"}));
    EXPECT_EQ(requested("[playlist]\nFile1=http://radio.example.com/\x80uro.mp3\n"),
              list({"http://radio.example.com/%E2%82%ACuro.mp3"}));
    EXPECT_EQ(requested("<asx><ref href=\"http://radio.example.com/fran\xe7"
                        "ais.asf\"/></asx>"),
              list({"http://radio.example.com/fran%C3%A7ais.asf"}));
    // UTF-8 stays UTF-8.
    EXPECT_EQ(requested("#EXTM3U\ncaf\xc3\xa9.wav\n"),
              list({"http://radio.example.com/live/caf%C3%A9.wav"}));
}

TEST(PublishedPlaylist, BinaryDataAfterAPlaylistHeaderNamesNoAddress) {
    QByteArray noise;
    for (int i = 0; i < 4096; ++i) {
        noise += static_cast<char>((i * 131 + 7) % 256);
    }
    for (const QByteArray& head : {QByteArray("#EXTM3U\n"), QByteArray("[playlist]\nFile1="),
                                   QByteArray("<asx><ref href=\"")}) {
        SCOPED_TRACE(head.toStdString());
        const auto playlist = PlaylistParser::parse(head + noise, kBase);
        ASSERT_TRUE(playlist);
        EXPECT_TRUE(playlist->binary);
        EXPECT_TRUE(playlist->entries.isEmpty());
    }
    const auto text = PlaylistParser::parse("#EXTM3U\nhttp://a.example.com/1\n", kBase);
    ASSERT_TRUE(text);
    EXPECT_FALSE(text->binary);
}

TEST(PublishedPlaylist, OverLongAddressesAreRefusedNotCut) {
    const QByteArray longAddress =
        "http://a.example.com/" + QByteArray(AddressPolicy::MaxAddressLength, 'x');
    const QByteArray fits =
        "http://a.example.com/" + QByteArray(AddressPolicy::MaxAddressLength - 21, 'y');
    EXPECT_EQ(requested("#EXTM3U\n" + longAddress + "\n" + fits + "\nhttp://a.example.com/2\n"),
              (QStringList{QString::fromLatin1(fits), QStringLiteral("http://a.example.com/2")}));
    EXPECT_EQ(requested("<asx><ref href=\"" + longAddress + "\"/></asx>"), QStringList());
    EXPECT_EQ(requested(longAddress + "\n"), QStringList());
}

TEST(PublishedPlaylist, EntriesBeyondTheBoundAreCounted) {
    QByteArray asx = "<asx>";
    QByteArray m3u = "#EXTM3U\n";
    for (int i = 0; i < 100; ++i) {
        asx += "<entry><ref href=\"file:///local/" + QByteArray::number(i) +
               "\"/>"
               "<ref href=\"http://s.example.com/" +
               QByteArray::number(i) + "\"/></entry>";
        m3u += "http://s.example.com/" + QByteArray::number(i) + "\n";
    }
    for (const QByteArray& text : {asx, m3u}) {
        const auto playlist = PlaylistParser::parse(text, kBase);
        ASSERT_TRUE(playlist);
        ASSERT_EQ(playlist->entries.size(), PlaylistParser::MaxEntries);
        EXPECT_EQ(playlist->entries.back().toString(), QStringLiteral("http://s.example.com/63"));
        EXPECT_EQ(playlist->entriesLeftOut, 100 - PlaylistParser::MaxEntries);
    }
    const auto few = PlaylistParser::parse("#EXTM3U\nhttp://s.example.com/1\n", kBase);
    ASSERT_TRUE(few);
    EXPECT_EQ(few->entriesLeftOut, 0);
}

TEST(AsxTag, NameAttributesAndEnd) {
    const QByteArray text = "x<Ref HREF = \"a > b\" Title='t' Bare lone=v />rest";
    const AsxTag tag = readAsxTag(text, 1);
    EXPECT_EQ(tag.name, "ref");
    EXPECT_FALSE(tag.closing);
    EXPECT_TRUE(tag.selfClosing);
    EXPECT_FALSE(tag.cutOff);
    EXPECT_EQ(text.sliced(tag.end), "rest");
    ASSERT_EQ(tag.attributes.size(), 3);
    ASSERT_TRUE(tag.attribute("href"));
    EXPECT_EQ(tag.attribute("href")->value, "a > b");
    EXPECT_TRUE(tag.attribute("href")->quoted);
    EXPECT_EQ(tag.attribute("title")->value, "t");
    EXPECT_EQ(tag.attribute("lone")->value, "v");
    EXPECT_FALSE(tag.attribute("lone")->quoted);
    EXPECT_FALSE(tag.attribute("bare"));

    const AsxTag closing = readAsxTag("</ENTRY >", 0);
    EXPECT_EQ(closing.name, "entry");
    EXPECT_TRUE(closing.closing);
    EXPECT_EQ(closing.end, 9);
}

TEST(AsxTag, OpenQuotesEndAtTheTagOrTheLineAndCutTextIsSaid) {
    const AsxTag open = readAsxTag("<ref href=\"mms://x/one>\n<ref>", 0);
    ASSERT_TRUE(open.attribute("href"));
    EXPECT_EQ(open.attribute("href")->value, "mms://x/one");
    EXPECT_FALSE(open.attribute("href")->quoted);
    EXPECT_EQ(open.end, 23);

    const AsxTag cut = readAsxTag("<ref href=\"mms://x/o", 0);
    EXPECT_TRUE(cut.cutOff);
    const AsxTag unended = readAsxTag("<ref href=\"mms://x/o\"", 0);
    EXPECT_FALSE(unended.cutOff);
    EXPECT_EQ(unended.end, 21);
}

} // namespace
