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

namespace {

QByteArray utf16(const QString& text, bool bigEndian, bool mark) {
    QByteArray out;
    if (mark) {
        out += bigEndian ? "\xfe\xff" : "\xff\xfe";
    }
    for (QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8);
        const char low = static_cast<char>(c.unicode() & 0xff);
        out += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1}
                         : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return out;
}

} // namespace

TEST(PlaylistParserRealWorld, Utf16AndByteOrderMarks) {
    const QString asx =
        QStringLiteral("<ASX version=\"3.0\"><Entry><Ref href=\"mms://a.example.com/"
                       "\u00e9t\u00e9\"/></Entry></ASX>\r\n");
    const QStringList expected{QStringLiteral("mms://a.example.com/\u00e9t\u00e9")};
    for (const bool bigEndian : {false, true}) {
        for (const bool mark : {false, true}) {
            SCOPED_TRACE(testing::Message() << "big endian " << bigEndian << ", mark " << mark);
            const QByteArray bytes = utf16(asx, bigEndian, mark);
            EXPECT_EQ(PlaylistParser::sniff(bytes.first(20), false), Verdict::Playlist);
            EXPECT_EQ(entries(bytes), expected);
        }
    }
    // A byte-order mark is never part of the first line: no entry naming the list itself.
    EXPECT_EQ(entries("\xef\xbb\xbf#EXTM3U\r\n#EXTINF:-1,One\r\nhttp://h.example.com/1\r\n"),
              list({"http://h.example.com/1"}));
    EXPECT_EQ(entries("\xef\xbb\xbfhttp://h.example.com/1\n"), list({"http://h.example.com/1"}));
}

TEST(PlaylistParserRealWorld, DocumentTypeIsSkippedAndNothingIsFetched) {
    const QByteArray withSubset =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE asx [\n  <!ENTITY ext SYSTEM \"file:///etc/passwd\">\n"
        "  <!ENTITY host \"a.example.com\">\n]>\n"
        "<asx version=\"3.0\"><entry><ref href=\"http://a.example.com/&host;&ext;&#47;x&amp;y\"/>"
        "</entry></asx>";
    EXPECT_EQ(entries(withSubset), list({"http://a.example.com/&host;&ext;/x&y"}));
    const QByteArray external =
        "<!DOCTYPE ASX PUBLIC \"-//x//DTD ASX//EN\" \"http://dtd.example.com/"
        "asx.dtd\">\r\n<ASX><REF HREF=\"mms://b.example.com/s\"/></ASX>";
    EXPECT_EQ(entries(external), list({"mms://b.example.com/s"}));
}

TEST(PlaylistParserRealWorld, EventEntriesAreNotInThePlayOrder) {
    const QByteArray asx = "<asx><entry><ref href=\"mms://a.example.com/1\"/></entry>"
                           "<event name=\"ad\" whendone=\"resume\"><entry><ref href=\"mms://ad."
                           "example.com/x\"/></entry><entryref href=\"http://ad.example.com/y."
                           "asx\"/></event>"
                           "<EVENT NAME=\"empty\"/><entryref href=\"http://b.example.com/2.asx\"/>"
                           "</asx>";
    EXPECT_EQ(entries(asx), list({"mms://a.example.com/1", "http://b.example.com/2.asx"}));
}

TEST(PlaylistParserRealWorld, HrefEndsAtItsLineWhenTheQuoteIsMissing) {
    const QByteArray asx = "<asx>\n<entry><ref href=\"mms://a.example.com/one>\n</entry>\n"
                           "<entry><ref href=\"mms://b.example.com/two />\n</entry>\n"
                           "<entry><ref href=\"mms://c.example.com/\tthree\"/></entry>\n"
                           "<entry><ref href='mms://d.example.com/four>five'/></entry>\n"
                           "<entry><ref href=\"mms://e.example.com/six\"/></entry></asx>\n";
    EXPECT_EQ(entries(asx), list({"mms://a.example.com/one", "mms://d.example.com/four%3Efive",
                                  "mms://e.example.com/six"}));
}

TEST(PlaylistParserRealWorld, PlsNumbersDecideWhatAndInWhichOrder) {
    const QByteArray pls = "[playlist]\nNumberOfEntries=99\nFile0=http://h.example.com/zero\n"
                           "File-1=http://h.example.com/minus\nFile3=http://h.example.com/three\n"
                           "File1=http://h.example.com/one\nFile3=http://h.example.com/three-b\n"
                           "File10=http://h.example.com/ten\n";
    EXPECT_EQ(entries(pls), list({"http://h.example.com/one", "http://h.example.com/three-b",
                                  "http://h.example.com/ten"}));
}
