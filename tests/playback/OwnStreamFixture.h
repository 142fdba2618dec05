#pragma once

#include "net/StreamConnection.h"
#include "playback/StreamPlayerFixture.h"

#include <QUrl>
#include <sys/socket.h>
#include <unistd.h>

namespace orvanto::test {

// The player's rules over a stream the engine reads from a connection of ours, whose server
// end the test writes to.
class OwnStreamTest : public StreamPlayerTest {
protected:
    void SetUp() override {
        StreamPlayerTest::SetUp();
        connectStream();
    }
    void TearDown() override { closeServer(); }

    // A new connection to the stream, `size` bytes long (-1: live, with no length).
    void connectStream(qint64 size = -1) {
        closeServer();
        int pair[2] = {-1, -1};
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        server = pair[1];
        connection = std::make_shared<StreamConnection>(
            QUrl(QStringLiteral("http://tv.example/live")), pair[0], QByteArray(), QByteArray(),
            std::nullopt, std::nullopt, -1, size);
    }
    // The sniffer hands the connection to the engine, which plays it.
    void playOwnStream(const QString& url = QStringLiteral("http://radio.example/live")) {
        Sniffer::Result stream;
        stream.kind = Kind::Stream;
        stream.connection = connection;
        player.setURL(url);
        ASSERT_TRUE(sniffer.decide(stream));
        enginePlays();
    }

    int server = -1;
    std::shared_ptr<StreamConnection> connection;

private:
    void closeServer() {
        if (server >= 0) {
            ::close(server);
            server = -1;
        }
    }
};

} // namespace orvanto::test
