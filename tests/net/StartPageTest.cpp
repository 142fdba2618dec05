#include "net/StartPage.h"

#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QObject>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

constexpr int NetworkMs = 10000; // generous: a loaded CI machine, and ASan

// Nobody reads the start page: an endless answer must not be taken in, and the connection is
// let go as soon as the headers are there. A redirect is still followed.
TEST(StartPage, EndlessAnswerIsDroppedAfterItsHeaders) {
    TestHttpServer server;
    server.route(QStringLiteral("/page"), TestHttpServer::wav());
    server.route(QStringLiteral("/moved"),
                 TestHttpServer::body("text/html", "", "302 Found\r\nLocation: /page"));
    server.start();
    QObject owner;

    int expected = 0;
    for (const char* path : {"/page", "/moved"}) {
        StartPage::request(owner, server.url(QString::fromLatin1(path)));
        ++expected;
        ASSERT_TRUE(waitFor([&] { return server.requests(QStringLiteral("/page")) == expected; },
                            NetworkMs))
            << path;
        EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }, NetworkMs)) << path;
    }
    EXPECT_EQ(server.requests(QStringLiteral("/page")), 2);
    EXPECT_EQ(server.requests(QStringLiteral("/moved")), 1);
}

} // namespace
} // namespace orvanto::test
