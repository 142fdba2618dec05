#include "playback/PlayerEngine.h"

#include "playback/StreamCopy.h"

#include <unistd.h>

namespace orvanto {

std::unique_ptr<StreamCopy> PlayerEngine::copyTo(const MediaSource&, int descriptor) {
    ::close(descriptor);
    return nullptr;
}

bool PlayerEngine::setPaused(bool) {
    return false;
}

bool PlayerEngine::reread() {
    return false;
}

bool PlayerEngine::readFrom(std::shared_ptr<StreamConnection>) {
    return false;
}

} // namespace orvanto
