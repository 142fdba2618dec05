// A radio's titles taken out of its stream: by the reader, piece by piece, and on a connection
// handed over with the rest of the stream.
#include "net/HttpGet.h"
#include "net/IcyReader.h"
#include "net/StreamConnection.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QSignalSpy>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace orvanto;
using namespace orvanto::test;

namespace {

using namespace Qt::Literals::StringLiterals;

// A metadata block as a server sends it: length byte, text, NUL padding.
QByteArray block(const QByteArray& text) {
    QByteArray padded = text;
    padded.resize((text.size() + 15) / 16 * 16, '\0');
    return char(padded.size() / 16) + padded;
}

} // namespace

TEST(IcyReader, AudioComesOutWithoutTheBlocksHoweverTheBytesAreCut) {
    const QByteArray audio(40, 'a');
    const QByteArray stream = audio.left(10) + block("StreamTitle='First';StreamUrl='x';") +
                              audio.mid(10, 10) + block("") + audio.mid(20, 10) +
                              block("StreamTitle='Caf\xe9 Noir';") + audio.mid(30, 10) +
                              block("StreamTitle='\xce\x9d\xcf\x8d\xcf\x87\xcf\x84\xce\xb1';");
    for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(9), stream.size()}) {
        SCOPED_TRACE(piece);
        IcyReader reader(10);
        QByteArray out;
        QStringList titles;
        for (qsizetype i = 0; i < stream.size(); i += piece) {
            if (reader.read(QByteArrayView(stream).sliced(i, qMin(piece, stream.size() - i)),
                            out)) {
                titles << reader.title();
            }
        }
        EXPECT_EQ(out, audio);
        // An empty block keeps the title; a title that is no UTF-8 is read as Latin-1. In one
        // piece, the last title is the one told.
        EXPECT_EQ(titles, piece == stream.size()
                              ? QStringList{u"Νύχτα"_s}
                              : (QStringList{u"First"_s, u"Café Noir"_s, u"Νύχτα"_s}));
    }
}

TEST(IcyReader, OnlyAnIntervalAServerCouldMeanIsTaken) {
    EXPECT_EQ(IcyReader::interval("16000"), 16000);
    EXPECT_EQ(IcyReader::interval(" 8192 "), 8192);
    for (const char* bad : {"", "0", "-5", "abc", "99999999999"}) {
        EXPECT_EQ(IcyReader::interval(bad), 0) << bad;
    }
}

// The look at the radio asked for titles; the stream read from its connection afterwards on
// another thread is audio alone, and the titles that came in it are kept.
TEST(IcyTitles, TheHandedOverStreamIsAudioAloneAndItsTitlesAreKept) {
    QByteArray tone;
    for (int i = 0; i < 997; ++i) {
        tone += char('a' + i % 26); // no quote, no NUL: a block left in would show
    }
    TestHttpServer server;
    TestHttpServer::Route radio = TestHttpServer::icy(tone, 32000);
    radio.metaint = 1000;
    server.route(u"/radio"_s, radio);
    server.start();

    HttpGet get;
    QByteArray body;
    QObject::connect(&get, &HttpGet::bodyReceived, [&] { body += get.readBody(); });
    HttpRequest request = httpRequest(server.url(u"/radio"_s));
    request.icyTitles = true;
    get.start(request);
    ASSERT_TRUE(waitFor([&] { return body.size() >= 2500; }, 10000));
    std::shared_ptr<StreamConnection> connection = get.takeConnection(body);
    ASSERT_TRUE(connection);
    const QString first = connection->title();
    EXPECT_TRUE(first.startsWith(u"Lab tone "_s)) << "the title the look saw";
    std::atomic<int> told{0};
    connection->setTitleListener([&] { ++told; });

    QByteArray read;
    std::thread reader([&] {
        char buffer[777];
        while (read.size() < 120000) {
            const qint64 n = connection->read(buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            read.append(buffer, qsizetype(n));
        }
    });
    reader.join();
    ASSERT_GE(read.size(), 120000);
    QByteArray expected;
    while (expected.size() < read.size()) {
        expected += tone;
    }
    EXPECT_TRUE(read == expected.left(read.size())) << "audio alone, nothing lost";
    EXPECT_GE(told.load(), 20) << "a title a second of audio";
    EXPECT_TRUE(connection->title().startsWith(u"Lab tone "_s));
    EXPECT_NE(connection->title(), first);
}
