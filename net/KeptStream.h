#pragma once

#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace orvanto {

class SteadyClock;

// What a live stream sends while its reader waits (a paused channel), kept on disk so that the
// reader goes on later where it stopped, or anywhere within what is kept, or at the live end.
// Bounded by time (what arrived longer ago than `maxMs` is dropped) and by bytes; the oldest
// goes first, in chunks, each a file of its own that is unlinked as soon as it is made, so that
// nothing stays on the disk after a crash.
//
// One writer thread appends what arrives; one reader thread reads, waiting for more when it has
// caught up; any thread asks how far behind the live end the reader is and moves it.
class KeptStream {
public:
    struct Limits {
        qint64 maxMs = 30 * 60 * 1000;
        qint64 maxBytes = qint64(4) << 30;
        qint64 chunkBytes = 8 << 20;
    };

    // Kept in files in `folder` (made when missing); `clock` outlives this.
    KeptStream(QString folder, Limits limits, const SteadyClock& clock);
    ~KeptStream();
    KeptStream(const KeptStream&) = delete;
    KeptStream& operator=(const KeptStream&) = delete;

    // The writer's, before it appends: the stream offset of the first byte it appends.
    void begin(qint64 start);
    // The writer's: appends what arrived. False once keeping failed (see failure()).
    bool append(const char* data, qint64 size);
    // The writer's: the stream ended (`failed`: it broke off); the reader gets what is kept, then
    // the end (0) or the failure (-1).
    void end(bool failed);

    // The reader's: copies up to `max` bytes from where it stands, waiting while it is at the
    // live end, and behind it, until each byte is as old as the reader is behind (so that the
    // engine, which reads ahead of what it shows as far as it is let, stays where it was put).
    // 0 at the stream's end, -1 once it failed or was interrupted.
    qint64 read(char* data, qint64 max);
    // The reader's: to stream offset `offset`, where it is kept (or arrives next).
    bool seek(qint64 offset);
    // Makes a read under way, and every later one, return -1. Any thread.
    void interrupt();
    // The same while held (the engine let go of its reader, to read anew from elsewhere).
    void holdReader(bool held);

    // Any thread: how long ago the byte the reader reads next arrived (0 at the live end), how
    // long ago the oldest byte kept did, and the reader moved to what arrived `ms` ago (0: the
    // live end; beyond what is kept: the oldest).
    qint64 behindMs() const;
    qint64 keptMs() const;
    void moveBehind(qint64 ms);
    // The reader stays as far behind live as it is now (it plays on after a pause).
    void holdBehind();
    // Why keeping stopped (the disk full, a file that cannot be made); empty while it goes on.
    QString failure() const;
    // Bytes kept on the disk now.
    qint64 keptBytes() const;

private:
    struct Chunk;
    struct Arrival {
        qint64 offset;
        qint64 ms;
    };
    bool newChunk();
    void dropOld(qint64 now);
    qint64 arrivedMs(qint64 offset) const; // of the byte at `offset`; under mutex_
    qint64 aligned(qint64 offset) const;   // on a packet of a transport stream; under mutex_

    const QString folder_;
    const Limits limits_;
    const SteadyClock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::shared_ptr<Chunk>> chunks_;
    std::deque<Arrival> arrivals_; // a few a second, oldest first
    qint64 first_ = 0;             // stream offset of the first byte ever kept
    qint64 oldest_ = 0;            // stream offset of the oldest byte kept
    qint64 newest_ = 0;            // stream offset just past the newest byte kept
    qint64 reader_ = 0;            // stream offset of the byte read next
    qint64 lagMs_ = 0;             // a byte is read once it arrived this long ago
    bool transport_ = false;       // the stream is MPEG-TS from its first kept byte
    bool ended_ = false;
    bool failed_ = false;
    bool interrupted_ = false;
    bool readerHeld_ = false;
    QString failure_;
};

} // namespace orvanto
