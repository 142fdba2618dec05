#include "support/LoopbackHttpServer.h"

#include <QTcpSocket>

namespace orvanto::test {

LoopbackHttpServer::LoopbackHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { answer(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void LoopbackHttpServer::route(const QString& path, Response response) {
    routes_.insert(path, std::move(response));
}

QUrl LoopbackHttpServer::url(const QString& path) const {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(server_.serverPort());
    url.setPath(path);
    return url;
}

void LoopbackHttpServer::answer(QTcpSocket* socket) {
    if (socket->property("answered").toBool()) {
        socket->readAll();
        return;
    }
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n")) {
        return;
    }
    socket->setProperty("answered", true);
    ++requests_;
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = words.size() > 1 ? QUrl(QString::fromLatin1(words[1])).path() : QString();

    const auto found = routes_.constFind(path);
    const Response response = found != routes_.cend() ? *found : Response{404, "no such file"};
    if (response.silent) {
        return;
    }
    QByteArray head = "HTTP/1.0 " + QByteArray::number(response.status) +
                      (response.status < 400 ? " OK\r\n" : " Not Found\r\n");
    head += response.headers;
    if (response.sendLength) {
        const qint64 length =
            response.claimedLength >= 0 ? response.claimedLength : response.body.size();
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    socket->write(head + response.body);
    socket->disconnectFromHost();
}

} // namespace orvanto::test
