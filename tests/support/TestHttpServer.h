#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <QUrl>
#include <chrono>

namespace orvanto::test {

// A small HTTP/1.0 server on 127.0.0.1 for the player's tests and benchmarks. It runs in a
// thread of its own (so a busy GUI thread does not slow its streams down), serves fixed
// routes, and stops when destroyed.
class TestHttpServer {
public:
    struct Route {
        enum class Kind {
            Body,        // a fixed reply
            Silent,      // accepts the connection and never answers
            Trickle,     // answers with headers and a few bytes of a WAV file, then nothing more
            Wav,         // an endless PCM WAV stream (or one that stops: see streamMs)
            Video,       // an endless YUV4MPEG2 video stream, 64x48 at 25 frames a second
            TestCard,    // the same, its top half magenta and its bottom half yellow
            EndlessHead, // a status line, then one header line that never ends, at `rate`
            Drip,        // a Content-Length of 4 GiB, then binary bytes at `rate`
        };
        Kind kind = Kind::Body;
        QByteArray status = "200 OK";
        QByteArray contentType;
        QByteArray body;
        bool sendLength = true;    // Body: send a Content-Length header...
        qint64 claimedLength = -1; // ... claiming this many bytes (-1: the body's size)
        int streamMs = -1;         // Wav: stream this long (-1: forever), then...
        bool closeAfter = false;   // ... close the connection (true) or stop sending (false)
        QByteArray headers;        // Body: more header lines, each ending in "\r\n"
        int rate = 0;              // EndlessHead, Drip: bytes a second
    };

    static Route body(const QByteArray& contentType, const QByteArray& body,
                      const QByteArray& status = "200 OK");
    static Route silent();
    static Route trickle();
    static Route wav(int streamMs = -1, bool closeAfter = false);
    static Route video();
    static Route testCard();
    static Route endlessHead(int bytesPerSecond);
    static Route drip(int bytesPerSecond);
    static Route redirect(const QByteArray& location, const QByteArray& status = "302 Found");

    // The WAV stream's format: 32 kHz mono 16-bit PCM, 64000 bytes a second, of which the
    // first 1.5 seconds come at once so that players open it without waiting.
    static constexpr int WavBytesPerSecond = 64000;
    static constexpr int WavBurstBytes = 96000;

    TestHttpServer();
    ~TestHttpServer();

    // Routes are matched by path (without the query).
    void route(const QString& path, const Route& route);
    // Starts listening on a free port; returns when ready.
    void start();

    QUrl url(const QString& path, const QString& scheme = QStringLiteral("http")) const;
    quint16 port() const { return port_; }
    // Requests received for `path` so far.
    int requests(const QString& path) const;
    // Connections open at the moment.
    int openConnections() const;
    // CPU time used by the server's thread.
    std::chrono::nanoseconds cpuTime() const;

    // An address on a port where nobody listens.
    static QUrl refusedUrl(const QString& path = QStringLiteral("/"));

private:
    class Thread;
    friend class Connection;

    void countRequest(const QString& path);
    void connectionOpened();
    void connectionClosed();
    Route routeFor(const QString& path) const;

    QHash<QString, Route> routes_;
    mutable QMutex mutex_;
    QHash<QString, int> requests_;
    int open_ = 0;
    quint16 port_ = 0;
    Thread* thread_ = nullptr;
};

} // namespace orvanto::test
