// A user's own channel list on the real program: started with the list's address, the channel
// browser opened with Ctrl+F, a channel past the pages' 90 found by typing and played with
// Enter, its dead first address skipped for its live second one.

#include "XSession.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// 120 channels in three groups; "Kanali 105" has a refused address, then a live one.
QByteArray channelList(const TestHttpServer& server) {
    QByteArray list = "#EXTM3U\n";
    for (int i = 1; i <= 120; ++i) {
        const QByteArray name = "Kanali " + QByteArray::number(i);
        const QByteArray entry =
            "#EXTINF:-1 group-title=\"Omada " + QByteArray::number(i % 3) + "\"," + name + "\n";
        list += entry + TestHttpServer::refusedUrl(QStringLiteral("/dead")).toEncoded() + "\n";
        if (i == 105) {
            list += entry + server.url(QStringLiteral("/live105")).toEncoded() + "\n";
        }
    }
    return list;
}

class ChannelListDesktop : public ::testing::Test {
protected:
    ~ChannelListDesktop() override {
        program.kill();
        program.waitForFinished(5000);
    }

    // The program's window titled `title`, or 0.
    quint64 window(const QString& title) const {
        for (quint64 id : x11::windowsOf(program.processId())) {
            if (x11::windowName(id) == title) {
                return id;
            }
        }
        return 0;
    }

    TestHttpServer server;
    QProcess program;
};

TEST_F(ChannelListDesktop, BrowserFindsAndPlaysAChannelBeyondThePages) {
    server.route(QStringLiteral("/live105"), TestHttpServer::wav());
    server.start();
    server.route(QStringLiteral("/list.m3u"),
                 TestHttpServer::body("audio/x-mpegurl", channelList(server)));

    program.start(QStringLiteral(ORVANTO_APP),
                  {server.url(QStringLiteral("/list.m3u")).toString()});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(waitFor([&] { return server.requests(QStringLiteral("/list.m3u")) > 0; }, 10000));
    quint64 main = 0;
    ASSERT_TRUE(waitFor([&] { return (main = window(s("Orvanto Live TV"))) != 0; }, 10000));

    x11::run(s("xdotool"), {s("windowfocus"), s("--sync"), QString::number(main)});
    x11::key(s("ctrl+f"));
    ASSERT_TRUE(waitFor([&] { return window(s("Channels")) != 0; }, 10000));
    x11::type(s("KANALI 105"));
    x11::key(s("Return"));
    EXPECT_TRUE(waitFor([&] { return server.requests(QStringLiteral("/live105")) > 0; }, 30000));
}

} // namespace
} // namespace orvanto::test
