// Over-long text cut out of a document before the XML reader holds it: what is left is still
// well-formed, the same however the bytes come, and only text is ever cut.

#include "guide/TextRunCut.h"

#include <QRandomGenerator>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

constexpr qsizetype Bound = 64;

QByteArray cutWhole(const QByteArray& document) {
    TextRunCut cut(Bound);
    return cut.pass(document);
}

// The texts of `document` as an XML reader reads them, and its error (empty when well-formed).
struct Parsed {
    QStringList texts;
    QStringList attributes;
    QString error;
};

Parsed parse(const QByteArray& document) {
    Parsed parsed;
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters() && !xml.isWhitespace()) {
            parsed.texts << xml.text().toString();
        }
        if (xml.isStartElement()) {
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                parsed.attributes << attribute.value().toString();
            }
        }
    }
    if (xml.hasError()) {
        parsed.error = xml.errorString();
    }
    return parsed;
}

// A document with a long run of each kind that ends exactly where a cut would be awkward: in
// a reference, in a character of several bytes, in a CDATA section's end; and markup that is
// long itself (an attribute, a comment, a processing instruction).
QByteArray awkward() {
    const QByteArray filler(Bound - 3, 'a');
    QByteArray document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>";
    document += "<t>" + filler + "&amp;" + QByteArray(200, 'b') + "</t>";
    document += "<t>" + filler + "\xE2\x82\xAC\xE2\x82\xAC" + QByteArray(200, 'c') + "</t>";
    document += "<t><![CDATA[" + QByteArray(Bound - 1, 'd') + "]]]]></t>";
    document += "<t><![CDATA[" + QByteArray(300, 'e') + "<not markup>]]></t>";
    document += "<t a=\"" + QByteArray(300, 'f') + " > still the value\">short</t>";
    document += "<!-- " + QByteArray(300, 'g') + " > still the comment -->";
    document += "<?pi " + QByteArray(300, 'h') + " > still the instruction ?>";
    document += "<t>" + QByteArray(Bound, 'i') + "</t><t>&lt;&#x20AC;</t></tv>";
    return document;
}

TEST(TextRunCut, LongTextIsCutWhereTheDocumentStaysWellFormed) {
    const QByteArray document = awkward();
    const Parsed before = parse(document);
    ASSERT_TRUE(before.error.isEmpty()) << qPrintable(before.error);
    const QByteArray cut = cutWhole(document);
    const Parsed after = parse(cut);
    ASSERT_TRUE(after.error.isEmpty()) << qPrintable(after.error) << "\n" << cut.constData();
    ASSERT_EQ(after.texts.size(), before.texts.size());
    // The reference and the character at the bound are whole; the runs end soon after it.
    EXPECT_EQ(after.texts[0], QString::fromLatin1(QByteArray(Bound - 3, 'a') + "&"));
    EXPECT_EQ(after.texts[1], QString::fromLatin1(QByteArray(Bound - 3, 'a')) + QChar(0x20AC));
    EXPECT_EQ(after.texts[2].size(), Bound) << "a ']' of the end kept, the section closed";
    EXPECT_EQ(after.texts[3], QString::fromLatin1(QByteArray(Bound, 'e')));
    // Markup is never cut, nor text within the bound.
    EXPECT_EQ(after.attributes, before.attributes);
    EXPECT_TRUE(cut.contains(" > still the comment -->"));
    EXPECT_TRUE(cut.contains(" > still the instruction ?>"));
    for (qsizetype i = 4; i < before.texts.size(); ++i) {
        EXPECT_EQ(after.texts[i], before.texts[i]) << i;
    }
}

TEST(TextRunCut, AnySplittingOfTheBytesCutsTheSame) {
    const QByteArray document = awkward();
    const QByteArray whole = cutWhole(document);
    QRandomGenerator random(7);
    for (int round = 0; round < 200; ++round) {
        TextRunCut cut(Bound);
        QByteArray pieces;
        for (qsizetype at = 0; at < document.size();) {
            const qsizetype size = qMin<qsizetype>(random.bounded(1, 24), document.size() - at);
            pieces += cut.pass(QByteArrayView(document).sliced(at, size));
            at += size;
        }
        qsizetype differs = 0;
        while (differs < qMin(pieces.size(), whole.size()) && pieces[differs] == whole[differs]) {
            ++differs;
        }
        ASSERT_EQ(pieces, whole) << "round " << round << ", from byte " << differs << ": "
                                 << pieces.mid(differs - 20, 60).constData() << " | "
                                 << whole.mid(differs - 20, 60).constData();
        EXPECT_EQ(cut.cuts(), 4);
    }
}

} // namespace
} // namespace orvanto::test
