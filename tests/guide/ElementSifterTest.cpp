#include "guide/ElementSifter.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

// What a sifter hands on: every byte in order, and the programme elements on their own.
struct Sifted final : ElementSifter::Sink {
    QByteArray all;
    QList<QByteArray> programmes;
    QList<bool> mustRead;
    QList<quint64> digests;

    bool through(QByteArrayView bytes) override {
        all += bytes;
        return true;
    }
    bool programme(QByteArrayView element, quint64 digest, bool read) override {
        all += element;
        programmes << element.toByteArray();
        mustRead << read;
        digests << digest;
        return true;
    }
};

Sifted sift(const QByteArray& document, const QList<qsizetype>& cuts) {
    Sifted sifted;
    ElementSifter sifter(sifted);
    qsizetype at = 0;
    for (const qsizetype cut : cuts) {
        sifter.feed(QByteArrayView(document).sliced(at, cut - at));
        at = cut;
    }
    sifter.feed(QByteArrayView(document).sliced(at));
    sifter.finish();
    return sifted;
}

const QByteArray kFirst = "<programme start=\"20240304100000 +0000\" stop=\"20240304110000 +0000\" "
                          "channel=\"a\" note='1 > 0'><title>One &amp; <![CDATA[</programme>]]>"
                          "</title><!-- </programme> --><?pi </programme> ?></programme>";
const QByteArray kSecond =
    "<programme start=\"20240304110000 +0000\" stop=\"20240304120000 +0000\" "
    "channel=\"a\"/>";
const QByteArray kThird = "<programme start=\"20240304120000 +0000\" channel=\"b\"><title>Open"
                          "</title><desc><p>nested <b>deep</b></p></desc></programme>";
const QByteArray kFourth = "<programme start=\"20240304130000 +0000\" stop=\"20240304140000 +0000\""
                           " channel=\"b\"><title>Next</title></programme>";
const QByteArray kFifth = "<programme start=\"20240304140000 +0000\" stop=\"20240304150000 +0000\""
                          " channel=\"b\"><title>After</title></programme>";

QByteArray document() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE tv [ <!ATTLIST tv note CDATA \"<programme>\"> ]>\n"
           "<!-- <programme start=\"x\"> -->\n<tv note=\"a > b\">\n"
           "<channel id=\"a\"><display-name>A &lt;programme&gt;</display-name></channel>\n" +
           kFirst + "\n" + kSecond + "\n" + kThird + "\n" + kFourth + "\n" + kFifth + "\n</tv>\n";
}

TEST(ElementSifter, HandsOnEveryByteInOrderAndEachProgrammeWholeHoweverThePiecesFall) {
    const QByteArray doc = document();
    const QList<QByteArray> expected{kFirst, kSecond, kThird, kFourth, kFifth};
    const Sifted whole = sift(doc, {});
    EXPECT_EQ(whole.all, doc);
    EXPECT_EQ(whole.programmes, expected);
    // Any piece boundary: one byte at a time, and random cuts.
    QList<qsizetype> everyByte;
    for (qsizetype i = 1; i < doc.size(); ++i) {
        everyByte << i;
    }
    const Sifted bytewise = sift(doc, everyByte);
    EXPECT_EQ(bytewise.all, doc);
    EXPECT_EQ(bytewise.programmes, expected);
    EXPECT_EQ(bytewise.digests, whole.digests);
    QRandomGenerator random(7);
    for (int round = 0; round < 200; ++round) {
        QList<qsizetype> cuts;
        for (qsizetype at = random.bounded(1, 40); at < doc.size(); at += random.bounded(1, 60)) {
            cuts << at;
        }
        const Sifted pieces = sift(doc, cuts);
        ASSERT_EQ(pieces.all, doc) << "round " << round;
        ASSERT_EQ(pieces.programmes, expected) << "round " << round;
    }
}

TEST(ElementSifter, TellsWhichProgrammesMustBeReadWhateverTheirDigest) {
    const Sifted sifted = sift(document(), {});
    // The third has no stop: it and the next of its channel (which ends it) are to be read; the
    // one after that is not. Equal bytes give equal digests, others differ.
    EXPECT_EQ(sifted.mustRead, (QList<bool>{false, false, true, true, false}));
    EXPECT_EQ(ElementSifter::digest(kFirst), sifted.digests[0]);
    EXPECT_NE(sifted.digests[0], sifted.digests[1]);
    EXPECT_NE(ElementSifter::digest(kFourth), ElementSifter::digest(kFourth + " "));
}

TEST(ElementSifter, PassesThroughUnsiftedWhatItCannotFollow) {
    // UTF-16: its markup is not ASCII bytes.
    QByteArray utf16("\xff\xfe", 2);
    for (const QChar c : QString::fromUtf8(document())) {
        utf16 += char(c.unicode() & 0xff);
        utf16 += char(c.unicode() >> 8);
    }
    Sifted sifted = sift(utf16, {3, 10, 400});
    EXPECT_EQ(sifted.all, utf16);
    EXPECT_TRUE(sifted.programmes.isEmpty());

    // An element past the bound: it and all after it go through as they are.
    const QByteArray huge = "<tv><programme start=\"20240304100000 +0000\" channel=\"a\"><desc>" +
                            QByteArray(ElementSifter::MaxElementBytes, 'x') +
                            "</desc></programme>" + kFourth + "</tv>";
    sifted = sift(huge, {100, 5000000, 12000000});
    EXPECT_EQ(sifted.all, huge);
    EXPECT_TRUE(sifted.programmes.isEmpty());

    // Markup that is no markup ("<" inside a tag) is the reader's to refuse: it gets the bytes.
    const QByteArray broken =
        "<tv><programme start=\"1\" <title>x</title></programme>" + kFourth + "</tv>";
    sifted = sift(broken, {});
    EXPECT_EQ(sifted.all, broken);
    EXPECT_TRUE(sifted.programmes.isEmpty());
}

} // namespace
} // namespace orvanto::test
