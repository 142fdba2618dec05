#include "net/HttpGet.h"

#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class HttpGetTest : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&get, &HttpGet::bodyReceived, [this] { body += get.readBody(); });
    }

    // Runs a request to `path` to its end.
    void fetch(const char* path, qint64 maxBodyBytes = -1) {
        body.clear();
        QSignalSpy finished(&get, &HttpGet::finished);
        get.start(httpRequest(server.url(s(path)), maxBodyBytes));
        ASSERT_TRUE(finished.wait(10000));
        EXPECT_EQ(finished.count(), 1);
        EXPECT_FALSE(get.isRunning());
    }

    TestHttpServer server;
    HttpGet get;
    QByteArray body;
};

} // namespace

TEST_F(HttpGetTest, HeadIsBoundedHoweverSlowlyItComes) {
    TestHttpServer::Route large = TestHttpServer::body("audio/x-mpegurl", "#EXTM3U\n");
    // Header lines up to just under the bound are fine.
    large.headers = "X-Padding: " + QByteArray(HttpRequest::MaxHeadBytes - 200, 'p') + "\r\n";
    server.route(s("/large-head"), large);
    server.route(s("/endless-head"), TestHttpServer::endlessHead(256 * 1024));
    server.start();

    fetch("/large-head");
    EXPECT_EQ(get.error(), HttpGet::Error::None);
    EXPECT_EQ(get.status(), 200);
    EXPECT_EQ(body, "#EXTM3U\n");

    fetch("/endless-head");
    EXPECT_EQ(get.error(), HttpGet::Error::HeadTooLarge);
    EXPECT_FALSE(get.hasHead());
    EXPECT_TRUE(get.errorString().contains(s("64 KiB"))) << get.errorString().toStdString();
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, 5000));
}

TEST_F(HttpGetTest, BodyStopsAtItsLengthAndAtTheReadersBound) {
    TestHttpServer::Route shortLength = TestHttpServer::body("text/plain", "0123456789");
    shortLength.claimedLength = 4;
    server.route(s("/short-length"), shortLength);
    server.route(s("/ten"), TestHttpServer::body("text/plain", "0123456789"));
    server.start();

    fetch("/short-length");
    EXPECT_EQ(get.error(), HttpGet::Error::None);
    EXPECT_EQ(body, "0123");

    fetch("/ten", 10);
    EXPECT_EQ(get.error(), HttpGet::Error::None);
    EXPECT_EQ(body, "0123456789");

    fetch("/ten", 9);
    EXPECT_EQ(get.error(), HttpGet::Error::BodyTooLarge);
    EXPECT_EQ(body, "012345678");
}

TEST_F(HttpGetTest, RedirectsAreBoundedAndStaySafe) {
    server.route(s("/a/first"), TestHttpServer::redirect("second?x=1"));
    server.route(s("/a/second"), TestHttpServer::redirect("/final", "301 Moved Permanently"));
    server.route(s("/final"), TestHttpServer::body("text/plain", "here"));
    server.route(s("/loop"), TestHttpServer::redirect("/loop"));
    server.route(s("/to-ftp"), TestHttpServer::redirect("ftp://files.example.com/list"));
    server.start();

    fetch("/a/first");
    EXPECT_EQ(get.error(), HttpGet::Error::None);
    EXPECT_EQ(get.url(), server.url(s("/final")));
    EXPECT_EQ(body, "here");
    EXPECT_EQ(server.requests(s("/a/second")), 1);

    fetch("/loop");
    EXPECT_EQ(get.error(), HttpGet::Error::TooManyRedirects);
    EXPECT_EQ(server.requests(s("/loop")), HttpRequest::MaxRedirects + 1);

    fetch("/to-ftp");
    EXPECT_EQ(get.error(), HttpGet::Error::InsecureRedirect);
}

TEST_F(HttpGetTest, AbortClosesTheConnectionAndReportsNothing) {
    server.route(s("/silent"), TestHttpServer::silent());
    server.route(s("/drip"), TestHttpServer::drip(16));
    server.start();
    for (const char* path : {"/silent", "/drip"}) {
        SCOPED_TRACE(path);
        QSignalSpy finished(&get, &HttpGet::finished);
        get.start(httpRequest(server.url(s(path))));
        ASSERT_TRUE(waitFor([&] { return server.requests(s(path)) > 0; }, 5000));
        QTest::qWait(100);
        get.abort();
        EXPECT_FALSE(get.isRunning());
        EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, 5000));
        EXPECT_EQ(finished.count(), 0);
    }
}

TEST_F(HttpGetTest, RefusedAndForeignAddressesFail) {
    QSignalSpy finished(&get, &HttpGet::finished);
    get.start(httpRequest(TestHttpServer::refusedUrl()));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(get.error(), HttpGet::Error::Refused);

    get.start(httpRequest(QUrl(s("ftp://files.example.com/list.m3u"))));
    EXPECT_EQ(finished.count(), 1) << "reported later, not from within start()";
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(get.error(), HttpGet::Error::Network);
}

// A channel's headers go with its request and every redirect's; its cookie only to the server
// its list names. Without a User-Agent of its own the request says VLC's.
TEST_F(HttpGetTest, TheAddressesHeadersGoWithEveryRequestAndTheCookieStaysWithItsServer) {
    server.start();
    const QByteArray elsewhere =
        "http://localhost:" + QByteArray::number(server.port()) + "/elsewhere";
    server.route(s("/first"), TestHttpServer::redirect("/same"));
    server.route(s("/same"), TestHttpServer::redirect(elsewhere));
    server.route(s("/elsewhere"), TestHttpServer::body("text/plain", "here"));
    server.route(s("/plain"), TestHttpServer::body("text/plain", "plain"));
    using Header = HttpHeaders::Header;
    HttpHeaders headers;
    headers.set(Header::UserAgent, s("Agent/1.0"));
    headers.set(Header::Referer, s("https://tv.example.com/"));
    headers.set(Header::Origin, s("https://tv.example.com"));
    headers.set(Header::Cookie, s("session=1"));

    QSignalSpy finished(&get, &HttpGet::finished);
    get.start(httpRequest(server.url(s("/first")), -1, headers));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(body, "here");
    for (const char* path : {"/first", "/same", "/elsewhere"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(server.headerValues(s(path), "User-Agent"), QByteArrayList{"Agent/1.0"});
        EXPECT_EQ(server.headerValues(s(path), "Referer"),
                  QByteArrayList{"https://tv.example.com/"});
        EXPECT_EQ(server.headerValues(s(path), "Origin"), QByteArrayList{"https://tv.example.com"});
    }
    EXPECT_EQ(server.headerValues(s("/first"), "Cookie"), QByteArrayList{"session=1"});
    EXPECT_EQ(server.headerValues(s("/same"), "Cookie"), QByteArrayList{"session=1"});
    EXPECT_EQ(server.headerValues(s("/elsewhere"), "Cookie"), QByteArrayList{""});

    fetch("/plain");
    EXPECT_EQ(server.headerValues(s("/plain"), "User-Agent"),
              QByteArrayList{HttpRequest::defaultUserAgent()});
    EXPECT_TRUE(HttpRequest::defaultUserAgent().startsWith("VLC/3."));
    EXPECT_EQ(server.headerValues(s("/plain"), "Referer"), QByteArrayList{""});
}

namespace {

// What a server sent as its copy's validator goes back as it came, but never with what would
// end the line and start a header of its own.
TEST(RequestHead, AsksOnlyForAChangedBodyWithTheServersOwnValidators) {
    HttpRequest request = httpRequest(QUrl(QStringLiteral("http://guide.example/tv.xml")));
    EXPECT_FALSE(requestHead(request, request.url).contains("If-"));
    request.ifNoneMatch = "\"v1\"";
    request.ifModifiedSince = "Mon, 04 Mar 2024 09:00:00 GMT\r\nCookie: stolen";
    const QByteArray head = requestHead(request, request.url);
    EXPECT_TRUE(head.contains("\r\nIf-None-Match: \"v1\"\r\n")) << head.constData();
    EXPECT_TRUE(
        head.contains("\r\nIf-Modified-Since: Mon, 04 Mar 2024 09:00:00 GMTCookie: stolen\r\n"))
        << head.constData();
    EXPECT_FALSE(head.contains("\r\nCookie")) << head.constData();
    EXPECT_TRUE(head.endsWith("\r\n\r\n"));
}

} // namespace
