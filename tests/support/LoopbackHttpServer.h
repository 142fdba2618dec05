#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpServer>
#include <QUrl>

namespace orvanto::test {

// A minimal HTTP/1.0 server on 127.0.0.1 (a free port) that answers each path with a fixed
// response and closes the connection. It stops when it is destroyed.
class LoopbackHttpServer {
public:
    struct Response {
        Response(int statusCode = 200, QByteArray content = {})
            : status(statusCode), body(std::move(content)) {}

        int status = 200;
        QByteArray body;
        QByteArray headers;        // extra header lines, each ending in "\r\n"
        bool sendLength = true;    // send Content-Length
        qint64 claimedLength = -1; // Content-Length to claim instead of the body's size
        bool silent = false;       // accept the request and never answer
    };

    LoopbackHttpServer();

    void route(const QString& path, Response response);
    // http://127.0.0.1:<port><path>
    QUrl url(const QString& path) const;
    int requestCount() const { return requests_; }

private:
    void answer(QTcpSocket* socket);

    QTcpServer server_;
    QHash<QString, Response> routes_;
    int requests_ = 0;
};

} // namespace orvanto::test
