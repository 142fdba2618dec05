#include "net/StreamConnection.h"

#include "net/KeptStream.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace orvanto {

StreamConnection::StreamConnection(const QUrl& url, int descriptor, QByteArray body, QByteArray raw,
                                   std::optional<ChunkedDecoder> chunked,
                                   std::optional<IcyReader> icy, qint64 remaining, qint64 size)
    : url_(url), descriptor_(descriptor), wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      ready_(std::move(body)), raw_(std::move(raw)), chunked_(std::move(chunked)),
      icy_(std::move(icy)), title_(icy_ ? icy_->title() : QString()), remaining_(remaining),
      size_(size) {}

StreamConnection::~StreamConnection() {
    interrupt();
    if (pump_.joinable()) {
        pump_.join();
    }
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (wake_ >= 0) {
        ::close(wake_);
    }
}

void StreamConnection::interrupt() {
    interrupted_ = true;
    if (const std::shared_ptr<KeptStream> kept = this->kept()) {
        kept->interrupt();
    }
    if (wake_ >= 0) {
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
    }
}

bool StreamConnection::waitReadable() {
    pollfd fds[2] = {{descriptor_, POLLIN, 0}, {wake_, POLLIN, 0}};
    while (!interrupted_) {
        const int n = ::poll(fds, wake_ >= 0 ? 2 : 1, wake_ >= 0 ? -1 : 200);
        if (n < 0 && errno != EINTR) {
            return false;
        }
        if (n > 0 && fds[0].revents != 0) {
            return !interrupted_;
        }
    }
    return false;
}

// Reads from the socket: at most `max` bytes, and never past the announced length.
qint64 StreamConnection::receive(char* data, qint64 max) {
    if (remaining_ >= 0) {
        max = qMin(max, remaining_);
        if (max == 0) {
            return 0;
        }
    }
    while (true) {
        if (!waitReadable()) {
            return -1;
        }
        // read(), not recv(): the body may come through a pipe too (a stream's copy).
        const ssize_t n = ::read(descriptor_, data, size_t(max));
        if (n >= 0) {
            if (remaining_ >= 0) {
                remaining_ -= n;
            }
            return n;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return -1;
        }
    }
}

qint64 StreamConnection::read(char* data, qint64 max) {
    if (const std::shared_ptr<KeptStream> kept = this->kept()) {
        return kept->read(data, max);
    }
    std::unique_lock lock(liveMutex_);
    // Kept since this read began waiting for the socket: the pump reads it from now on.
    if (const std::shared_ptr<KeptStream> kept = this->kept()) {
        lock.unlock();
        return kept->read(data, max);
    }
    return readLive(data, max);
}

qint64 StreamConnection::readLive(char* data, qint64 max) {
    const qint64 n = readBody(data, max);
    if (n > 0) {
        position_ += n;
        const std::lock_guard lock(tapMutex_);
        if (tap_) {
            tap_->take(data, n);
        }
    }
    return n;
}

void StreamConnection::setTap(std::shared_ptr<ByteTap> tap) {
    const std::lock_guard lock(tapMutex_);
    tap_ = std::move(tap);
}

void StreamConnection::keep(std::shared_ptr<KeptStream> kept) {
    {
        const std::lock_guard lock(keptMutex_);
        if (kept_ || !kept) {
            return;
        }
        kept_ = std::move(kept);
    }
    if (interrupted_) {
        kept_->interrupt();
    }
    pump_ = std::thread([this] { pump(); });
}

std::shared_ptr<KeptStream> StreamConnection::kept() const {
    const std::lock_guard lock(keptMutex_);
    return kept_;
}

// Takes over the socket once the reader's read under way is done, and reads it as it arrives.
void StreamConnection::pump() {
    const std::lock_guard lock(liveMutex_);
    const std::shared_ptr<KeptStream> kept = this->kept();
    kept->begin(position_);
    std::vector<char> buffer(static_cast<size_t>(ReadChunkBytes));
    // Once the disk is full the reader gets what is kept, then the failure; the stream is still
    // read (and dropped), so that the sender (a server of one connection, a copy into a pipe)
    // never waits on us and a recording's tap goes on.
    bool keeping = true;
    while (true) {
        const qint64 n = readLive(buffer.data(), ReadChunkBytes);
        if (n <= 0) {
            if (keeping) {
                kept->end(n < 0);
            }
            return;
        }
        keeping = keeping && kept->append(buffer.data(), n);
    }
}

bool StreamConnection::seek(qint64 offset) {
    if (const std::shared_ptr<KeptStream> kept = this->kept()) {
        return kept->seek(offset);
    }
    const std::lock_guard lock(liveMutex_);
    if (offset < position_ || offset - position_ > MaxSkipBytes) {
        return false;
    }
    char skipped[4096];
    while (position_ < offset) {
        if (readLive(skipped, qMin<qint64>(sizeof skipped, offset - position_)) <= 0) {
            return false;
        }
    }
    return true;
}

qint64 StreamConnection::readBody(char* data, qint64 max) {
    if (interrupted_) {
        return -1;
    }
    while (true) {
        if (readyAt_ < ready_.size()) {
            const qint64 n = qMin(max, qint64(ready_.size() - readyAt_));
            std::copy_n(ready_.constData() + readyAt_, n, data);
            readyAt_ += qsizetype(n);
            if (readyAt_ == ready_.size()) {
                ready_.clear();
                readyAt_ = 0;
            }
            return n;
        }
        if (ended_) {
            return 0;
        }
        if (!chunked_ && !icy_ && raw_.isEmpty()) {
            const qint64 n = receive(data, max); // the body as it comes: straight to the reader
            ended_ = n == 0;
            return n;
        }
        // Decode what came, reading more while nothing of the body is ready.
        if (raw_.isEmpty()) {
            raw_.resize(qsizetype(ReadChunkBytes));
            const qint64 n = receive(raw_.data(), ReadChunkBytes);
            if (n <= 0) {
                raw_.clear();
                ended_ = true;
                return n; // closed (before the last chunk of a chunked body: it ends here)
            }
            raw_.truncate(qsizetype(n));
        }
        QByteArray bytes = std::exchange(raw_, {});
        if (chunked_) {
            QByteArray body;
            if (!chunked_->decode(bytes, body)) {
                return -1;
            }
            ended_ = chunked_->isDone();
            bytes = std::move(body);
        }
        if (icy_) {
            QByteArray audio;
            if (icy_->read(bytes, audio)) {
                {
                    const std::lock_guard lock(titleMutex_);
                    title_ = icy_->title();
                }
                if (titleListener_) {
                    titleListener_();
                }
            }
            bytes = std::move(audio);
        }
        ready_ = std::move(bytes);
    }
}

QString StreamConnection::title() const {
    const std::lock_guard lock(titleMutex_);
    return title_;
}

} // namespace orvanto
