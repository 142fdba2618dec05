#pragma once

#include "net/ByteTap.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace orvanto {

// A recording's file, written on a thread of its own from the bytes a stream's reader takes
// (take() only queues them, bounded by MaxQueuedBytes). The file is made once the first bytes
// have come (FirstBytes of them, or fewer at the end), at the path the namer gives for them (its
// format can be told by then), with " (2)", " (3)", ... before the extension where that name is
// taken, and its folder made where missing; it is never overwritten, and what was written stays
// when the recording fails.
//
// It fails, and takes nothing more, when the file cannot be made or written (a full disk, a
// folder gone), when it is removed while recording, or when the disk does not keep up with the
// stream. `ended` is called once, on the writer's thread, when the file is finished after
// finish() or has failed.
class RecordingFile final : public ByteTap {
public:
    static constexpr qint64 MaxQueuedBytes = 32 * 1024 * 1024;
    static constexpr int MaxNameTries = 100;
    static constexpr qsizetype FirstBytes = 16 * 1024;

    struct Outcome {
        bool failed = false;
        QString reason; // why it failed, in words for the user
        QString path;   // the file (empty when none was made)
        qint64 bytes = 0;
    };
    // Opens the file at `path` for writing, never over an existing one: a descriptor, or -1 with
    // errno set. The default one creates it (mode 0644).
    using Opener = std::function<int(const QString& path)>;

    // The path of the file for a stream that begins with `first`.
    using Namer = std::function<QString(const QByteArray& first)>;

    RecordingFile(Namer namer, std::function<void(const Outcome&)> ended, Opener opener = {});
    // Finishes the file (what is queued is written first) and waits for the writer.
    ~RecordingFile() override;
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Makes the file at `path` (its folder too), or " (2)", " (3)", ... before its extension
    // where that is taken: its descriptor, with the path in `made`; or -1 with why in `error`.
    static int create(const QString& path, const Opener& opener, QString* made, QString* error);

    void take(const char* data, qint64 size) override;
    // No more bytes: what is queued is written, the file closed and `ended` called. Returns at
    // once.
    void finish();

    // Bytes written to the file so far; its path once made. Any thread.
    qint64 bytesWritten() const { return written_.load(); }
    QString path() const;

private:
    void run();
    bool openFor(const QByteArray& first);
    bool writeOut(const QByteArray& bytes);
    void fail(const QString& reason);
    void close();

    const Namer namer_;
    std::function<void(const Outcome&)> ended_;
    Opener opener_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<QByteArray> queue_;
    qint64 queuedBytes_ = 0;
    bool finishing_ = false;
    bool refusing_ = false; // failed: bytes are dropped
    QString path_;
    QString tooSlow_; // set by take() when the queue overflowed

    int descriptor_ = -1; // the writer's own
    std::atomic<qint64> written_{0};
    std::thread writer_;
};

} // namespace orvanto
