#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <QUrl>
#include <chrono>
#include <utility>

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
            Icy,         // a SHOUTcast server: "ICY 200 OK", then `body` round and round at
                         // `rate` (the first two seconds at once), with a title every
                         // `metaint` bytes when the client asks for one
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
        int rate = 0;              // EndlessHead, Drip, Icy: bytes a second
        int metaint = 8192;        // Icy
        // Wav: once a connection has streamed for streamMs, the route is away this long: new
        // requests get no answer until it is back (then they are served).
        int awayMs = 0;
        // Wav, Video: while one client of the route is connected, another one's connection is
        // closed at once, as by servers that take one client at a time.
        bool oneClient = false;
        // Wav, Video: an HTTP/1.1 head and a chunked body, whatever the request asked for.
        bool chunked = false;
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
    static Route icy(const QByteArray& audio, int bytesPerSecond,
                     const QByteArray& contentType = "audio/mpeg");

    // The WAV stream's format: 32 kHz mono 16-bit PCM, 64000 bytes a second, of which the
    // first 1.5 seconds come at once so that players open it without waiting.
    static constexpr int WavBytesPerSecond = 64000;
    static constexpr int WavBurstBytes = 96000;
    // A WAV file of `ms` of that sound, with its true length: a stream with an end.
    static QByteArray wavClip(int ms);

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
    // Requests received for any path so far.
    int totalRequests() const;
    // From now on, a request without every one of `headers` (its name in any case, its value
    // exactly) is answered "403 Forbidden", as by servers that play a channel only for the
    // player or the web page its list names.
    void requireHeaders(const QList<std::pair<QByteArray, QByteArray>>& headers);
    // The value of header `name` in each request for `path` so far, in order (empty where it
    // was not sent).
    QByteArrayList headerValues(const QString& path, const QByteArray& name) const;
    // Stops listening and drops every connection (nobody listens on the port any more), and
    // listens on the same port again.
    void goDown();
    void comeBack();
    // Ends the away time of a route (Route::awayMs) now: the requests waiting are served.
    void endAway(const QString& path);
    // Connections open at the moment.
    int openConnections() const;
    // CPU time used by the server's thread.
    std::chrono::nanoseconds cpuTime() const;

    // An address on a port where nobody listens.
    static QUrl refusedUrl(const QString& path = QStringLiteral("/"));

private:
    class Thread;
    friend class Connection;

    void countRequest(const QString& path, const QByteArray& head);
    bool admits(const QByteArray& head) const;
    void connectionOpened();
    void connectionClosed();
    Route routeFor(const QString& path) const;
    // Away-time left of `path`, in ms (0: it is there); goAway() starts one.
    qint64 awayLeftMs(const QString& path) const;
    void goAway(const QString& path, int ms);
    // One-client routes: false when `path` has a client already.
    bool admit(const QString& path);
    void release(const QString& path);

    QHash<QString, Route> routes_;
    mutable QMutex mutex_;
    QHash<QString, int> requests_;
    QHash<QString, QByteArrayList> heads_; // of the requests for each path
    QList<std::pair<QByteArray, QByteArray>> required_;
    QHash<QString, qint64> awayUntilMs_; // on clock_
    QHash<QString, int> clients_;
    QElapsedTimer clock_;
    int open_ = 0;
    quint16 port_ = 0;
    Thread* thread_ = nullptr;
};

} // namespace orvanto::test
