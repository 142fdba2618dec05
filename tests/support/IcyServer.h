#pragma once

#include <QByteArray>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <QUrl>

namespace orvanto::test {

// A small SHOUTcast/Icecast-style radio on 127.0.0.1: an endless 32 kHz mono PCM WAV stream in
// real time (after a first burst), and, to a client that asks with "Icy-MetaData: 1", an ICY
// metadata block every MetaInterval bytes that carries the current StreamTitle. The title can be
// changed while it plays. Runs in a thread of its own and stops when destroyed.
class IcyServer {
public:
    static constexpr int MetaInterval = 8000;
    static constexpr int BytesPerSecond = 64000;
    static constexpr int BurstBytes = 96000;

    explicit IcyServer(const QString& title);
    ~IcyServer();

    void start();
    QUrl url() const;
    void setTitle(const QString& title);
    QString title() const;
    // Requests that asked for metadata so far.
    int metadataRequests() const;

private:
    class Thread;
    friend class IcyConnection;

    mutable QMutex mutex_;
    QString title_;
    int metadataRequests_ = 0;
    quint16 port_ = 0;
    Thread* thread_ = nullptr;
};

} // namespace orvanto::test
