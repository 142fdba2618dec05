#include "net/PlaylistParser.h"

#include <gtest/gtest.h>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace orvanto;
using PlaylistParser::Verdict;

namespace {

const QUrl kBase(QStringLiteral("http://radio.example.com/live/list.php?id=7"));

QStringList entries(QByteArrayView text) {
    const auto playlist = PlaylistParser::parse(text, kBase);
    QStringList result;
    if (playlist) {
        for (const QUrl& url : playlist->entries) {
            result << url.toString();
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

} // namespace

TEST(PlaylistParserAsx, EntriesAndRefsInDocumentOrderWhateverTheCase) {
    const QByteArray asx = "\xef\xbb\xbf\r\n  <ASX Version=\"3.0\">\n"
                           "<Title>Example</Title>\n"
                           "<Entry><REF HREF=\"mms://a.example.com/one\"/>\n"
                           "  <ref href='http://b.example.com/two'></ref></Entry>\n"
                           "<ENTRY><Ref  href = mms://c.example.com/three ></ENTRY>\n"
                           "<entryref href=\"http://d.example.com/more.asx\"/>\n"
                           "</ASX>";
    EXPECT_EQ(PlaylistParser::sniff(asx, false), Verdict::Playlist);
    const auto playlist = PlaylistParser::parse(asx, kBase);
    ASSERT_TRUE(playlist);
    EXPECT_EQ(playlist->format, Playlist::Format::Asx);
    EXPECT_EQ(entries(asx), list({"mms://a.example.com/one", "http://b.example.com/two",
                                  "mms://c.example.com/three", "http://d.example.com/more.asx"}));
}

TEST(PlaylistParserAsx, EntitiesCommentsXmlPrologAndRelativeEntries) {
    const QByteArray asx = "<?xml version=\"1.0\"?>\n<!-- <asx> of the day -->\n<asx>"
                           "<!-- <ref href=\"http://old.example.com/\"/> -->"
                           "<entry><ref href=\"http://e.example.com/s?a=1&amp;b=2&#38;c=&#x33;\"/>"
                           "<ref href=\"http://e.example.com/raw?a=1&b=2\"/>"
                           "<ref href=\"backup.asf\"/>"
                           "<ref href=\"/root/stream\"/></entry></asx>";
    EXPECT_EQ(PlaylistParser::sniff(asx, true), Verdict::Playlist);
    EXPECT_EQ(
        entries(asx),
        list({"http://e.example.com/s?a=1&b=2&c=3", "http://e.example.com/raw?a=1&b=2",
              "http://radio.example.com/live/backup.asf", "http://radio.example.com/root/stream"}));
}

TEST(PlaylistParserAsx, BrokenAndEmptyAsxStillCountsAsPlaylist) {
    // Unclosed tags and a missing end: whatever REF can be read is taken.
    EXPECT_EQ(entries("<asx><entry><ref href=\"mms://x.example.com/a\"><ref href=\"mms://y"),
              list({"mms://x.example.com/a"}));
    const auto empty = PlaylistParser::parse("<ASX version=\"3\"></ASX>", kBase);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->entries.isEmpty());
}

TEST(PlaylistParserAsx, EntriesThatAreNoNetworkStreamsAreDropped) {
    EXPECT_EQ(entries("<asx><ref href=\"file:///etc/passwd\"/><ref href=\"screen://\"/>"
                      "<ref href=\"v4l2:///dev/video0\"/><ref href=\"javascript:alert(1)\"/>"
                      "<ref href=\"mmsh://ok.example.com/\"/></asx>"),
              list({"mmsh://ok.example.com/"}));
}

TEST(PlaylistParserAsx, EntryCountIsBounded) {
    QByteArray asx = "<asx>";
    for (int i = 0; i < 500; ++i) {
        asx += "<entry><ref href=\"http://s.example.com/" + QByteArray::number(i) + "\"/></entry>";
    }
    EXPECT_EQ(entries(asx).size(), PlaylistParser::MaxEntries);
}

TEST(PlaylistParserOther, ReferenceFileInNumberOrder) {
    const QByteArray ref = "[Reference]\r\nRef2=http://w.example.com/b?MSWMExt=.asf\r\n"
                           "Ref1=http://w.example.com/a?MSWMExt=.asf\r\nBanner=x\r\n";
    const auto playlist = PlaylistParser::parse(ref, kBase);
    ASSERT_TRUE(playlist);
    EXPECT_EQ(playlist->format, Playlist::Format::Reference);
    EXPECT_EQ(entries(ref),
              list({"http://w.example.com/a?MSWMExt=.asf", "http://w.example.com/b?MSWMExt=.asf"}));
}

TEST(PlaylistParserOther, PlsWithRelativeEntries) {
    const QByteArray pls = "[playlist]\nNumberOfEntries=2\nFile2=http://p.example.com:8000/\n"
                           "Title1=One\nfile1=stream.mp3\nLength1=-1\nVersion=2\n";
    const auto playlist = PlaylistParser::parse(pls, kBase);
    ASSERT_TRUE(playlist);
    EXPECT_EQ(playlist->format, Playlist::Format::Pls);
    EXPECT_EQ(entries(pls),
              list({"http://radio.example.com/live/stream.mp3", "http://p.example.com:8000/"}));
}

TEST(PlaylistParserOther, M3uWithAndWithoutHeader) {
    const QByteArray extended = "#EXTM3U\n#EXTINF:-1,Radio\nlow.mp3\n\n#EXTINF:-1,Hi\n"
                                "http://h.example.com/hi\n";
    EXPECT_EQ(entries(extended),
              list({"http://radio.example.com/live/low.mp3", "http://h.example.com/hi"}));
    const QByteArray plain = "http://h.example.com/1\r\n# backup\r\nmms://h.example.com/2\r\n";
    EXPECT_EQ(PlaylistParser::sniff(plain, false), Verdict::Playlist);
    EXPECT_EQ(entries(plain), list({"http://h.example.com/1", "mms://h.example.com/2"}));
}

TEST(PlaylistParserOther, HlsIsAStreamNotAPlaylist) {
    const QByteArray hls = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n"
                           "#EXTINF:10,\nseg1.ts\n";
    EXPECT_FALSE(PlaylistParser::parse(hls, kBase));
}

TEST(PlaylistParserNot, HtmlGarbageMediaAndText) {
    const QByteArray garbage("\x00\x9f\x12<asx>\xff", 8);
    for (const QByteArray& text :
         {QByteArray("<!DOCTYPE html><html><body>404</body></html>"),
          QByteArray("<html><head><title>asx</title></head></html>"), garbage,
          QByteArray("RIFF\xff\xff\xff\xffWAVEfmt "), QByteArray("ID3\x03\x00"),
          QByteArray("http://only.example.com/first then words\nmore words\n"),
          QByteArray("Hello world\n"), QByteArray("   \r\n ")}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(PlaylistParser::sniff(text, true), Verdict::NotPlaylist);
        EXPECT_FALSE(PlaylistParser::parse(text, kBase));
    }
}

TEST(PlaylistParserSniff, WaitsForEnoughBytesButNotForever) {
    EXPECT_EQ(PlaylistParser::sniff("", false), Verdict::NeedMore);
    EXPECT_EQ(PlaylistParser::sniff("  \xef\xbb\xbf", false), Verdict::NotPlaylist);
    EXPECT_EQ(PlaylistParser::sniff("\xef\xbb\xbf  <A", false), Verdict::NeedMore);
    EXPECT_EQ(PlaylistParser::sniff("<?xml version", false), Verdict::NeedMore);
    EXPECT_EQ(PlaylistParser::sniff("[Refer", false), Verdict::NeedMore);
    EXPECT_EQ(PlaylistParser::sniff("[Refer", true), Verdict::NotPlaylist);
    EXPECT_EQ(PlaylistParser::sniff("http://a.exa", false), Verdict::NeedMore);
    EXPECT_EQ(PlaylistParser::sniff("<b", false), Verdict::NotPlaylist);
    EXPECT_EQ(PlaylistParser::sniff("RIFF", false), Verdict::NotPlaylist);
    // A comment that never ends decides after a bounded number of bytes.
    EXPECT_EQ(PlaylistParser::sniff("<!--" + QByteArray(100, 'x'), false), Verdict::NeedMore);
    EXPECT_EQ(PlaylistParser::sniff("<!--" + QByteArray(10000, 'x'), false), Verdict::NotPlaylist);
}
