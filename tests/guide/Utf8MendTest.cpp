// Mending UTF-8 as it comes: what is not UTF-8 becomes U+FFFD, one for each maximal part that
// could have begun a character (as browsers decode), however the bytes are split.
#include "guide/Utf8Mend.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace orvanto {
namespace {

QByteArray mendInPieces(const QByteArray& bytes, QRandomGenerator& random) {
    Utf8Mend mend;
    QByteArray out;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype piece = qMin<qsizetype>(bytes.size() - at, random.bounded(1, 9));
        out += mend.mend(QByteArrayView(bytes).sliced(at, piece));
        at += piece;
    }
    return out + mend.finish();
}

TEST(Utf8Mend, TheSameWhateverThePiecesAndAlwaysValid) {
    // Valid text of every length, and the faults: stray continuation bytes, overlong forms,
    // surrogates, beyond U+10FFFF, cut sequences, bytes that start nothing.
    const QByteArray alphabet[] = {
        "a",        "\xC3\xA9",     "\xE2\x82\xAC", "\xF0\x9F\x93\xBA", "\x80",     "\xBF",
        "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\xF0\x9F\x93",
        "\xFF",     "\xF5",         "\xC3"};
    QRandomGenerator random(20261210);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int parts = int(random.bounded(1, 12));
        for (int i = 0; i < parts; ++i) {
            bytes += alphabet[random.bounded(int(std::size(alphabet)))];
        }
        const QByteArray mended = mendInPieces(bytes, random);
        EXPECT_TRUE(QByteArrayView(mended).isValidUtf8()) << bytes.toHex().constData();
        Utf8Mend whole;
        QByteArray atOnce = whole.mend(bytes);
        atOnce += whole.finish();
        EXPECT_EQ(mended, atOnce) << bytes.toHex().constData();
        if (QByteArrayView(bytes).isValidUtf8()) {
            EXPECT_EQ(mended, bytes);
        }
    }
}

// The Unicode standard's example of replacing maximal subparts (its table 3-8), and the WHATWG
// encoding standard's.
TEST(Utf8Mend, OneReplacementForEachMaximalPart) {
    const QByteArray replacement = "\xEF\xBF\xBD";
    Utf8Mend mend;
    EXPECT_EQ(mend.mend("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"),
              "a" + replacement + replacement + replacement + "b" + replacement + "c" +
                  replacement + replacement + "d");
    EXPECT_EQ(mend.mend("\xED\xA0\x80!"), replacement + replacement + replacement + "!")
        << "a surrogate starts nothing past its first byte";
    EXPECT_EQ(mend.mend("\xC0\xAF\xF4\x90\x80\x80!"), replacement + replacement + replacement +
                                                          replacement + replacement + replacement +
                                                          "!")
        << "overlong and beyond U+10FFFF";
}

TEST(Utf8Mend, ValidTextPassesUnchangedAndACutEndIsOneReplacement) {
    Utf8Mend mend;
    EXPECT_EQ(mend.mend("Th\xC3\xA9\xC3"), QByteArray("Th\xC3\xA9"));
    EXPECT_EQ(mend.mend("\xA2tre"), QByteArray("\xC3\xA2tre"));
    EXPECT_EQ(mend.mend("\xF0\x9F"), QByteArray());
    EXPECT_EQ(mend.finish(), QByteArray("\xEF\xBF\xBD"));
    EXPECT_EQ(mend.finish(), QByteArray()) << "nothing held any more";
}

} // namespace
} // namespace orvanto
