#include "support/IcyServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace orvanto::test {

namespace {

QByteArray wavHeader() {
    QByteArray h("RIFF\xff\xff\xff\xffWAVEfmt ", 16);
    const auto u32 = [&h](quint32 v) {
        for (int i = 0; i < 4; ++i) {
            h.append(static_cast<char>((v >> (8 * i)) & 0xff));
        }
    };
    const auto u16 = [&h](quint16 v) {
        h.append(static_cast<char>(v & 0xff));
        h.append(static_cast<char>(v >> 8));
    };
    u32(16);
    u16(1); // PCM, mono, 16 bits
    u16(1);
    u32(IcyServer::BytesPerSecond / 2);
    u32(IcyServer::BytesPerSecond);
    u16(2);
    u16(16);
    h.append("data\xff\xff\xff\xff", 8);
    return h;
}

// A quiet square wave.
QByteArray pcm(qint64 offset, qint64 bytes) {
    QByteArray out(bytes, '\0');
    for (qint64 i = 0; i + 1 < bytes; i += 2) {
        const qint16 value = ((offset + i) / 80) % 2 ? 512 : -512;
        out[i] = static_cast<char>(value & 0xff);
        out[i + 1] = static_cast<char>((value >> 8) & 0xff);
    }
    return out;
}

QByteArray metadataBlock(const QString& title) {
    QByteArray text = "StreamTitle='" + title.toUtf8() + "';";
    const qsizetype blocks = (text.size() + 15) / 16;
    text.resize(blocks * 16, '\0');
    return static_cast<char>(blocks) + text;
}

} // namespace

class IcyConnection : public QObject {
public:
    IcyConnection(IcyServer& server, QTcpSocket* socket)
        : QObject(socket), server_(server), socket_(socket) {
        connect(socket_, &QTcpSocket::readyRead, this, &IcyConnection::onReadyRead);
        connect(socket_, &QTcpSocket::disconnected, socket_, &QObject::deleteLater);
        pacer_.setInterval(50);
        connect(&pacer_, &QTimer::timeout, this, &IcyConnection::send);
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
        // "GET /path?query HTTP/1.0"
        const QByteArray target = request_.left(request_.indexOf("\r\n")).split(' ').value(1);
        {
            QMutexLocker lock(&server_.mutex_);
            server_.targets_ << target;
        }
        if (server_.gate_) {
            title_ = server_.gate_(target);
            if (title_.isNull()) {
                socket_->write("HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n"
                               "Content-Length: 10\r\n\r\nno archive");
                socket_->disconnectFromHost();
                return;
            }
        }
        withMetadata_ = request_.toLower().contains("\r\nicy-metadata: 1");
        if (withMetadata_) {
            QMutexLocker lock(&server_.mutex_);
            ++server_.metadataRequests_;
        }
        QByteArray head = "ICY 200 OK\r\nContent-Type: audio/wav\r\nicy-name: Test Radio\r\n";
        if (withMetadata_) {
            head += "icy-metaint: " + QByteArray::number(IcyServer::MetaInterval) + "\r\n";
        }
        socket_->write(head + "\r\n");
        pending_ = wavHeader();
        clock_.start();
        send();
        pacer_.start();
    }

    void send() {
        if (socket_->bytesToWrite() >= 256 * 1024) {
            return; // the client does not read: wait
        }
        const qint64 due =
            IcyServer::BurstBytes + clock_.elapsed() * IcyServer::BytesPerSecond / 1000;
        if (due > produced_) {
            pending_ += pcm(produced_, due - produced_);
            produced_ = due;
        }
        if (!withMetadata_) {
            socket_->write(pending_);
            pending_.clear();
            return;
        }
        while (pending_.size() >= IcyServer::MetaInterval - sinceMeta_) {
            const qsizetype part = IcyServer::MetaInterval - sinceMeta_;
            socket_->write(pending_.first(part));
            pending_.remove(0, part);
            socket_->write(metadataBlock(title_.isNull() ? server_.title() : title_));
            sinceMeta_ = 0;
        }
        sinceMeta_ += pending_.size();
        socket_->write(pending_);
        pending_.clear();
    }

    IcyServer& server_;
    QTcpSocket* socket_;
    QByteArray request_;
    QString title_; // the gate's for this request; null: the server's
    bool answered_ = false;
    bool withMetadata_ = false;
    QByteArray pending_;
    qint64 produced_ = 0;
    qsizetype sinceMeta_ = 0;
    QTimer pacer_;
    QElapsedTimer clock_;
};

class IcyServer::Thread : public QThread {
public:
    explicit Thread(IcyServer& server) : server_(server) {}

    void run() override {
        QTcpServer listener;
        listener.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&listener, &QTcpServer::newConnection, &listener, [&] {
            while (QTcpSocket* socket = listener.nextPendingConnection()) {
                new IcyConnection(server_, socket);
            }
        });
        port_ = listener.serverPort();
        ready_.release();
        exec();
        const auto sockets = listener.findChildren<QTcpSocket*>();
        for (QTcpSocket* socket : sockets) {
            socket->abort();
            delete socket;
        }
    }

    IcyServer& server_;
    QSemaphore ready_;
    quint16 port_ = 0;
};

IcyServer::IcyServer(const QString& title, Gate gate) : title_(title), gate_(std::move(gate)) {}

IcyServer::~IcyServer() {
    if (thread_) {
        thread_->quit();
        thread_->wait();
        delete thread_;
    }
}

void IcyServer::start() {
    thread_ = new Thread(*this);
    thread_->start();
    thread_->ready_.acquire();
    port_ = thread_->port_;
}

QUrl IcyServer::url() const {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port_);
    url.setPath(QStringLiteral("/radio"));
    return url;
}

void IcyServer::setTitle(const QString& title) {
    QMutexLocker lock(&mutex_);
    title_ = title;
}

QString IcyServer::title() const {
    QMutexLocker lock(&mutex_);
    return title_;
}

QByteArrayList IcyServer::targets() const {
    QMutexLocker lock(&mutex_);
    return targets_;
}

int IcyServer::metadataRequests() const {
    QMutexLocker lock(&mutex_);
    return metadataRequests_;
}

} // namespace orvanto::test
