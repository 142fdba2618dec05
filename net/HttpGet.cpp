#include "net/HttpGet.h"

#include "net/HeadEnd.h"
#include "net/HttpHead.h"
#include "net/StreamConnection.h"

#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <fcntl.h>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

bool isHttp(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == u"http"_s || scheme == u"https"_s;
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

HttpGet::HttpGet(QObject* parent) : QObject(parent) {}

HttpGet::~HttpGet() {
    abort();
}

void HttpGet::start(const HttpRequest& request) {
    abort();
    request_ = request;
    redirects_ = 0;
    error_ = Error::None;
    errorDetail_.clear();
    body_.clear();
    bodyTotal_ = 0;
    bodyKept_ = 0;
    running_ = true;
    connectTo(request.url);
}

void HttpGet::abort() {
    ++generation_;
    running_ = false;
    dropSocket();
}

void HttpGet::dropSocket() {
    if (QTcpSocket* socket = socket_.data()) {
        socket_.clear();
        socket->disconnect(this);
        socket->abort(); // the descriptor is closed here, not later
        socket->deleteLater();
    }
}

void HttpGet::connectTo(const QUrl& url) {
    dropSocket();
    url_ = url;
    head_.clear();
    scanned_ = 0;
    response_ = {};
    contentLength_ = -1;
    chunked_.reset();
    icy_.reset();

    if (!isHttp(url) || url.host().isEmpty()) {
        // Reported on the next turn of the event loop, like every other outcome.
        const quint64 generation = generation_;
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == generation_ && running_) {
                fail(Error::Network, u"it is not an http(s) address"_s);
            }
        });
        return;
    }
    const bool tls = url.scheme().compare(u"https"_s, Qt::CaseInsensitive) == 0;
    QTcpSocket* socket = tls ? new QSslSocket(this) : new QTcpSocket(this);
    socket_ = socket;
    // Qt reads no more from the kernel than this ahead of us.
    socket->setReadBufferSize(BodyBufferBytes);
    connect(socket, &QTcpSocket::readyRead, this, &HttpGet::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &HttpGet::onDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &HttpGet::onSocketError);
    const quint16 port = static_cast<quint16>(url.port(tls ? 443 : 80));
    if (tls) {
        auto* ssl = static_cast<QSslSocket*>(socket);
        connect(ssl, &QSslSocket::encrypted, this, &HttpGet::onConnected);
        ssl->connectToHostEncrypted(url.host(), port);
    } else {
        connect(socket, &QTcpSocket::connected, this, &HttpGet::onConnected);
        socket->connectToHost(url.host(), port);
    }
}

void HttpGet::onConnected() {
    socket_->write(requestHead(request_, url_));
}

void HttpGet::onReadyRead() {
    while (running_ && socket_) {
        if (!hasHead()) {
            if (!readHead()) {
                return;
            }
            continue;
        }
        const qint64 room = BodyBufferBytes - body_.size();
        if (room <= 0 || socket_->bytesAvailable() <= 0) {
            return; // reading goes on once the reader has taken the body
        }
        receive(socket_->read(room));
    }
}

// Reads head bytes, never more than the head may hold. Returns true when the head is complete
// and handled (its successor, a redirect's connection or the body, goes on); false to wait.
bool HttpGet::readHead() {
    const qint64 room = request_.maxHeadBytes + 1 - head_.size();
    head_ += socket_->read(room);
    if (!ResponseHead::couldStart(head_)) {
        fail(Error::NotHttp);
        return false;
    }
    const HeadEnd headEnd = findHeadEnd(head_, scanned_);
    scanned_ = head_.size();
    if (!headEnd.found() || headEnd.end > request_.maxHeadBytes) {
        if (head_.size() > request_.maxHeadBytes) {
            fail(Error::HeadTooLarge);
        }
        return false;
    }
    QByteArray rest = head_.mid(headEnd.end + headEnd.lineLength);
    head_.truncate(headEnd.end);
    if (!parseHead(head_)) {
        fail(Error::NotHttp);
        return false;
    }
    if (isRedirect(response_.status) && !header("location").isEmpty()) {
        return followRedirect();
    }
    if (!emitChecked(&HttpGet::headReceived)) {
        return false;
    }
    if (contentLength_ == 0 && !chunked_) {
        complete();
        return false;
    }
    if (!rest.isEmpty()) {
        receive(std::move(rest));
    }
    return running_;
}

bool HttpGet::parseHead(QByteArrayView head) {
    std::optional<ResponseHead> parsed = ResponseHead::parse(head);
    if (!parsed) {
        return false;
    }
    response_ = std::move(*parsed);
    if (request_.icyTitles) {
        if (const qint64 interval = IcyReader::interval(header("icy-metaint")); interval > 0) {
            icy_.emplace(interval);
        }
    }
    if (header("transfer-encoding").toLower().contains("chunked")) {
        chunked_.emplace(); // the chunks tell the length: Content-Length does not count
        return true;
    }
    const QByteArray length = header("content-length");
    if (!length.isEmpty()) {
        bool ok = false;
        contentLength_ = length.toLongLong(&ok);
        if (!ok || contentLength_ < 0) {
            contentLength_ = -1;
        }
    }
    return true;
}

bool HttpGet::followRedirect() {
    if (redirects_ >= request_.maxRedirects) {
        fail(Error::TooManyRedirects);
        return false;
    }
    const QUrl target =
        url_.resolved(QUrl(QString::fromLatin1(header("location")), QUrl::TolerantMode));
    const bool fromTls = url_.scheme().compare(u"https"_s, Qt::CaseInsensitive) == 0;
    if (!isHttp(target) ||
        (fromTls && target.scheme().compare(u"https"_s, Qt::CaseInsensitive) != 0)) {
        fail(Error::InsecureRedirect);
        return false;
    }
    ++redirects_;
    connectTo(target);
    return false;
}

// Bytes of the body as they come over the connection.
void HttpGet::receive(QByteArray bytes) {
    if (!chunked_) {
        deliver(std::move(bytes));
        return;
    }
    QByteArray decoded;
    const bool ok = chunked_->decode(bytes, decoded);
    const bool done = chunked_->isDone();
    const quint64 generation = generation_;
    if (!decoded.isEmpty()) {
        deliver(std::move(decoded));
    }
    if (generation != generation_ || !running_) {
        return;
    }
    if (!ok) {
        fail(Error::Network, u"the server's chunked body is broken"_s);
    } else if (done) {
        complete();
    }
}

void HttpGet::deliver(QByteArray bytes) {
    bool over = false;
    if (contentLength_ >= 0 && bodyTotal_ + bytes.size() >= contentLength_) {
        bytes.truncate(contentLength_ - bodyTotal_);
        over = true;
    }
    bodyTotal_ += bytes.size(); // as sent: the announced length counts the titles too
    if (icy_) {
        QByteArray audio;
        icy_->read(bytes, audio);
        bytes = std::move(audio);
    }
    bool tooLarge = false;
    if (request_.maxBodyBytes >= 0 && bodyKept_ + bytes.size() > request_.maxBodyBytes) {
        bytes.truncate(request_.maxBodyBytes - bodyKept_);
        tooLarge = true;
    }
    bodyKept_ += bytes.size();
    body_ += bytes;
    if (!bytes.isEmpty() && !emitChecked(&HttpGet::bodyReceived)) {
        return;
    }
    if (tooLarge) {
        fail(Error::BodyTooLarge);
    } else if (over) {
        complete();
    }
}

QByteArray HttpGet::readBody() {
    QByteArray bytes = std::exchange(body_, {});
    if (running_ && socket_ && hasHead() && socket_->bytesAvailable() > 0) {
        const quint64 generation = generation_;
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == generation_) {
                onReadyRead();
            }
        });
    }
    return bytes;
}

void HttpGet::onDisconnected() {
    if (!running_ || !socket_) {
        return;
    }
    // What the server sent before it closed is still to be read.
    while (running_ && socket_ && socket_->bytesAvailable() > 0) {
        const qsizetype before = body_.size() + head_.size();
        onReadyRead();
        if (body_.size() + head_.size() == before) {
            break; // the reader has not taken the body yet: the rest of it is dropped
        }
    }
    if (!running_) {
        return;
    }
    if (!hasHead()) {
        fail(head_.isEmpty() ? Error::Empty : Error::NotHttp);
    } else if ((contentLength_ >= 0 && bodyTotal_ < contentLength_) ||
               (chunked_ && !chunked_->isDone())) {
        fail(Error::Network, u"the connection closed before the whole body came"_s);
    } else {
        complete();
    }
}

void HttpGet::onSocketError() {
    if (!running_ || !socket_) {
        return;
    }
    switch (socket_->error()) {
    case QAbstractSocket::RemoteHostClosedError:
        onDisconnected();
        break;
    case QAbstractSocket::ConnectionRefusedError:
        fail(Error::Refused);
        break;
    case QAbstractSocket::HostNotFoundError:
        fail(Error::HostNotFound);
        break;
    default:
        fail(Error::Network, socket_->errorString());
        break;
    }
}

std::shared_ptr<StreamConnection> HttpGet::takeConnection(QByteArray taken) {
    QTcpSocket* socket = socket_.data();
    if (!running_ || !hasHead() || !socket || qobject_cast<QSslSocket*>(socket) ||
        socket->state() != QAbstractSocket::ConnectedState) {
        return nullptr;
    }
    // A descriptor of our own for the socket: the connection stays open when Qt closes its one.
    const int descriptor = ::fcntl(int(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0) {
        return nullptr;
    }
    QByteArray raw = socket->readAll(); // what Qt read ahead of us, not yet decoded
    qint64 remaining = -1;
    if (!chunked_ && contentLength_ >= 0) {
        // The body's bytes past those received so far and those Qt holds.
        const qint64 held = qMin<qint64>(raw.size(), contentLength_ - bodyTotal_);
        raw.truncate(qsizetype(held));
        remaining = contentLength_ - bodyTotal_ - held;
    }
    const qint64 size = chunked_ ? -1 : contentLength_;
    auto connection = std::make_shared<StreamConnection>(
        url_, descriptor, taken + std::exchange(body_, {}), std::move(raw),
        std::exchange(chunked_, std::nullopt), std::exchange(icy_, std::nullopt), remaining, size);
    connection->setContentType(header("Content-Type")); // bounded with the head
    abort();
    return connection;
}

HttpGet::Phase HttpGet::phase() const {
    if (!running_) {
        return Phase::Idle;
    }
    if (hasHead()) {
        return Phase::Reading;
    }
    if (!socket_) {
        return Phase::Connecting; // between a redirect and its connection
    }
    switch (socket_->state()) {
    case QAbstractSocket::HostLookupState:
        return Phase::LookingUp;
    case QAbstractSocket::ConnectedState:
        return Phase::Waiting;
    default:
        return Phase::Connecting;
    }
}

QByteArray HttpGet::header(QByteArrayView name) const {
    return response_.header(name);
}

void HttpGet::fail(Error error, const QString& detail) {
    error_ = error;
    errorDetail_ = detail;
    complete();
}

void HttpGet::complete() {
    running_ = false;
    dropSocket();
    emitChecked(&HttpGet::finished);
}

template <typename Signal> bool HttpGet::emitChecked(Signal signal) {
    const quint64 generation = generation_;
    Q_EMIT(this->*signal)();
    return generation == generation_;
}

QString HttpGet::errorString() const {
    switch (error_) {
    case Error::None:
        return {};
    case Error::Refused:
        return u"the server refused the connection"_s;
    case Error::HostNotFound:
        return u"the server's name %1 is unknown"_s.arg(url_.host());
    case Error::Network:
        return errorDetail_.isEmpty() ? u"the connection failed"_s : errorDetail_;
    case Error::NotHttp:
        return u"the server did not answer in HTTP"_s;
    case Error::HeadTooLarge:
        return u"the server's response headers are larger than %1 KiB"_s.arg(request_.maxHeadBytes /
                                                                             1024);
    case Error::BodyTooLarge:
        return u"the server sent more than %1 bytes"_s.arg(request_.maxBodyBytes);
    case Error::TooManyRedirects:
        return u"the server redirected more than %1 times"_s.arg(request_.maxRedirects);
    case Error::InsecureRedirect:
        return u"the server redirected to a less safe address"_s;
    case Error::Empty:
        return u"the server closed the connection without an answer"_s;
    }
    return {};
}

} // namespace orvanto
