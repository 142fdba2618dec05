#include "support/TestPortal.h"

#include "support/TestHttpConnection.h"
#include "support/TestHttpServer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrlQuery>
#include <algorithm>
#include <functional>
#include <limits>

namespace orvanto::test {

namespace {

constexpr qsizetype MaxHeadBytes = 16 * 1024;
constexpr qsizetype WholeBodyBytes = 4 * 1024 * 1024; // bodies up to this go with a length
constexpr qint64 BacklogBytes = 1024 * 1024;          // written ahead of what the client has read

} // namespace

class PortalConnection : public QObject {
public:
    PortalConnection(TestPortal& portal, QTcpSocket* socket)
        : QObject(socket), portal_(portal), socket_(socket) {
        connect(socket_, &QTcpSocket::readyRead, this, &PortalConnection::onReadyRead);
        connect(socket_, &QTcpSocket::disconnected, socket_, &QObject::deleteLater);
        connect(socket_, &QTcpSocket::bytesWritten, this, &PortalConnection::pump);
        pacer_.setInterval(50);
        connect(&pacer_, &QTimer::timeout, this, &PortalConnection::sendWav);
        base_ = "http://127.0.0.1:" + QByteArray::number(socket_->localPort());
    }

private:
    using Failure = TestPortal::Failure;

    void onReadyRead() {
        if (answered_) {
            socket_->readAll();
            return;
        }
        request_ += socket_->read(MaxHeadBytes + 1 - request_.size());
        if (!request_.contains("\r\n\r\n")) {
            if (request_.size() > MaxHeadBytes) {
                answered_ = true;
                reply("431 Request Header Fields Too Large", "text/plain", "head too long");
            }
            return;
        }
        answered_ = true;
        const QByteArray target = request_.left(request_.indexOf("\r\n")).split(' ').value(1);
        const qsizetype mark = target.indexOf('?');
        path_ = QUrl::fromPercentEncoding(mark < 0 ? target : target.first(mark));
        query_ = QUrlQuery(mark < 0 ? QString() : QString::fromUtf8(target.sliced(mark + 1)));
        if (path_ == QStringLiteral("/player_api.php")) {
            action_ = query_.queryItemValue(QStringLiteral("action"), QUrl::FullyDecoded);
        } else if (path_ == QStringLiteral("/xmltv.php")) {
            action_ = QStringLiteral("xmltv");
        } else if (path_.startsWith(QStringLiteral("/live/"))) {
            action_ = QStringLiteral("live");
        } else {
            action_ = path_;
        }
        portal_.record(target, action_);
        state_ = portal_.snapshot();
        const auto [failure, slowMs] = portal_.failure(action_);
        switch (failure) {
        case Failure::Html:
            return reply("200 OK", "text/html",
                         "<!DOCTYPE html><html><head><title>Welcome</title></head>"
                         "<body><h1>It works!</h1></body></html>");
        case Failure::Refused884:
            socket_->write("HTTP/1.0 884 Blocked\r\nConnection: close\r\n\r\n");
            socket_->disconnectFromHost();
            return;
        case Failure::ServerError:
            return reply("500 Internal Server Error", "text/html",
                         "<html><body>Internal Server Error</body></html>");
        case Failure::Slow:
            QTimer::singleShot(slowMs, this, &PortalConnection::answer);
            return;
        case Failure::Endless:
            if (action_ != QStringLiteral("live")) {
                // The lists go on with generated channels, for ever.
                state_.generate(std::numeric_limits<int>::max());
                return action_ == QStringLiteral("xmltv")
                           ? send("application/xml", portal::xmltv(state_, now(), base_))
                           : send("application/json", portal::streams(state_, {}, base_));
            }
            break;
        case Failure::CutOff:
            cutOff_ = true;
            break;
        case Failure::None:
            break;
        }
        answer();
    }

    QString item(const QString& key) const {
        return query_.queryItemValue(key, QUrl::FullyDecoded);
    }

    void answer() {
        const bool known = item(QStringLiteral("username")) == state_.user &&
                           item(QStringLiteral("password")) == state_.password;
        if (path_ == QStringLiteral("/player_api.php")) {
            if (action_.isEmpty() && state_.bareLogin) {
                return json("[]");
            }
            if (!known) {
                return json(R"({"user_info":{"auth":0}})");
            }
            if (action_.isEmpty()) {
                return json(portal::login(state_, socket_->localPort(), now()));
            }
            if (action_ == QStringLiteral("get_live_categories")) {
                return send("application/json", portal::categories(state_));
            }
            if (action_ == QStringLiteral("get_live_streams")) {
                return send("application/json",
                            portal::streams(state_, item(QStringLiteral("category_id")), base_));
            }
            if (action_ == QStringLiteral("get_short_epg")) {
                const QString limit = item(QStringLiteral("limit"));
                return json(portal::shortEpg(state_, item(QStringLiteral("stream_id")).toInt(),
                                             limit.isEmpty() ? portal::GuideProgrammes
                                                             : std::clamp(limit.toInt(), 0, 1000),
                                             now()));
            }
            return json("[]");
        }
        if (action_ == QStringLiteral("xmltv")) {
            return known ? send("application/xml", portal::xmltv(state_, now(), base_))
                         : reply("401 Unauthorized", "text/plain", "unauthorized");
        }
        if (action_ == QStringLiteral("live")) {
            return live();
        }
        reply("404 Not Found", "text/html", "<html><body>Not found</body></html>");
    }

    qint64 now() const { return state_.now != 0 ? state_.now : QDateTime::currentSecsSinceEpoch(); }

    // /live/USER/PASSWORD/ID.EXT
    void live() {
        const QStringList parts = path_.split(u'/');
        bool ok = false;
        const int id = parts.value(4).section(u'.', 0, 0).toInt(&ok);
        if (parts.size() != 5 || parts[2] != state_.user || parts[3] != state_.password || !ok ||
            state_.find(id) < 0) {
            return reply("404 Not Found", "text/html", "<html><body>Not found</body></html>");
        }
        if (cutOff_) {
            const QByteArray clip = TestHttpServer::wavClip(4000);
            socket_->write(head("200 OK", "audio/wav", clip.size()) + clip.first(clip.size() / 2));
            socket_->disconnectFromHost();
            return;
        }
        socket_->write(head("200 OK", "audio/wav", -1) + wavHeader());
        clock_.start();
        sendWav();
        pacer_.start();
    }

    void sendWav() {
        if (socket_->bytesToWrite() >= 256 * 1024) {
            return; // the client does not read: wait
        }
        const qint64 due = TestHttpServer::WavBurstBytes +
                           clock_.elapsed() * TestHttpServer::WavBytesPerSecond / 1000;
        if (due > sent_) {
            socket_->write(pcm(sent_, due - sent_));
            sent_ = due;
        }
    }

    static QByteArray head(const QByteArray& status, const QByteArray& type, qint64 length) {
        return "HTTP/1.0 " + status + "\r\nContent-Type: " + type + "\r\n" +
               (length >= 0 ? "Content-Length: " + QByteArray::number(length) + "\r\n"
                            : QByteArray()) +
               "Connection: close\r\n\r\n";
    }

    void reply(const QByteArray& status, const QByteArray& type, const QByteArray& body) {
        socket_->write(head(status, type, body.size()) + body);
        socket_->disconnectFromHost();
    }

    void json(const QByteArray& body) {
        send("application/json", [body, done = false]() mutable {
            return std::exchange(done, true) ? QByteArray() : body;
        });
    }

    // A body small enough goes whole, with its length (as does one to be cut off, which then
    // ends halfway); a longer one is written as the client reads it, to the end of the
    // connection.
    void send(const QByteArray& type, portal::Body producer) {
        QByteArray whole;
        while (whole.size() <= WholeBodyBytes || cutOff_) {
            const QByteArray piece = producer();
            if (piece.isEmpty()) {
                socket_->write(head("200 OK", type, whole.size()));
                socket_->write(cutOff_ ? whole.first(whole.size() / 2) : whole);
                socket_->disconnectFromHost();
                return;
            }
            whole += piece;
        }
        socket_->write(head("200 OK", type, -1) + whole);
        producer_ = std::move(producer);
        pump();
    }

    void pump() {
        while (producer_ && socket_->bytesToWrite() < BacklogBytes) {
            const QByteArray piece = producer_();
            if (piece.isEmpty()) {
                producer_ = nullptr;
                socket_->disconnectFromHost();
                return;
            }
            socket_->write(piece);
        }
    }

    TestPortal& portal_;
    QTcpSocket* socket_;
    QByteArray base_; // http://127.0.0.1:PORT
    QByteArray request_;
    bool answered_ = false;
    QString path_;
    QUrlQuery query_;
    QString action_;
    portal::State state_;
    bool cutOff_ = false;
    portal::Body producer_;
    QTimer pacer_;
    QElapsedTimer clock_;
    qint64 sent_ = 0;
};

class TestPortal::Thread : public QThread {
public:
    explicit Thread(TestPortal& portal) : portal_(portal) {}

    void run() override {
        QTcpServer listener;
        listener_ = &listener;
        listener.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&listener, &QTcpServer::newConnection, &listener, [&] {
            while (QTcpSocket* socket = listener.nextPendingConnection()) {
                new PortalConnection(portal_, socket); // a child of the socket, gone with it
            }
        });
        port_ = listener.serverPort();
        ready_.release();
        exec();
        dropConnections();
        listener_ = nullptr;
    }

    // On the portal's thread.
    void dropConnections() {
        const auto sockets = listener_->findChildren<QTcpSocket*>();
        for (QTcpSocket* socket : sockets) {
            socket->abort();
            delete socket;
        }
    }

    TestPortal& portal_;
    QTcpServer* listener_ = nullptr;
    QSemaphore ready_;
    quint16 port_ = 0;
};

TestPortal::TestPortal(QString user, QString password)
    : user_(std::move(user)), password_(std::move(password)) {
    state_.user = user_;
    state_.password = password_;
    state_.generate(3);
}

TestPortal::~TestPortal() {
    if (thread_) {
        thread_->quit();
        thread_->wait();
        delete thread_;
    }
}

void TestPortal::start() {
    thread_ = new Thread(*this);
    thread_->start();
    thread_->ready_.acquire();
    port_ = thread_->port_;
}

QUrl TestPortal::baseUrl() const {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host());
    url.setPort(port_);
    return url;
}

QUrl TestPortal::apiUrl() const {
    QUrl url = baseUrl();
    url.setPath(QStringLiteral("/player_api.php"));
    return url;
}

QUrl TestPortal::xmltvUrl() const {
    QUrl url = baseUrl();
    url.setPath(QStringLiteral("/xmltv.php"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("username"), user_);
    query.addQueryItem(QStringLiteral("password"), password_);
    url.setQuery(query);
    return url;
}

QUrl TestPortal::streamUrl(int id, const QString& extension) const {
    QUrl url = baseUrl();
    url.setPath(QStringLiteral("/live/%1/%2/%3.%4").arg(user_, password_).arg(id).arg(extension));
    return url;
}

void TestPortal::setFailure(const QString& action, Failure failure, int slowMs) {
    QMutexLocker lock(&mutex_);
    failures_.insert(action, {failure, slowMs});
}

void TestPortal::goDown() {
    QMetaObject::invokeMethod(
        thread_->listener_,
        [this] {
            thread_->listener_->close();
            thread_->dropConnections();
        },
        Qt::BlockingQueuedConnection);
}

void TestPortal::comeBack() {
    QMetaObject::invokeMethod(
        thread_->listener_, [this] { thread_->listener_->listen(QHostAddress::LocalHost, port_); },
        Qt::BlockingQueuedConnection);
}

int TestPortal::requests(const QString& action) const {
    QMutexLocker lock(&mutex_);
    return requests_.value(action);
}

QByteArrayList TestPortal::requestTargets() const {
    QMutexLocker lock(&mutex_);
    return targets_;
}

portal::State TestPortal::snapshot() const {
    QMutexLocker lock(&mutex_);
    return state_;
}

std::pair<TestPortal::Failure, int> TestPortal::failure(const QString& action) const {
    QMutexLocker lock(&mutex_);
    return failures_.value(action, {Failure::None, 0});
}

void TestPortal::record(const QByteArray& target, const QString& action) {
    QMutexLocker lock(&mutex_);
    targets_ << target;
    ++requests_[action];
}

} // namespace orvanto::test
