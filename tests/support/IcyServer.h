#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <QUrl>
#include <functional>

namespace orvanto::test {

// A small SHOUTcast/Icecast-style radio on 127.0.0.1: an endless 32 kHz mono PCM WAV stream in
// real time (after a first burst), and, to a client that asks with "Icy-MetaData: 1", an ICY
// metadata block every MetaInterval bytes that carries the current StreamTitle. The title can be
// changed while it plays. Runs in a thread of its own and stops when destroyed.
//
// With a gate it is an archive too: the gate is asked, for each request's target (path and
// query, as sent), which title the stream answering it carries; a null title answers
// "404 Not Found".
class IcyServer {
public:
    // Called on the server's thread.
    using Gate = std::function<QString(const QByteArray& target)>;

    static constexpr int MetaInterval = 8000;
    static constexpr int BytesPerSecond = 64000;
    static constexpr int BurstBytes = 96000;

    explicit IcyServer(const QString& title, Gate gate = {});
    ~IcyServer();

    void start();
    QUrl url() const;
    void setTitle(const QString& title);
    QString title() const;
    // Requests that asked for metadata so far.
    int metadataRequests() const;
    // The target of every request so far, in order.
    QByteArrayList targets() const;

private:
    class Thread;
    friend class IcyConnection;

    mutable QMutex mutex_;
    QString title_;
    int metadataRequests_ = 0;
    Gate gate_;
    QByteArrayList targets_;
    quint16 port_ = 0;
    Thread* thread_ = nullptr;
};

} // namespace orvanto::test
