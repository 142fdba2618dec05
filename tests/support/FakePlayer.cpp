#include "support/FakePlayer.h"

namespace orvanto::test {

void FakePlayer::setURL(const StreamAddress& address) {
    const QString& url = address.url;
    url_ = url;
    headers_ = address.headers;
    openedUrls << url;
    openedHeaders << address.headers;
    refusal = refusalOnOpen ? refusalOnOpen(url) : 0;
    setState(stateOnOpen);
    if (onOpen) {
        onOpen(url);
    }
}

void FakePlayer::stop() {
    ++stopCount;
    setState(PlayState::Stopped);
}

void FakePlayer::setVolume(int volume) {
    if (volume != volume_) {
        volume_ = volume;
        Q_EMIT volumeChanged(volume);
    }
}

bool FakePlayer::setFullScreen(bool on) {
    if (on && !canFullScreen) {
        return false;
    }
    fullScreen_ = on;
    return true;
}

void FakePlayer::setState(int state) {
    if (state == state_) {
        return;
    }
    state_ = state;
    Q_EMIT playStateChanged(state_);
}

void FakePlayer::setNowPlaying(const QString& title) {
    if (title != title_) {
        title_ = title;
        Q_EMIT nowPlayingChanged(title_);
    }
}

void FakePlayer::setPicture(bool showing) {
    if (showing != picture_) {
        picture_ = showing;
        Q_EMIT pictureChanged(picture_);
    }
}

} // namespace orvanto::test
