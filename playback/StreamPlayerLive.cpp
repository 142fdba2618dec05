#include "core/SteadyClock.h"
#include "net/StreamConnection.h"
#include "playback/StreamCopy.h"
#include "playback/StreamPlayer.h"

#include <unistd.h>

// What the player does with a live stream besides playing it: copies, taps, pauses and what was
// kept meanwhile.

namespace orvanto {

std::unique_ptr<StreamCopy> StreamPlayer::copyTo(int descriptor) {
    if (!engine_ || !entryActive_ || !engineStarted_ || readsOwnStream() ||
        entry_.url.isLocalFile()) {
        ::close(descriptor);
        return nullptr;
    }
    return engine_->copyTo(entrySource(), descriptor);
}

std::shared_ptr<StreamConnection> StreamPlayer::liveConnection() const {
    std::shared_ptr<StreamConnection> connection = connection_.lock();
    return connection && connection->size() < 0 ? connection : nullptr;
}

bool StreamPlayer::setPaused(bool paused) {
    return engine_ && engineOpened_ && engine_->setPaused(paused);
}

bool StreamPlayer::rereadKept() {
    if (!engine_ || !engineOpened_ || !liveConnection() || !engine_->reread()) {
        return false;
    }
    keptMediaStarted();
    return true;
}

bool StreamPlayer::readsItselfLive() const {
    // libVLC can seek within a live HLS stream's window too: what tells a film is its playlist.
    return engine_ && engineOpened_ && entryActive_ && !readsOwnStream() &&
           !entry_.url.isLocalFile() && !sniffed_.ends;
}

bool StreamPlayer::playFrom(const std::shared_ptr<StreamConnection>& connection) {
    if (!connection || !readsItselfLive() || !engine_->readFrom(connection)) {
        return false;
    }
    // From here on the entry is read from a connection of ours, as any stream over HTTP.
    connection_ = connection;
    connection->setTap(tap_);
    keptMediaStarted();
    return true;
}

// A media of its own: its counters start again, and it plays once it decodes.
void StreamPlayer::keptMediaStarted() {
    flow_.restart();
    lastDataMs_ = clock_.nowMs();
    mediaDecoded_ = false;
}

void StreamPlayer::setTap(std::shared_ptr<ByteTap> tap) {
    tap_ = std::move(tap);
    if (const auto connection = connection_.lock()) {
        connection->setTap(tap_);
    }
}

} // namespace orvanto
