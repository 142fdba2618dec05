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
    const QString url = player_.URL().isEmpty() ? lastUrl_ : player_.URL();
    if (!url.isEmpty()) {
        player_.setURL(url);
    }
}

void Transport::stop() {
    if (!player_.URL().isEmpty()) {
        lastUrl_ = player_.URL();
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
