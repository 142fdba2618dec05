#include "guide/XmltvReader.h"

#include "guide/XmltvTime.h"
#include "support/GuideFiles.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <vector>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

qint64 utc(int y, int mo, int d, int h, int mi, int sec = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, sec), Qt::UTC).toSecsSinceEpoch();
}

class Collected : public XmltvSink {
public:
    void channel(XmltvChannel&& channel) override { channels.push_back(std::move(channel)); }
    void programme(XmltvProgramme&& programme) override {
        programmes.push_back(std::move(programme));
    }
    std::vector<XmltvChannel> channels;
    std::vector<XmltvProgramme> programmes;
};

struct Read {
    Collected got;
    bool ok = false;
    QString error;
    qint64 skipped = 0;
};

// Reads `document` handed in pieces of `piece` bytes.
Read read(const QByteArray& document, qsizetype piece = 1 << 20) {
    Read result;
    XmltvReader reader(result.got);
    bool going = true;
    for (qsizetype at = 0; going && at < document.size(); at += piece) {
        going = reader.feed(QByteArrayView(document).sliced(at, qMin(piece, document.size() - at)));
    }
    result.ok = going && reader.finish();
    result.error = reader.error();
    result.skipped = reader.skipped();
    return result;
}

TEST(XmltvTime, ReadsTheOffsetsAndTheShortForms) {
    EXPECT_EQ(parseXmltvTime(u"20240304213000 +0100"), utc(2024, 3, 4, 20, 30));
    EXPECT_EQ(parseXmltvTime(u"20240304213000 -0530"), utc(2024, 3, 5, 3, 0));
    EXPECT_EQ(parseXmltvTime(u"20240304213000+0000"), utc(2024, 3, 4, 21, 30));
    // Without an offset the time is UTC; minutes and seconds may be left out.
    EXPECT_EQ(parseXmltvTime(u"20240304213015"), utc(2024, 3, 4, 21, 30, 15));
    EXPECT_EQ(parseXmltvTime(u"202403042130 Z"), utc(2024, 3, 4, 21, 30));
    EXPECT_EQ(parseXmltvTime(u"2024030421"), utc(2024, 3, 4, 21, 0));
    EXPECT_EQ(parseXmltvTime(u"20240304"), utc(2024, 3, 4, 0, 0));
    EXPECT_EQ(parseXmltvTime(u" 20241231230000 +02"), utc(2024, 12, 31, 21, 0));
    for (const char16_t* bad :
         {u"", u"2024", u"20240230120000", u"20240304256000", u"tomorrow", u"20240304213000 +2500",
          u"20240304213000 CET", u"202403042130001"}) {
        EXPECT_FALSE(parseXmltvTime(bad).has_value()) << QString::fromUtf16(bad).toStdString();
    }
}

TEST(XmltvReader, ReadsChannelsAndProgrammesWithEveryFieldTheViewerShows) {
    const QByteArray document =
        guide("<channel id=\"one.gr\"><display-name lang=\"el\">Ένα</display-name>"
              "<display-name>ONE HD</display-name><icon src=\"http://img.example.com/1.png\"/>"
              "<url>http://one.example.com</url></channel>\n"
              "<programme start=\"20240304200000 +0200\" stop=\"20240304203000 +0200\" "
              "channel=\"one.gr\">"
              "<title lang=\"el\">Ειδήσεις</title><title lang=\"en\">News</title>"
              "<sub-title>Evening\n  edition</sub-title>"
              "<desc>  The day's news &amp; weather: &lt;live&gt; &quot;now&quot; &#233;&#x263A;.  "
              "</desc>"
              "<credits><director>Someone</director></credits>"
              "<category>News</category><category>Weather</category>"
              "<episode-num system=\"xmltv_ns\">1.4.0/1</episode-num>"
              "<icon src=\"http://img.example.com/news.png\"/>"
              "<rating system=\"GR\"><value>K12</value></rating></programme>\n"
              "<programme start=\"20240304203000 +0200\" channel=\"one.gr\">"
              "<title><![CDATA[Film <uncut>]]></title>"
              "<episode-num system=\"xmltv_ns\">.11.</episode-num>"
              "<episode-num system=\"onscreen\">Episode 12</episode-num></programme>\n");
    const Read result = read(document, 13);
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    ASSERT_EQ(result.got.channels.size(), 1u);
    EXPECT_EQ(result.got.channels[0].id, s("one.gr"));
    EXPECT_EQ(result.got.channels[0].names, (QStringList{s("Ένα"), s("ONE HD")}));

    ASSERT_EQ(result.got.programmes.size(), 2u);
    const XmltvProgramme& news = result.got.programmes[0];
    EXPECT_EQ(news.channel, s("one.gr"));
    EXPECT_TRUE(news.hasStop);
    EXPECT_EQ(news.programme.start, utc(2024, 3, 4, 18, 0));
    EXPECT_EQ(news.programme.stop, utc(2024, 3, 4, 18, 30));
    EXPECT_EQ(news.programme.title, s("Ειδήσεις")); // the first title
    EXPECT_EQ(news.programme.subTitle, s("Evening edition"));
    EXPECT_EQ(news.programme.description, s("The day's news & weather: <live> \"now\" é☺."));
    EXPECT_EQ(news.programme.categories, (QStringList{s("News"), s("Weather")}));
    EXPECT_EQ(news.programme.episode, s("S2 E5"));
    EXPECT_EQ(news.programme.icon, s("http://img.example.com/news.png"));
    EXPECT_EQ(news.programme.rating, s("K12"));

    const XmltvProgramme& film = result.got.programmes[1];
    EXPECT_FALSE(film.hasStop);
    EXPECT_EQ(film.programme.title, s("Film <uncut>"));
    EXPECT_EQ(film.programme.episode, s("Episode 12")); // what the screen shows wins
}

TEST(XmltvReader, EveryTextIsCutAtItsBoundAndListsStopAtTheirs) {
    const QByteArray longText(100000, 'x');
    QByteArray names;
    QByteArray categories;
    for (int i = 0; i < 20; ++i) {
        names += "<display-name>Name " + QByteArray::number(i) + "</display-name>";
        categories += "<category>C" + QByteArray::number(i) + "</category>";
    }
    const QByteArray longId(1000, 'i');
    const Read result =
        read(guide("<channel id=\"" + longId + "\">" + names + "</channel>" +
                   programme(longId.constData(), "20240304200000", "20240304210000", longText,
                             "<sub-title>" + longText + "</sub-title><desc>" + longText +
                                 "</desc>" + categories + "<category>" + longText +
                                 "</category><episode-num system=\"onscreen\">" + longText +
                                 "</episode-num><icon src=\"" + longText + "\"/><rating><value>" +
                                 longText + "</value></rating>")),
             4096);
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    ASSERT_EQ(result.got.channels.size(), 1u);
    EXPECT_EQ(result.got.channels[0].id.size(), XmltvReader::MaxIdLength);
    EXPECT_EQ(result.got.channels[0].names.size(), XmltvReader::MaxDisplayNames);
    ASSERT_EQ(result.got.programmes.size(), 1u);
    const XmltvProgramme& p = result.got.programmes[0];
    EXPECT_EQ(p.channel, result.got.channels[0].id); // cut alike, so it still names its channel
    EXPECT_EQ(p.programme.title.size(), XmltvReader::MaxTitleLength);
    EXPECT_EQ(p.programme.subTitle.size(), XmltvReader::MaxTitleLength);
    EXPECT_EQ(p.programme.description.size(), XmltvReader::MaxDescriptionLength);
    EXPECT_EQ(p.programme.categories.size(), XmltvReader::MaxCategories);
    EXPECT_EQ(p.programme.episode.size(), XmltvReader::MaxEpisodeLength);
    EXPECT_EQ(p.programme.icon.size(), XmltvReader::MaxIconLength);
    EXPECT_EQ(p.programme.rating.size(), XmltvReader::MaxRatingLength);
}

TEST(XmltvReader, AnOverlongTextIsCutWithoutSplittingACharacter) {
    QByteArray title;
    for (int i = 0; i < XmltvReader::MaxTitleLength; ++i) {
        title += "\xF0\x9F\x93\xBA"; // one character outside the BMP: two UTF-16 units
    }
    const Read result =
        read(guide(programme("a", "20240304200000", "20240304210000", "x" + title)));
    ASSERT_EQ(result.got.programmes.size(), 1u);
    const QString cut = result.got.programmes[0].programme.title;
    EXPECT_EQ(cut.size(), XmltvReader::MaxTitleLength - 1);
    EXPECT_FALSE(cut.back().isHighSurrogate());
}

// A description of megabytes (a guide's generator gone wrong) costs that description its end,
// not the programmes after it; text in CDATA too, and however the bytes come.
TEST(XmltvReader, ATextOfMegabytesIsCutAndTheReadingGoesOn) {
    const QByteArray huge(3 * 1024 * 1024, 'x');
    QByteArray first = programme("a", "20240304200000", "20240304210000", "One");
    first.insert(first.indexOf("</programme>"), "<desc>Long &amp; " + huge + "</desc>");
    QByteArray second = programme("a", "20240304210000", "20240304220000", "Two");
    second.insert(second.indexOf("</programme>"), "<desc><![CDATA[" + huge + "]]></desc>");
    const QByteArray third = programme("a", "20240304220000", "20240304230000", "Three");
    for (const qsizetype piece : {qsizetype(1) << 20, qsizetype(4093)}) {
        const Read result = read(guide(first + second + third), piece);
        EXPECT_TRUE(result.ok) << qPrintable(result.error);
        ASSERT_EQ(result.got.programmes.size(), 3u) << piece;
        const Programme& one = result.got.programmes[0].programme;
        EXPECT_TRUE(one.description.startsWith(s("Long & xxx")));
        EXPECT_EQ(one.description.size(), XmltvReader::MaxDescriptionLength);
        EXPECT_EQ(result.got.programmes[1].programme.description.size(),
                  XmltvReader::MaxDescriptionLength);
        EXPECT_EQ(result.got.programmes[2].programme.title, s("Three"));
    }
}

// Real guides are not always clean: a title in Latin-1 in a guide in UTF-8 costs that title its
// letters, not the programmes after it, however the bytes come.
TEST(XmltvReader, BytesThatAreNotUtf8AreReadAsReplacementCharacters) {
    const QByteArray document =
        guide(programme("a", "20240304200000", "20240304210000", "Caf\xE9 Th\xE9\xE2tre") +
              programme("a", "20240304210000", "20240304220000", "\xF0\x9F\x93\xBA News") +
              programme("a", "20240304220000", "20240304230000", "Cut \xE2\x82"));
    for (const qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(1 << 20)}) {
        const Read result = read(document, piece);
        EXPECT_TRUE(result.ok) << qPrintable(result.error) << " in pieces of " << piece;
        ASSERT_EQ(result.got.programmes.size(), 3u) << "in pieces of " << piece;
        EXPECT_EQ(result.got.programmes[0].programme.title, s("Caf\uFFFD Th\uFFFD\uFFFDtre"));
        EXPECT_EQ(result.got.programmes[1].programme.title, s("\U0001F4FA News"))
            << "a character split between pieces is whole";
        EXPECT_EQ(result.got.programmes[2].programme.title, s("Cut \uFFFD"))
            << "a cut character is one replacement";
    }
    // A guide that says it is in Latin-1 is read as such.
    QByteArray latin = document;
    latin.replace("encoding=\"UTF-8\"", "encoding='ISO-8859-1'");
    const Read result = read(latin, 7);
    ASSERT_EQ(result.got.programmes.size(), 3u) << qPrintable(result.error);
    EXPECT_EQ(result.got.programmes[0].programme.title, s("Caf\u00E9 Th\u00E9\u00E2tre"));
}

TEST(XmltvReader, MalformedXmlKeepsWhatCameBeforeAndSaysWhere) {
    const QByteArray document = guide(programme("a", "20240304200000", "20240304210000", "One") +
                                      programme("a", "20240304210000", "20240304220000", "Two") +
                                      "<programme start=\"20240304220000\" channel=\"a\">"
                                      "<title>Three</titel></programme>\n" +
                                      programme("a", "20240304230000", "20240305000000", "Four"));
    const Read result = read(document, 10);
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(result.got.programmes.size(), 2u);
    EXPECT_EQ(result.got.programmes[1].programme.title, s("Two"));
    EXPECT_TRUE(result.error.startsWith(s("line 6, column "))) << qPrintable(result.error);
}

TEST(XmltvReader, AGuideCutShortKeepsItsWholeProgrammesAndSaysItEndedEarly) {
    const QByteArray document = guide(programme("a", "20240304200000", "20240304210000", "One") +
                                      programme("a", "20240304210000", "20240304220000", "Two"));
    const Read result = read(document.first(document.indexOf("Two") + 2));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.got.programmes.size(), 1u);
    EXPECT_TRUE(result.error.contains(s("ends before its end"))) << qPrintable(result.error);
}

TEST(XmltvReader, EntitiesTheGuideDeclaresAreRefusedBeforeAnyIsExpanded) {
    // The "billion laughs": ten levels of ten references each.
    QByteArray dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [\n<!ENTITY lol0 \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        dtd += "<!ENTITY lol" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k) {
            dtd += "&lol" + QByteArray::number(i - 1) + ";";
        }
        dtd += "\">\n";
    }
    dtd += "]>\n<tv>" + programme("a", "20240304200000", "20240304210000", "&lol9;") + "</tv>\n";
    const Read bomb = read(dtd, 100);
    EXPECT_FALSE(bomb.ok);
    EXPECT_TRUE(bomb.got.programmes.empty());
    EXPECT_TRUE(bomb.error.contains(s("declares entities"))) << qPrintable(bomb.error);

    // An external one is never fetched either.
    const Read external = read("<?xml version=\"1.0\"?><!DOCTYPE tv [<!ENTITY x SYSTEM "
                               "\"file:///etc/passwd\">]><tv><channel id=\"&x;\"/></tv>");
    EXPECT_FALSE(external.ok);
    EXPECT_TRUE(external.got.channels.empty());
}

TEST(XmltvReader, AnEntityNoOneDeclaredIsLeftOut) {
    // HTML's entities, as sloppy guides write them; the DOCTYPE names a DTD that is never read.
    const Read result =
        read(guide(programme("a", "20240304210000", "20240304220000", "Caf&eacute;&nbsp;Noir")));
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    ASSERT_EQ(result.got.programmes.size(), 1u);
    EXPECT_EQ(result.got.programmes[0].programme.title, s("CafNoir"));
}

TEST(XmltvReader, DeepNestingAndEndlessMarkupStopTheReading) {
    QByteArray deep;
    for (int i = 0; i < 10000; ++i) {
        deep += "<a>";
    }
    Read result = read(guide(programme("a", "20240304200000", "20240304210000", "One") + deep));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.got.programmes.size(), 1u);
    EXPECT_TRUE(result.error.contains(s("nested deeper"))) << qPrintable(result.error);

    // A start tag that never closes, whose attributes go on and on.
    QByteArray endless = guide(programme("a", "20240304200000", "20240304210000", "One"));
    endless.chop(6);
    endless += "<programme";
    for (int i = 0; i < 200000; ++i) {
        endless += " a" + QByteArray::number(i) + "=\"0\"";
    }
    result = read(endless, 65536);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.got.programmes.size(), 1u);
    EXPECT_TRUE(result.error.contains(s("longer than"))) << qPrintable(result.error);
}

TEST(XmltvReader, AnotherDocumentIsNoGuide) {
    Read result = read("<!DOCTYPE html><html><body>Not found</body></html>");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(s("no XMLTV guide"))) << qPrintable(result.error);
    result = read("");
    EXPECT_FALSE(result.ok);
    result = read("\x89PNG\r\n\x1a\n\0\0\0");
    EXPECT_FALSE(result.ok);
}

TEST(XmltvReader, ProgrammesWithoutAUsableStartOrChannelAreCountedAndLeftOut) {
    const Read result =
        read(guide(programme("a", "yesterday", "20240304210000", "No start") +
                   programme("", "20240304200000", "20240304210000", "No channel") +
                   programme("a", "20240304200000", "20240304190000", "Stop first") +
                   programme("a", "20240304210000", "20240304220000", "Fine")));
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    EXPECT_EQ(result.skipped, 2);
    ASSERT_EQ(result.got.programmes.size(), 2u);
    EXPECT_FALSE(result.got.programmes[0].hasStop); // a stop before its start is no stop
    EXPECT_EQ(result.got.programmes[1].programme.title, s("Fine"));
}

} // namespace
} // namespace orvanto::test
