#pragma once

#include "net/ByteTap.h"
#include "net/ChunkedDecoder.h"
#include "net/IcyReader.h"

#include <QByteArray>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace orvanto {

class KeptStream;

// The rest of an HTTP response's body on a connection that is already open, handed over by
// HttpGet to a reader on another thread (the engine's input thread), so that a server that
// takes one connection at a time is never asked twice. Owns its own descriptor of the socket
// and closes it when destroyed.
//
// read() is called by one reader thread at a time and blocks, as an engine's input expects;
// interrupt() may be called from any thread and makes the read under way, and every later one,
// return at once. Plain data and a descriptor, no Qt objects, so nothing ties it to the thread
// that opened it. A radio's titles (see IcyReader) are taken out of the body and kept.
class StreamConnection {
public:
    static constexpr qint64 ReadChunkBytes = 64 * 1024;
    static constexpr qint64 MaxSkipBytes = 1024 * 1024;

    // `descriptor`: a connected socket, now this object's. `body`: bytes of the body already
    // received (decoded). `raw`: bytes read from the socket but not yet decoded. `chunked`: the
    // decoder's state when the body is chunked. `icy`: the title reader's state when the body
    // carries a radio's titles. `remaining`: the bytes of the body still to come
    // after `raw` when the server announced a length, else -1.
    StreamConnection(const QUrl& url, int descriptor, QByteArray body, QByteArray raw,
                     std::optional<ChunkedDecoder> chunked, std::optional<IcyReader> icy,
                     qint64 remaining, qint64 size);
    ~StreamConnection();
    StreamConnection(const StreamConnection&) = delete;
    StreamConnection& operator=(const StreamConnection&) = delete;

    // Copies up to `max` bytes of the body into `data`. Returns their number, 0 at the end of
    // the body (or when the server closed), -1 when the connection failed or was interrupted.
    qint64 read(char* data, qint64 max);
    // Moves to byte `offset` of the body: where it is already, or ahead by at most
    // MaxSkipBytes (the bytes between are read and dropped). False for anything else: a stream
    // on a connection cannot go back.
    bool seek(qint64 offset);
    void interrupt();

    // The radio's latest title (empty without one). Any thread.
    QString title() const;
    // Called on the reader's thread whenever title() changes; set before reading starts.
    void setTitleListener(std::function<void()> listener) { titleListener_ = std::move(listener); }

    // From the next read on, every body byte read is handed to `tap` too (none: to nobody).
    // Any thread; the tap read under way finishes first.
    void setTap(std::shared_ptr<ByteTap> tap);

    // From now on the body is read on a thread of its own as it arrives, into `kept`, and the
    // reader reads it from there: a live stream's reader may wait (a paused channel) as long as
    // `kept` keeps, and go back in it. Once; any thread, without waiting for a read under way.
    void keep(std::shared_ptr<KeptStream> kept);
    // What keep() was given; null before.
    std::shared_ptr<KeptStream> kept() const;

    const QUrl& url() const { return url_; }
    // The Content-Type the server sent, empty when none is known; set before reading starts.
    const QByteArray& contentType() const { return contentType_; }
    void setContentType(QByteArray type) { contentType_ = std::move(type); }
    // The whole body's length when the server announced it, else -1.
    qint64 size() const { return size_; }

private:
    // Waits for the socket; false when interrupted or failed.
    bool waitReadable();
    // The body as it arrives, to the tap too; under liveMutex_.
    qint64 readLive(char* data, qint64 max);
    void pump();
    qint64 receive(char* data, qint64 max);
    qint64 readBody(char* data, qint64 max);

    QUrl url_;
    QByteArray contentType_;
    int descriptor_ = -1;
    int wake_ = -1;    // an eventfd that interrupt() signals
    QByteArray ready_; // decoded body bytes not yet read
    qsizetype readyAt_ = 0;
    QByteArray raw_; // received, not yet decoded
    std::optional<ChunkedDecoder> chunked_;
    std::optional<IcyReader> icy_;
    mutable std::mutex titleMutex_;
    QString title_; // icy_'s, for other threads
    std::function<void()> titleListener_;
    std::mutex tapMutex_;
    std::shared_ptr<ByteTap> tap_;
    qint64 remaining_ = -1;
    qint64 size_ = -1;
    bool ended_ = false;
    qint64 position_ = 0; // body bytes read so far
    std::atomic<bool> interrupted_{false};
    std::mutex liveMutex_; // one reader of the socket at a time: the engine's or the pump
    mutable std::mutex keptMutex_;
    std::shared_ptr<KeptStream> kept_;
    std::thread pump_;
};

} // namespace orvanto
