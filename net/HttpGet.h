#pragma once

#include "core/HttpRequest.h"
#include "net/ChunkedDecoder.h"
#include "net/HttpHead.h"
#include "net/IcyReader.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>
#include <utility>

class QTcpSocket;

namespace orvanto {

class StreamConnection;

// One HTTP/1.x GET on a socket of its own (TLS for https): no connection is shared or kept for
// later, so nothing one server does can hold up a request to another, and abort() closes the
// connection at once. Everything read is bounded: the response's head by the request's
// maxHeadBytes (the request fails as soon as it is exceeded, however slowly the bytes come),
// the body by maxBodyBytes, and the body waiting to be read by BodyBufferBytes (reading pauses
// until the reader takes it). Redirects are followed as the request allows. Setting no time
// limit of its own, it waits as long as its owner lets it. A chunked body (which some servers
// send even to HTTP/1.0 requests) is decoded, and a radio's titles (HttpRequest::icyTitles) are
// taken out of the body.
class HttpGet : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype BodyBufferBytes = 64 * 1024;

    enum class Error {
        None,
        Refused,          // nobody listens there
        HostNotFound,     // the name does not resolve
        Network,          // the connection broke, TLS failed, or anything else on the way
        NotHttp,          // the server answered something other than HTTP (or ICY)
        HeadTooLarge,     // status line and headers beyond the request's maxHeadBytes
        BodyTooLarge,     // more body than the request's maxBodyBytes
        TooManyRedirects, // more redirects than the request allows
        InsecureRedirect, // a redirect from https to http, or to a scheme other than http(s)
        Empty,            // the connection closed before a whole head came
    };

    explicit HttpGet(QObject* parent = nullptr);
    ~HttpGet() override;

    // Starts the request, aborting one under way. Signals follow later, never from within.
    void start(const HttpRequest& request);
    // Closes the connection at once; no signal follows.
    void abort();
    bool isRunning() const { return running_; }

    // The address the response comes from (the last redirect's target).
    const QUrl& url() const { return url_; }
    // After headReceived(): the status code and reason, and the headers.
    bool hasHead() const { return response_.status > 0; }
    int status() const { return response_.status; }
    const QByteArray& reason() const { return response_.reason; }
    // The value of header `name` (case-insensitive), empty when absent.
    QByteArray header(QByteArrayView name) const;
    // The Content-Length the server announced, or -1.
    qint64 contentLength() const { return contentLength_; }

    // Takes the body bytes received so far.
    QByteArray readBody();

    // Hands the open connection over, with the rest of the body still to come, to be read on
    // another thread; `taken` (body bytes the caller has already read) comes first. The request
    // is over then, as after abort(). Returns null when there is no connection to hand over: no
    // head yet, the body complete, or a TLS connection (its encryption stays with this object).
    std::shared_ptr<StreamConnection> takeConnection(QByteArray taken);

    // What the request is doing: for a caller whose patience ran out.
    enum class Phase { Idle, LookingUp, Connecting, Waiting, Reading };
    Phase phase() const;

    Error error() const { return error_; }
    // Why the request failed, in words for a message; empty without an error.
    QString errorString() const;

Q_SIGNALS:
    void headReceived(); // the final response's head (after redirects)
    void bodyReceived(); // more body to read
    void finished();     // the body is complete, or the request failed (see error())

private:
    void connectTo(const QUrl& url);
    void dropSocket();
    void onConnected();
    void onReadyRead();
    void onDisconnected();
    void onSocketError();
    bool readHead();
    bool parseHead(QByteArrayView head);
    bool followRedirect();
    void receive(QByteArray bytes);
    void deliver(QByteArray bytes);
    void fail(Error error, const QString& detail = {});
    void complete();
    // Emits `signal` unless abort() or a new start() came meanwhile; returns whether the
    // request is still the same.
    template <typename Signal> bool emitChecked(Signal signal);

    HttpRequest request_;
    QUrl url_;
    QPointer<QTcpSocket> socket_;
    quint64 generation_ = 0;
    bool running_ = false;
    int redirects_ = 0;

    QByteArray head_;
    qsizetype scanned_ = 0;
    ResponseHead response_;
    qint64 contentLength_ = -1;
    std::optional<ChunkedDecoder> chunked_;
    std::optional<IcyReader> icy_;

    QByteArray body_;
    qint64 bodyTotal_ = 0; // the body's bytes as sent
    qint64 bodyKept_ = 0;  // of those, the ones for the reader (without a radio's titles)
    Error error_ = Error::None;
    QString errorDetail_;
};

} // namespace orvanto
