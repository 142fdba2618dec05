#include "playback/PlaylistQueue.h"

namespace orvanto {

void PlaylistQueue::reset(const QUrl& url) {
    clear();
    pending_.push_back({url, 0});
}

void PlaylistQueue::clear() {
    pending_.clear();
    handedOut_ = 0;
}

std::optional<PlaylistQueue::Entry> PlaylistQueue::next() {
    if (!hasNext()) {
        return std::nullopt;
    }
    Entry entry = pending_.front();
    pending_.pop_front();
    ++handedOut_;
    return entry;
}

bool PlaylistQueue::hasNext() const {
    return !pending_.empty() && handedOut_ < MaxAddresses;
}

bool PlaylistQueue::expand(const Entry& parent, const QList<QUrl>& entries) {
    if (parent.depth >= MaxDepth) {
        return false;
    }
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        pending_.push_front({*it, parent.depth + 1});
    }
    return true;
}

} // namespace orvanto
