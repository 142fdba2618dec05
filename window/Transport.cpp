#include "window/Transport.h"

#include "playback/FailoverPlayer.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayState.h"

#include <algorithm>

namespace orvanto {

Transport::Transport(MediaPlayer& player, FailoverPlayer& failover)
    : player_(player), failover_(failover) {}

void Transport::play() {
    const int state = player_.playState();
    if (state == PlayState::Playing || state == PlayState::Buffering ||
        state == PlayState::Transitioning) {
        return;
    }
    const StreamAddress address = player_.URL().isEmpty() ? lastAddress_ : player_.address();
    if (!address.url.isEmpty()) {
        player_.setURL(address);
    }
}

void Transport::stop() {
    if (!player_.URL().isEmpty()) {
        lastAddress_ = player_.address();
    }
    if (failover_.isTrying()) {
        failover_.standDown();
    }
    player_.stop();
}

void Transport::setVolume(int volume) {
    player_.setVolume(std::clamp(volume, 0, 100));
}

void Transport::fullScreen() {
    player_.setFullScreen(true);
}

} // namespace orvanto
