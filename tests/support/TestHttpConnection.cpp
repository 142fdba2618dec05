#include "support/TestHttpConnection.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace orvanto::test {

QByteArray wavHeader(quint32 dataBytes) {
    constexpr quint32 rate = TestHttpServer::WavBytesPerSecond / 2;
    QByteArray header;
    auto u32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i) {
            header.append(static_cast<char>((v >> (8 * i)) & 0xff));
        }
    };
    auto u16 = [&](quint16 v) {
        header.append(static_cast<char>(v & 0xff));
        header.append(static_cast<char>(v >> 8));
    };
    header.append("RIFF");
    u32(dataBytes == 0xffffffffu ? dataBytes : dataBytes + 36); // endless, or its true size
    header.append("WAVEfmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    header.append("data");
    u32(dataBytes);
    return header;
}

// A quiet square wave: real audio to decode, not just zeros.
QByteArray pcm(qint64 offset, qint64 bytes) {
    QByteArray out(bytes, '\0');
    for (qint64 i = 0; i + 1 < bytes; i += 2) {
        const qint64 sample = (offset + i) / 2;
        const qint16 value = (sample / 40) % 2 ? 512 : -512;
        out[i] = static_cast<char>(value & 0xff);
        out[i + 1] = static_cast<char>((value >> 8) & 0xff);
    }
    return out;
}

namespace {

// One 64x48 picture of the test card (4:2:0, full range as "C420jpeg" says): magenta above,
// yellow below, so that a picture drawn upside down or in the wrong place shows.
QByteArray testCardFrame() {
    constexpr int width = 64;
    constexpr int height = 48;
    QByteArray frame;
    const auto rows = [&frame](int count, int length, char value) {
        frame.append(QByteArray(count * length, value));
    };
    rows(height / 2, width, char(105)); // Y: magenta
    rows(height / 2, width, char(226)); // Y: yellow
    rows(height / 4, width / 2, char(212));
    rows(height / 4, width / 2, char(1)); // U
    rows(height / 4, width / 2, char(235));
    rows(height / 4, width / 2, char(149)); // V
    return frame;
}

} // namespace

class Connection : public QObject {
public:
    Connection(TestHttpServer& server, QTcpSocket* socket)
        : QObject(socket), server_(server), socket_(socket) {
        server_.connectionOpened();
        connect(socket_, &QTcpSocket::readyRead, this, &Connection::onReadyRead);
        connect(socket_, &QTcpSocket::disconnected, socket_, &QObject::deleteLater);
        pacer_.setInterval(50);
        connect(&pacer_, &QTimer::timeout, this, &Connection::sendPaced);
    }
    ~Connection() override {
        if (admitted_) {
            server_.release(path_);
        }
        server_.connectionClosed();
    }

private:
    void onReadyRead() {
        if (answered_) {
            socket_->readAll();
            return;
        }
        request_ += socket_->readAll();
        if (!request_.contains("\r\n\r\n")) {
            return;
        }
        answered_ = true;
        const QList<QByteArray> words = request_.left(request_.indexOf("\r\n")).split(' ');
        path_ = QString::fromLatin1(words.value(1)).section(QLatin1Char('?'), 0, 0);
        server_.countRequest(path_, request_);
        if (!server_.admits(request_)) {
            socket_->write("HTTP/1.0 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
            socket_->disconnectFromHost();
            return;
        }
        route_ = server_.routeFor(path_);
        if (server_.awayLeftMs(path_) > 0) {
            // No answer until it is back.
            connect(&pacer_, &QTimer::timeout, this, &Connection::answerWhenBack);
            pacer_.start();
            return;
        }
        answer();
    }

    void answerWhenBack() {
        if (server_.awayLeftMs(path_) == 0) {
            pacer_.stop();
            disconnect(&pacer_, &QTimer::timeout, this, &Connection::answerWhenBack);
            answer();
        }
    }

    // The head of a streamed reply, chunked when the route says so.
    QByteArray streamHead(const QByteArray& contentType) const {
        return route_.chunked ? "HTTP/1.1 200 OK\r\nContent-Type: " + contentType +
                                    "\r\nTransfer-Encoding: chunked\r\n\r\n"
                              : "HTTP/1.0 200 OK\r\nContent-Type: " + contentType + "\r\n\r\n";
    }
    void writeBody(const QByteArray& bytes) {
        if (!route_.chunked) {
            socket_->write(bytes);
        } else if (!bytes.isEmpty()) {
            socket_->write(QByteArray::number(bytes.size(), 16) + "\r\n" + bytes + "\r\n");
        }
    }

    void answer() {
        if (route_.oneClient) {
            if (!server_.admit(path_)) {
                socket_->abort(); // busy with its one client
                return;
            }
            admitted_ = true;
        }
        switch (route_.kind) {
        case TestHttpServer::Route::Kind::Silent:
            break;
        case TestHttpServer::Route::Kind::Body:
            socket_->write(bodyHead() + route_.body);
            socket_->disconnectFromHost();
            break;
        case TestHttpServer::Route::Kind::Trickle:
            socket_->write("HTTP/1.0 200 OK\r\nContent-Type: audio/wav\r\n\r\n" +
                           wavHeader().left(12));
            break;
        case TestHttpServer::Route::Kind::Wav:
            socket_->write(streamHead("audio/wav"));
            writeBody(wavHeader());
            startPacing();
            break;
        case TestHttpServer::Route::Kind::Video:
        case TestHttpServer::Route::Kind::TestCard:
            socket_->write(streamHead("video/x-yuv4mpeg"));
            writeBody("YUV4MPEG2 W64 H48 F25:1 Ip A1:1 C420jpeg\n");
            startPacing();
            break;
        case TestHttpServer::Route::Kind::EndlessHead:
            socket_->write("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nX-A: ");
            startPacing();
            break;
        case TestHttpServer::Route::Kind::Drip:
            socket_->write("HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
                           "Content-Length: 4294967296\r\n\r\n");
            startPacing();
            break;
        case TestHttpServer::Route::Kind::Icy:
            titles_ = request_.toLower().contains("\r\nicy-metadata: 1");
            socket_->write("ICY 200 OK\r\nicy-name: Lab Radio\r\nicy-genre: Test\r\n"
                           "icy-br: " +
                           QByteArray::number(route_.rate * 8 / 1000) +
                           "\r\nContent-Type: " + route_.contentType + "\r\n" +
                           (titles_ ? "icy-metaint: " + QByteArray::number(route_.metaint) + "\r\n"
                                    : QByteArray()) +
                           "\r\n");
            startPacing();
            break;
        }
    }

    // The next `bytes` of the SHOUTcast stream, with a title block after every metaint bytes
    // when the client asked for titles.
    QByteArray icyBytes(qint64 bytes) {
        QByteArray out;
        const QByteArray& audio = route_.body;
        for (qint64 i = 0; i < bytes && !audio.isEmpty(); ++i) {
            out += audio[static_cast<qsizetype>((sent_ + i) % audio.size())];
            if (titles_ && (sent_ + i + 1) % route_.metaint == 0) {
                QByteArray title = "StreamTitle='Lab tone " +
                                   QByteArray::number((sent_ + i + 1) / route_.metaint) + "';";
                const qsizetype blocks = (title.size() + 15) / 16;
                title.resize(blocks * 16, '\0');
                out += static_cast<char>(blocks);
                out += title;
            }
        }
        return out;
    }

    QByteArray bodyHead() const {
        QByteArray head = "HTTP/1.0 " + route_.status + "\r\n";
        if (!route_.contentType.isEmpty()) {
            head += "Content-Type: " + route_.contentType + "\r\n";
        }
        if (route_.sendLength) {
            const qint64 length =
                route_.claimedLength >= 0 ? route_.claimedLength : route_.body.size();
            head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        }
        return head + route_.headers + "Connection: close\r\n\r\n";
    }

    void startPacing() {
        sent_ = 0;
        clock_.start();
        sendPaced();
        pacer_.start();
    }

    void sendPaced() {
        const qint64 elapsed = clock_.elapsed();
        if (route_.streamMs >= 0 && elapsed >= route_.streamMs) {
            pacer_.stop();
            if (route_.awayMs > 0) {
                server_.goAway(path_, route_.awayMs);
            }
            if (route_.closeAfter) {
                socket_->disconnectFromHost();
            }
            return;
        }
        if (socket_->bytesToWrite() >= 256 * 1024) {
            return; // the client does not read: wait
        }
        if (route_.kind == TestHttpServer::Route::Kind::Icy) {
            const qint64 due = route_.rate * 2 + elapsed * route_.rate / 1000;
            if (due > sent_) {
                socket_->write(icyBytes(due - sent_));
                sent_ = due;
            }
            return;
        }
        if (route_.kind == TestHttpServer::Route::Kind::EndlessHead ||
            route_.kind == TestHttpServer::Route::Kind::Drip) {
            const qint64 due = elapsed * route_.rate / 1000;
            if (due > sent_) {
                const char fill = route_.kind == TestHttpServer::Route::Kind::Drip ? '\x9c' : 'a';
                socket_->write(QByteArray(due - sent_, fill));
                sent_ = due;
            }
            return;
        }
        if (route_.kind == TestHttpServer::Route::Kind::TestCard) {
            static const QByteArray card = "FRAME\n" + testCardFrame();
            const qint64 due = 25 + elapsed * 25 / 1000;
            for (; sent_ < due; ++sent_) {
                writeBody(card);
            }
            return;
        }
        if (route_.kind == TestHttpServer::Route::Kind::Video) {
            const qint64 due = 25 + elapsed * 25 / 1000; // frames: one second at once
            for (; sent_ < due; ++sent_) {
                QByteArray frame(64 * 48 * 3 / 2, static_cast<char>(0x80));
                std::fill_n(frame.begin(), 64 * 48, static_cast<char>(16 + (sent_ * 8) % 200));
                writeBody("FRAME\n" + frame);
            }
            return;
        }
        const qint64 due =
            TestHttpServer::WavBurstBytes + elapsed * TestHttpServer::WavBytesPerSecond / 1000;
        if (due > sent_) {
            writeBody(pcm(sent_, due - sent_));
            sent_ = due;
        }
    }

    TestHttpServer& server_;
    QTcpSocket* socket_;
    QByteArray request_;
    QString path_;
    bool answered_ = false;
    bool admitted_ = false;
    TestHttpServer::Route route_;
    QTimer pacer_;
    QElapsedTimer clock_;
    qint64 sent_ = 0;
    bool titles_ = false;
};

void answerConnection(TestHttpServer& server, QTcpSocket* socket) {
    new Connection(server, socket); // a child of the socket, gone with it
}

} // namespace orvanto::test
