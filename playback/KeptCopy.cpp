#include "playback/KeptCopy.h"

#include "net/StreamConnection.h"
#include "playback/StreamCopy.h"
#include "playback/StreamPlayer.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace orvanto {

namespace {

// Room in the pipe for a few seconds of a picture, so that the copy never waits on the keeping.
constexpr int PipeBytes = 1024 * 1024;
// The pipe is emptied while the copy stops, at most this long without anything in it.
constexpr int DrainIdleMs = 5000;

} // namespace

std::unique_ptr<KeptCopy> KeptCopy::start(StreamPlayer& player, std::shared_ptr<KeptStream> kept) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return nullptr;
    }
    ::fcntl(ends[1], F_SETPIPE_SZ, PipeBytes); // a smaller pipe still works
    const int drain = ::fcntl(ends[0], F_DUPFD_CLOEXEC, 0);
    std::unique_ptr<StreamCopy> copy = drain >= 0 ? player.copyTo(ends[1]) : nullptr;
    if (!copy) {
        if (drain < 0) {
            ::close(ends[1]);
        }
        ::close(ends[0]);
        if (drain >= 0) {
            ::close(drain);
        }
        return nullptr;
    }
    auto connection = std::make_shared<StreamConnection>(
        player.entryUrl(), ends[0], QByteArray(), QByteArray(), std::nullopt, std::nullopt, -1, -1);
    connection->setContentType("video/MP2T"); // the copy's remux
    connection->keep(std::move(kept));
    return std::unique_ptr<KeptCopy>(new KeptCopy(std::move(copy), std::move(connection), drain));
}

KeptCopy::KeptCopy(std::unique_ptr<StreamCopy> copy, std::shared_ptr<StreamConnection> connection,
                   int drain)
    : copy_(std::move(copy)), connection_(std::move(connection)), drain_(drain) {
    connect(copy_.get(), &StreamCopy::ended, this, &KeptCopy::ended);
}

KeptCopy::~KeptCopy() {
    // libVLC's stop waits for the write under way, and nothing may read the pipe any more (the
    // connection was interrupted with the engine's reading): it is emptied meanwhile, until
    // every writer is gone.
    std::thread drainer([fd = drain_] {
        char buffer[64 * 1024];
        pollfd ready{fd, POLLIN, 0};
        while (::poll(&ready, 1, DrainIdleMs) > 0) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                return;
            }
        }
    });
    copy_->stop();
    drainer.join();
    ::close(drain_);
}

} // namespace orvanto
