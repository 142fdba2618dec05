// Chunked bodies, and the connection handed over with the rest of a stream.
#include "net/ChunkedDecoder.h"
#include "net/HttpGet.h"
#include "net/StreamConnection.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <thread>

using namespace orvanto;
using namespace orvanto::test;

namespace {

using namespace Qt::Literals::StringLiterals;

TestHttpServer::Route chunkedBody(const QByteArray& body) {
    TestHttpServer::Route route = TestHttpServer::body("audio/x-mpegurl", body);
    route.sendLength = false;
    route.headers = "Transfer-Encoding: chunked\r\n";
    return route;
}

class ChunkedBodyTest : public ::testing::Test {
protected:
    void fetch(const QString& path) {
        body.clear();
        QObject::connect(&get, &HttpGet::bodyReceived, [this] { body += get.readBody(); });
        QSignalSpy finished(&get, &HttpGet::finished);
        get.start(httpRequest(server.url(path)));
        ASSERT_TRUE(finished.wait(10000));
    }

    TestHttpServer server;
    HttpGet get;
    QByteArray body;
};

} // namespace

TEST(ChunkedDecoder, DecodesPieceByPieceAndStopsAtTheLastChunk) {
    const QByteArray encoded = "4\r\nWiki\r\n5;name=value\r\npedia\r\nE\r\n in\r\n\r\nchunks.\r\n"
                               "0\r\nExpires: never\r\n\r\nnot part of it";
    // Fed one byte at a time, as a slow server sends it.
    ChunkedDecoder decoder;
    QByteArray out;
    for (char c : encoded) {
        ASSERT_TRUE(decoder.decode(QByteArrayView(&c, 1), out));
    }
    EXPECT_TRUE(decoder.isDone());
    EXPECT_EQ(out, "Wikipedia in\r\n\r\nchunks.");
}

TEST(ChunkedDecoder, BrokenEncodingsAreErrors) {
    for (const QByteArray& broken :
         {QByteArray("zz\r\nWiki\r\n"), QByteArray("4\r\nWikiX\r\n"),
          QByteArray("1000000000000000\r\n"), QByteArray(ChunkedDecoder::MaxLineBytes + 1, '1')}) {
        ChunkedDecoder decoder;
        QByteArray out;
        EXPECT_FALSE(decoder.decode(broken, out)) << broken.left(40).toStdString();
        EXPECT_TRUE(decoder.failed());
    }
}

TEST_F(ChunkedBodyTest, HttpGetDecodesAChunkedBodyEvenToAnHttp10Request) {
    server.route(u"/list"_s, chunkedBody("8\r\n#EXTM3U\n\r\n6\r\nhttp:/\r\n0\r\n\r\n"));
    server.route(u"/broken"_s, chunkedBody("8\r\n#EXTM3U\n\r\nxyz\r\n"));
    server.route(u"/cut"_s, chunkedBody("8\r\n#EXTM3U\n\r\n10\r\nhttp://"));
    server.start();
    fetch(u"/list"_s);
    EXPECT_EQ(get.error(), HttpGet::Error::None);
    EXPECT_EQ(body, "#EXTM3U\nhttp:/");
    fetch(u"/broken"_s);
    EXPECT_EQ(get.error(), HttpGet::Error::Network);
    fetch(u"/cut"_s);
    EXPECT_EQ(get.error(), HttpGet::Error::Network) << "closed before the last chunk";
}

// The rest of an endless chunked stream is read on another thread from the same connection:
// the bytes already taken first, then the body decoded, and no second request.
TEST_F(ChunkedBodyTest, HandedOverConnectionGoesOnWithTheBodyOnAnotherThread) {
    TestHttpServer::Route wav = TestHttpServer::wav();
    wav.chunked = true;
    wav.oneClient = true;
    server.route(u"/live"_s, wav);
    server.start();
    QObject::connect(&get, &HttpGet::bodyReceived, [this] { body += get.readBody(); });
    get.start(httpRequest(server.url(u"/live"_s)));
    ASSERT_TRUE(waitFor([&] { return body.size() >= 1000; }, 10000));
    const QByteArray taken = body;
    std::shared_ptr<StreamConnection> connection = get.takeConnection(taken);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(get.isRunning());
    EXPECT_EQ(connection->url(), server.url(u"/live"_s));

    QByteArray read;
    std::thread reader([&] {
        char buffer[4096];
        while (read.size() < 200000) {
            const qint64 n = connection->read(buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            read.append(buffer, qsizetype(n));
        }
    });
    reader.join();
    ASSERT_GE(read.size(), 200000);
    EXPECT_TRUE(read.startsWith(taken));
    EXPECT_TRUE(read.startsWith("RIFF"));
    // The tone's samples never hold a line end: any would be chunk framing left in.
    EXPECT_FALSE(read.contains('\r'));
    EXPECT_EQ(server.requests(u"/live"_s), 1);
    connection.reset();
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, 5000));
}

TEST_F(ChunkedBodyTest, InterruptEndsAReadThatWaitsAtOnce) {
    server.route(u"/trickle"_s, TestHttpServer::trickle());
    server.start();
    QObject::connect(&get, &HttpGet::bodyReceived, [this] { body += get.readBody(); });
    get.start(httpRequest(server.url(u"/trickle"_s)));
    ASSERT_TRUE(waitFor([&] { return !body.isEmpty(); }, 10000));
    std::shared_ptr<StreamConnection> connection = get.takeConnection(body);
    ASSERT_TRUE(connection);
    qint64 last = 0;
    QElapsedTimer waited;
    std::thread reader([&] {
        char buffer[256];
        while ((last = connection->read(buffer, sizeof buffer)) > 0) {
        }
    });
    QTest::qWait(200); // the reader has the few bytes and waits for more
    waited.start();
    connection->interrupt();
    reader.join();
    EXPECT_LT(waited.elapsed(), 100);
    EXPECT_EQ(last, -1);
    char byte = 0;
    EXPECT_EQ(connection->read(&byte, 1), -1) << "and every read after";
}

TEST_F(ChunkedBodyTest, NothingToHandOverWithoutAnOpenBody) {
    server.route(u"/list"_s, TestHttpServer::body("audio/x-mpegurl", "#EXTM3U\n"));
    server.start();
    EXPECT_FALSE(get.takeConnection({})) << "no request";
    fetch(u"/list"_s);
    EXPECT_FALSE(get.takeConnection(body)) << "the body is complete";
}
