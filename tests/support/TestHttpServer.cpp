#include "support/TestHttpServer.h"

#include "support/TestHttpConnection.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <pthread.h>
#include <time.h>

namespace orvanto::test {

class TestHttpServer::Thread : public QThread {
public:
    explicit Thread(TestHttpServer& server) : server_(server) {}

    void run() override {
        pthread_getcpuclockid(pthread_self(), &cpuClock_);
        QTcpServer listener;
        listener_ = &listener;
        listener.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&listener, &QTcpServer::newConnection, &listener, [&] {
            while (QTcpSocket* socket = listener.nextPendingConnection()) {
                answerConnection(server_, socket);
            }
        });
        port_ = listener.serverPort();
        ready_.release();
        exec();
        dropConnections();
        listener_ = nullptr;
    }

    // On the server's thread.
    void goDown() {
        listener_->close();
        dropConnections();
    }
    void comeBack() { listener_->listen(QHostAddress::LocalHost, port_); }

    // Closes every connection (each deletes its Connection).
    void dropConnections() {
        const auto sockets = listener_->findChildren<QTcpSocket*>();
        for (QTcpSocket* socket : sockets) {
            socket->abort();
            delete socket;
        }
    }

    TestHttpServer& server_;
    QTcpServer* listener_ = nullptr;
    QSemaphore ready_;
    quint16 port_ = 0;
    clockid_t cpuClock_{};
};

TestHttpServer::Route TestHttpServer::body(const QByteArray& contentType, const QByteArray& body,
                                           const QByteArray& status) {
    Route route;
    route.kind = Route::Kind::Body;
    route.contentType = contentType;
    route.body = body;
    route.status = status;
    return route;
}

TestHttpServer::Route TestHttpServer::silent() {
    Route route;
    route.kind = Route::Kind::Silent;
    return route;
}

TestHttpServer::Route TestHttpServer::trickle() {
    Route route;
    route.kind = Route::Kind::Trickle;
    return route;
}

TestHttpServer::Route TestHttpServer::wav(int streamMs, bool closeAfter) {
    Route route;
    route.kind = Route::Kind::Wav;
    route.streamMs = streamMs;
    route.closeAfter = closeAfter;
    return route;
}

TestHttpServer::Route TestHttpServer::video() {
    Route route;
    route.kind = Route::Kind::Video;
    return route;
}

TestHttpServer::Route TestHttpServer::testCard() {
    Route route;
    route.kind = Route::Kind::TestCard;
    return route;
}

TestHttpServer::Route TestHttpServer::endlessHead(int bytesPerSecond) {
    Route route;
    route.kind = Route::Kind::EndlessHead;
    route.rate = bytesPerSecond;
    return route;
}

TestHttpServer::Route TestHttpServer::drip(int bytesPerSecond) {
    Route route;
    route.kind = Route::Kind::Drip;
    route.rate = bytesPerSecond;
    return route;
}

TestHttpServer::Route TestHttpServer::redirect(const QByteArray& location,
                                               const QByteArray& status) {
    Route route = body("text/html", "<html><body>Moved</body></html>", status);
    route.headers = "Location: " + location + "\r\n";
    return route;
}

TestHttpServer::Route TestHttpServer::icy(const QByteArray& audio, int bytesPerSecond,
                                          const QByteArray& contentType) {
    Route route;
    route.kind = Route::Kind::Icy;
    route.body = audio;
    route.rate = bytesPerSecond;
    route.contentType = contentType;
    return route;
}

QByteArray TestHttpServer::wavClip(int ms) {
    const qint64 bytes = qint64(ms) * WavBytesPerSecond / 1000 / 2 * 2;
    return wavHeader(quint32(bytes)) + pcm(0, bytes);
}

TestHttpServer::TestHttpServer() {
    clock_.start();
}

TestHttpServer::~TestHttpServer() {
    if (thread_) {
        thread_->quit();
        thread_->wait();
        delete thread_;
    }
}

void TestHttpServer::route(const QString& path, const Route& route) {
    QMutexLocker lock(&mutex_);
    routes_.insert(path, route);
}

void TestHttpServer::start() {
    thread_ = new Thread(*this);
    thread_->start();
    thread_->ready_.acquire();
    port_ = thread_->port_;
}

QUrl TestHttpServer::url(const QString& path, const QString& scheme) const {
    QUrl url;
    url.setScheme(scheme);
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port_);
    url.setPath(path);
    return url;
}

void TestHttpServer::goDown() {
    QMetaObject::invokeMethod(
        thread_->listener_, [this] { thread_->goDown(); }, Qt::BlockingQueuedConnection);
}

void TestHttpServer::comeBack() {
    QMetaObject::invokeMethod(
        thread_->listener_, [this] { thread_->comeBack(); }, Qt::BlockingQueuedConnection);
}

qint64 TestHttpServer::awayLeftMs(const QString& path) const {
    QMutexLocker lock(&mutex_);
    return qMax<qint64>(0, awayUntilMs_.value(path) - clock_.elapsed());
}

void TestHttpServer::endAway(const QString& path) {
    QMutexLocker lock(&mutex_);
    awayUntilMs_.remove(path);
}

void TestHttpServer::goAway(const QString& path, int ms) {
    QMutexLocker lock(&mutex_);
    awayUntilMs_[path] = clock_.elapsed() + ms;
}

bool TestHttpServer::admit(const QString& path) {
    QMutexLocker lock(&mutex_);
    if (clients_.value(path) > 0) {
        return false;
    }
    ++clients_[path];
    return true;
}

void TestHttpServer::release(const QString& path) {
    QMutexLocker lock(&mutex_);
    --clients_[path];
}

int TestHttpServer::requests(const QString& path) const {
    QMutexLocker lock(&mutex_);
    return requests_.value(path);
}

int TestHttpServer::totalRequests() const {
    QMutexLocker lock(&mutex_);
    int total = 0;
    for (const int count : requests_) {
        total += count;
    }
    return total;
}

int TestHttpServer::openConnections() const {
    QMutexLocker lock(&mutex_);
    return open_;
}

std::chrono::nanoseconds TestHttpServer::cpuTime() const {
    timespec ts{};
    if (!thread_ || clock_gettime(thread_->cpuClock_, &ts) != 0) {
        return {};
    }
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

QUrl TestHttpServer::refusedUrl(const QString& path) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port);
    url.setPath(path);
    return url;
}

void TestHttpServer::countRequest(const QString& path, const QByteArray& head) {
    QMutexLocker lock(&mutex_);
    ++requests_[path];
    heads_[path] << head;
}

namespace {

// The value of header `name` in the request head `head`, or nothing.
std::optional<QByteArray> headerValue(const QByteArray& head, const QByteArray& name) {
    const QByteArrayList lines = head.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            return line.sliced(colon + 1).trimmed();
        }
    }
    return std::nullopt;
}

} // namespace

bool TestHttpServer::admits(const QByteArray& head) const {
    QMutexLocker lock(&mutex_);
    return std::ranges::all_of(required_, [&](const std::pair<QByteArray, QByteArray>& header) {
        return headerValue(head, header.first) == header.second;
    });
}

void TestHttpServer::requireHeaders(const QList<std::pair<QByteArray, QByteArray>>& headers) {
    QMutexLocker lock(&mutex_);
    required_ = headers;
}

QByteArrayList TestHttpServer::headerValues(const QString& path, const QByteArray& name) const {
    QMutexLocker lock(&mutex_);
    QByteArrayList values;
    for (const QByteArray& head : heads_.value(path)) {
        values << headerValue(head, name).value_or(QByteArray());
    }
    return values;
}

void TestHttpServer::connectionOpened() {
    QMutexLocker lock(&mutex_);
    ++open_;
}

void TestHttpServer::connectionClosed() {
    QMutexLocker lock(&mutex_);
    --open_;
}

TestHttpServer::Route TestHttpServer::routeFor(const QString& path) const {
    QMutexLocker lock(&mutex_);
    return routes_.value(path,
                         body("text/html", "<html><body>Not found</body></html>", "404 Not Found"));
}

} // namespace orvanto::test
