#include "net/KeptStream.h"

#include "core/SteadyClock.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace orvanto {

namespace {

constexpr qint64 ArrivalStepMs = 200; // how finely the arrival times are kept
constexpr qint64 PacketBytes = 188;   // of MPEG-TS
constexpr qint64 PaceSliceMs = 50;    // a paced reader looks at the clock again this often

} // namespace

struct KeptStream::Chunk {
    qint64 first = 0; // stream offset of its first byte
    qint64 size = 0;
    int fd = -1;
    ~Chunk() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

KeptStream::KeptStream(QString folder, Limits limits, const SteadyClock& clock)
    : folder_(std::move(folder)), limits_(limits), clock_(clock) {}

KeptStream::~KeptStream() = default;

bool KeptStream::newChunk() {
    if (chunks_.empty() && !QDir().mkpath(folder_)) {
        failure_ = QStringLiteral("The folder %1 cannot be made.").arg(folder_);
        return false;
    }
    QByteArray name = QDir(folder_).filePath(QStringLiteral("kept-XXXXXX")).toLocal8Bit();
    auto chunk = std::make_shared<Chunk>();
    chunk->fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (chunk->fd < 0) {
        failure_ = QStringLiteral("No file can be made in %1: %2")
                       .arg(folder_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    ::unlink(name.constData()); // only our descriptor holds it
    chunk->first = newest_;
    chunks_.push_back(std::move(chunk));
    return true;
}

void KeptStream::begin(qint64 start) {
    const std::lock_guard lock(mutex_);
    first_ = oldest_ = newest_ = reader_ = start;
}

bool KeptStream::append(const char* data, qint64 size) {
    std::shared_ptr<Chunk> chunk;
    {
        const std::lock_guard lock(mutex_);
        if (failed_ || ended_) {
            return false;
        }
        if (newest_ == oldest_ && chunks_.empty() && size > 0) {
            transport_ = data[0] == 0x47;
        }
        if ((chunks_.empty() || chunks_.back()->size >= limits_.chunkBytes) && !newChunk()) {
            failed_ = true;
            arrived_.notify_all();
            return false;
        }
        chunk = chunks_.back();
    }
    // Only this thread writes, and only past what the reader may read: no lock needed.
    qint64 written = 0;
    while (written < size) {
        const ssize_t n = ::pwrite(chunk->fd, data + written, size_t(size - written),
                                   off_t(chunk->size + written));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            const std::lock_guard lock(mutex_);
            failure_ = error == ENOSPC || error == EDQUOT
                           ? QStringLiteral("The disk is full.")
                           : QString::fromLocal8Bit(std::strerror(error));
            failed_ = true;
            arrived_.notify_all();
            return false;
        }
        written += n;
    }
    const qint64 now = clock_.nowMs();
    const std::lock_guard lock(mutex_);
    if (arrivals_.empty() || now - arrivals_.back().ms >= ArrivalStepMs) {
        arrivals_.push_back({newest_, now});
    }
    chunk->size += size;
    newest_ += size;
    dropOld(now);
    arrived_.notify_all();
    return true;
}

void KeptStream::dropOld(qint64 now) {
    const auto keptBytes = [this] { return newest_ - oldest_; };
    // A chunk goes once all of it is too old, that is once the next one began too long ago.
    while (chunks_.size() > 1 &&
           (keptBytes() > limits_.maxBytes || now - arrivedMs(chunks_[1]->first) > limits_.maxMs)) {
        chunks_.pop_front();
        oldest_ = chunks_.front()->first;
    }
    while (arrivals_.size() > 1 && arrivals_[1].offset <= oldest_) {
        arrivals_.pop_front();
    }
    if (reader_ < oldest_) {
        reader_ = aligned(oldest_); // a reader left behind goes on at the oldest
    }
}

void KeptStream::end(bool failed) {
    const std::lock_guard lock(mutex_);
    ended_ = true;
    failed_ = failed_ || failed;
    arrived_.notify_all();
}

qint64 KeptStream::read(char* data, qint64 max) {
    std::shared_ptr<Chunk> chunk;
    qint64 at = 0;
    qint64 n = 0;
    {
        std::unique_lock lock(mutex_);
        while (true) {
            arrived_.wait(lock, [this] {
                return interrupted_ || readerHeld_ || ended_ || failed_ || reader_ < newest_;
            });
            if (interrupted_ || readerHeld_) {
                return -1;
            }
            if (reader_ >= newest_ || lagMs_ == 0) {
                break;
            }
            // Not yet as old as the reader is behind: wait for it (a move wakes this early).
            const qint64 due = arrivedMs(reader_) + lagMs_ - clock_.nowMs();
            if (due <= 0) {
                break;
            }
            arrived_.wait_for(lock, std::chrono::milliseconds(std::min<qint64>(due, PaceSliceMs)));
        }
        if (reader_ >= newest_) {
            return failed_ ? -1 : 0;
        }
        const auto found = std::find_if(chunks_.rbegin(), chunks_.rend(),
                                        [this](const auto& c) { return c->first <= reader_; });
        chunk = *found;
        at = reader_ - chunk->first;
        n = std::min(max, chunk->size - at);
        if (lagMs_ > 0) {
            // Not past the bytes that are not yet as old as the reader is behind.
            const qint64 until = clock_.nowMs() - lagMs_;
            const auto later =
                std::find_if(arrivals_.begin(), arrivals_.end(),
                             [&](const Arrival& a) { return a.offset > reader_ && a.ms > until; });
            if (later != arrivals_.end()) {
                n = std::min(n, later->offset - reader_);
            }
        }
        reader_ += n;
    }
    // The chunk stays open while it is read, even when it is dropped meanwhile.
    qint64 done = 0;
    while (done < n) {
        const ssize_t got = ::pread(chunk->fd, data + done, size_t(n - done), off_t(at + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return -1;
        }
        done += got;
    }
    return n;
}

bool KeptStream::seek(qint64 offset) {
    const std::lock_guard lock(mutex_);
    if (offset < oldest_ || offset > newest_) {
        return false;
    }
    reader_ = offset;
    return true;
}

void KeptStream::holdReader(bool held) {
    const std::lock_guard lock(mutex_);
    readerHeld_ = held;
    arrived_.notify_all();
}

void KeptStream::interrupt() {
    const std::lock_guard lock(mutex_);
    interrupted_ = true;
    arrived_.notify_all();
}

qint64 KeptStream::arrivedMs(qint64 offset) const {
    // The last arrival at or before `offset`: the byte came with it or after it.
    const auto after = std::upper_bound(arrivals_.begin(), arrivals_.end(), offset,
                                        [](qint64 o, const Arrival& a) { return o < a.offset; });
    return after == arrivals_.begin() ? arrivals_.empty() ? clock_.nowMs() : arrivals_.front().ms
                                      : std::prev(after)->ms;
}

qint64 KeptStream::aligned(qint64 offset) const {
    if (!transport_) {
        return offset;
    }
    // Packets count from the first byte kept, where one began.
    const qint64 packet = offset - (offset - first_) % PacketBytes;
    return packet < oldest_ ? std::min(newest_, packet + PacketBytes) : packet;
}

qint64 KeptStream::behindMs() const {
    const std::lock_guard lock(mutex_);
    return reader_ >= newest_ ? 0 : std::max<qint64>(0, clock_.nowMs() - arrivedMs(reader_));
}

qint64 KeptStream::keptMs() const {
    const std::lock_guard lock(mutex_);
    return newest_ == oldest_ ? 0 : std::max<qint64>(0, clock_.nowMs() - arrivedMs(oldest_));
}

void KeptStream::holdBehind() {
    const std::lock_guard lock(mutex_);
    lagMs_ = reader_ >= newest_ ? 0 : std::max<qint64>(0, clock_.nowMs() - arrivedMs(reader_));
    arrived_.notify_all();
}

void KeptStream::moveBehind(qint64 ms) {
    const std::lock_guard lock(mutex_);
    if (ms <= 0) {
        reader_ = aligned(newest_);
        lagMs_ = 0;
    } else {
        // The first byte that arrived no longer ago than `ms`.
        const qint64 since = clock_.nowMs() - ms;
        const auto found = std::find_if(arrivals_.begin(), arrivals_.end(),
                                        [since](const Arrival& a) { return a.ms >= since; });
        reader_ = aligned(found == arrivals_.end() ? newest_ : std::max(oldest_, found->offset));
        lagMs_ = reader_ >= newest_ ? 0 : std::max<qint64>(0, clock_.nowMs() - arrivedMs(reader_));
    }
    arrived_.notify_all();
}

QString KeptStream::failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

qint64 KeptStream::keptBytes() const {
    const std::lock_guard lock(mutex_);
    return newest_ - oldest_;
}

} // namespace orvanto
