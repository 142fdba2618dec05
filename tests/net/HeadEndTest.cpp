// Where a server's head ends, as its bytes come in pieces.
#include "net/HeadEnd.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace orvanto;

namespace {

// The body as the head's end leaves it.
QByteArray bodyOf(const QByteArray& bytes, HeadEnd end) {
    return bytes.mid(end.end + end.lineLength);
}

TEST(HeadEnd, EndsAtTheFirstEmptyLineWhateverTheLineEnds) {
    const QByteArray crlf = "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n\r\nID3\n\n";
    const HeadEnd a = findHeadEnd(crlf);
    ASSERT_TRUE(a.found());
    EXPECT_EQ(crlf.first(a.end), "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n");
    EXPECT_EQ(bodyOf(crlf, a), "ID3\n\n"); // the body's own blank lines are its own

    const QByteArray lf = "ICY 200 OK\nicy-name: Lab\n\n\r\nbody";
    const HeadEnd b = findHeadEnd(lf);
    ASSERT_TRUE(b.found());
    EXPECT_EQ(lf.first(b.end), "ICY 200 OK\nicy-name: Lab\n");
    EXPECT_EQ(bodyOf(lf, b), "\r\nbody");

    // A server that ends its header lines with CRLF and the head with a bare LF.
    const QByteArray mixed = "HTTP/1.0 200 OK\r\nServer: x\r\n\nbody";
    const HeadEnd c = findHeadEnd(mixed);
    ASSERT_TRUE(c.found());
    EXPECT_EQ(bodyOf(mixed, c), "body");
}

TEST(HeadEnd, NotFoundUntilTheEmptyLineHasCome) {
    for (const QByteArray& partial :
         {QByteArray(), QByteArray("HTTP/1.1 200 OK"), QByteArray("HTTP/1.1 200 OK\r\n"),
          QByteArray("HTTP/1.1 200 OK\r\nA: b\r\n\r"), QByteArray("HTTP/1.1 200 OK\r\n\r\r\n")}) {
        EXPECT_FALSE(findHeadEnd(partial).found()) << partial.toStdString();
    }
}

// The head comes in reads split at every byte: a search that goes on where the last one
// stopped finds the end where a search of the whole finds it, wherever the split falls.
TEST(HeadEnd, AnEndSplitAcrossReadsIsFound) {
    for (const QByteArray& whole : {QByteArray("HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody"),
                                    QByteArray("ICY 200 OK\nA: b\n\nbody")}) {
        const HeadEnd expected = findHeadEnd(whole);
        for (qsizetype split = 1; split < whole.size(); ++split) {
            const HeadEnd first = findHeadEnd(whole.first(split));
            const HeadEnd found = first.found() ? first : findHeadEnd(whole, split);
            EXPECT_EQ(found.end, expected.end) << "split at " << split;
            EXPECT_EQ(found.lineLength, expected.lineLength) << "split at " << split;
        }
    }
}

} // namespace
