#include "guide/Decompressor.h"

#include "support/GuideFiles.h"

#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

// A text that packs well but not trivially.
QByteArray sample(int lines) {
    QByteArray text;
    for (int i = 0; i < lines; ++i) {
        text += "<programme channel=\"ch" + QByteArray::number(i % 97) + "\">" +
                QByteArray::number(i * 7919) + "</programme>\n";
    }
    return text;
}

struct Unpacked {
    QByteArray bytes;
    qsizetype largestPiece = 0;
    bool ok = false;
    QString error;
};

// Hands `packed` in pieces of `inPiece` bytes and takes the output in pieces of `outPiece`.
Unpacked unpack(const QByteArray& packed, qsizetype inPiece, qsizetype outPiece) {
    Unpacked result;
    Decompressor decompressor(detectCompression(packed.first(qMin<qsizetype>(6, packed.size()))));
    QByteArray out;
    auto drain = [&] {
        for (;;) {
            if (!decompressor.read(out, outPiece)) {
                return false;
            }
            if (out.isEmpty()) {
                return true;
            }
            result.largestPiece = qMax(result.largestPiece, out.size());
            result.bytes += out;
        }
    };
    for (qsizetype at = 0; at < packed.size(); at += inPiece) {
        decompressor.setInput(QByteArrayView(packed).sliced(at, qMin(inPiece, packed.size() - at)));
        if (!drain()) {
            result.error = decompressor.error();
            return result;
        }
    }
    decompressor.endInput();
    result.ok = drain() && decompressor.complete();
    result.error = decompressor.error();
    return result;
}

TEST(Decompressor, TellsThePackingByTheFirstBytes) {
    EXPECT_EQ(detectCompression(gzipped("x").first(6)), Compression::Gzip);
    EXPECT_EQ(detectCompression(xzipped("x").first(6)), Compression::Xz);
    EXPECT_EQ(detectCompression("<?xml version"), Compression::None);
    EXPECT_EQ(detectCompression("\xfd"
                                "7zX"),
              Compression::None); // too short to be xz
    EXPECT_EQ(detectCompression(""), Compression::None);
}

TEST(Decompressor, UnpacksGzipAndXzWhateverThePiecesAndNeverMoreThanAskedAtOnce) {
    const QByteArray text = sample(4000);
    for (const QByteArray& packed : {gzipped(text), xzipped(text)}) {
        for (const qsizetype inPiece : {qsizetype(1), qsizetype(7), qsizetype(65536)}) {
            const Unpacked result = unpack(packed, inPiece, 4096);
            ASSERT_TRUE(result.ok) << qPrintable(result.error);
            EXPECT_EQ(result.bytes, text);
            EXPECT_LE(result.largestPiece, 4096);
        }
    }
}

TEST(Decompressor, ReadsConcatenatedMembersAndIgnoresPaddingAfterTheLast) {
    const QByteArray gz = gzipped("first,") + gzipped("second") + QByteArray(64, '\0');
    Unpacked result = unpack(gz, 5, 1000);
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    EXPECT_EQ(result.bytes, "first,second");
    result = unpack(xzipped("first,") + xzipped("second"), 3, 1000);
    ASSERT_TRUE(result.ok) << qPrintable(result.error);
    EXPECT_EQ(result.bytes, "first,second");
}

TEST(Decompressor, ACutShortOrDamagedStreamIsAnErrorAfterWhatCameBefore) {
    const QByteArray text = sample(5000);
    for (const QByteArray& packed : {gzipped(text), xzipped(text)}) {
        const Unpacked cut = unpack(packed.first(packed.size() / 2), 1000, 4096);
        EXPECT_FALSE(cut.ok);
        EXPECT_FALSE(cut.error.isEmpty());
        EXPECT_GT(cut.bytes.size(), 0);
        EXPECT_TRUE(text.startsWith(cut.bytes));

        QByteArray damaged = packed;
        for (qsizetype i = damaged.size() / 3; i < damaged.size() / 3 + 64; ++i) {
            damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
        }
        EXPECT_FALSE(unpack(damaged, 1000, 4096).ok);
    }
}

TEST(Decompressor, PlainBytesPassThrough) {
    const Unpacked result = unpack("<tv></tv>", 4, 3);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.bytes, "<tv></tv>");
    EXPECT_EQ(result.largestPiece, 3);
}

} // namespace
} // namespace orvanto::test
