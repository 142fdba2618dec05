#include "playback/VlcPlayer.h"

#include "core/QtTicker.h"
#include "core/SteadyClock.h"
#include "net/Sniffer.h"
#include "net/VariantFetch.h"
#include "playback/PlaybackDetails.h"
#include "playback/StreamPlayer.h"
#include "playback/VideoView.h"

namespace orvanto {

VlcPlayer::VlcPlayer(QWidget* videoParent, QObject* parent, VideoDrawing drawing)
    : MediaPlayer(parent), ownTicker_(std::make_unique<QtTicker>(WatchdogMs)),
      ownClock_(std::make_unique<SystemSteadyClock>()),
      rules_(std::make_unique<StreamPlayer>(*ownTicker_, *ownClock_)),
      video_(new VideoView(videoParent, drawing)) {
    wire();
}

VlcPlayer::VlcPlayer(Ticker& watchdog, const SteadyClock& clock, QWidget* videoParent,
                     QObject* parent)
    : MediaPlayer(parent), rules_(std::make_unique<StreamPlayer>(watchdog, clock)),
      video_(new VideoView(videoParent)) {
    wire();
}

void VlcPlayer::wire() {
    details_ = std::make_unique<PlaybackDetails>(*rules_);
    connect(details_.get(), &PlaybackDetails::nowPlayingChanged, this,
            &MediaPlayer::nowPlayingChanged);
    connect(details_.get(), &PlaybackDetails::pictureChanged, this, &MediaPlayer::pictureChanged);
    connect(rules_.get(), &StreamPlayer::playStateChanged, this, &MediaPlayer::playStateChanged);
    connect(rules_.get(), &StreamPlayer::volumeChanged, this, &MediaPlayer::volumeChanged);
    connect(rules_.get(), &StreamPlayer::playbackOver, this, [this] {
        if (video_) {
            video_->leaveFullScreen();
        }
    });
}

VlcPlayer::~VlcPlayer() {
    if (video_) {
        video_->disconnect(this);
    }
    details_.reset();
    rules_.reset();
    sniffer_.reset();
    variants_.reset();
    engine_.reset(); // detaches libVLC's callbacks and stops: no picture comes any more
    if (video_ && !video_->parentWidget()) {
        delete video_.data();
    }
}

void VlcPlayer::attach(std::unique_ptr<PlayerEngine> engine, std::unique_ptr<Sniffer> sniffer) {
    Q_ASSERT(!engine_);
    engine_ = std::move(engine);
    sniffer_ = std::move(sniffer);
    if (video_) {
        engine_->setFrameSink(video_->frames());
    }
    rules_->attach(*engine_, *sniffer_);
    variants_ = std::make_unique<VariantFetch>();
    details_->attach(*engine_, variants_.get());
}

VideoView* VlcPlayer::videoView() const {
    return video_.data();
}

QWidget* VlcPlayer::videoWidget() const {
    return video_.data();
}

void VlcPlayer::setURL(const StreamAddress& address) {
    rules_->setURL(address);
}

QString VlcPlayer::URL() const {
    return rules_->url();
}

StreamAddress VlcPlayer::address() const {
    return {rules_->url(), rules_->headers()};
}

void VlcPlayer::stop() {
    rules_->stop();
}

int VlcPlayer::playState() const {
    return rules_->playState();
}

qint64 VlcPlayer::positionMs() const {
    return engine_ ? engine_->position().timeMs : 0;
}

qint64 VlcPlayer::lengthMs() const {
    return engine_ ? engine_->position().lengthMs : 0;
}

bool VlcPlayer::canSeek() const {
    return engine_ && rules_->entryPlayed() && engine_->isSeekable();
}

bool VlcPlayer::seek(qint64 ms) {
    return canSeek() && engine_->seek(ms);
}

int VlcPlayer::refusalStatus() const {
    return rules_->refusalStatus();
}

qint64 VlcPlayer::receivedPackets() const {
    return rules_->receivedKilobytes();
}

void VlcPlayer::setVolume(int volume) {
    rules_->setVolume(volume);
}

int VlcPlayer::volume() const {
    return rules_->volume();
}

void VlcPlayer::setMuted(bool muted) {
    rules_->setMuted(muted);
}

bool VlcPlayer::isMuted() const {
    return rules_->isMuted();
}

void VlcPlayer::setVideoZoom(VideoZoom zoom) {
    zoom_ = zoom;
    if (video_) {
        video_->setZoom(zoom);
    }
}

VideoZoom VlcPlayer::videoZoom() const {
    return zoom_;
}

void VlcPlayer::setAspectRatio(AspectRatio ratio) {
    ratio_ = ratio;
    if (video_) {
        video_->setAspectRatio(ratio);
    }
}

AspectRatio VlcPlayer::aspectRatio() const {
    return ratio_;
}

bool VlcPlayer::setFullScreen(bool on) {
    if (!video_) {
        return false;
    }
    if (!on) {
        video_->leaveFullScreen();
        return true;
    }
    if (!rules_->entryPlayed() || !video_->showsPicture()) {
        return false;
    }
    return video_->enterFullScreen();
}

bool VlcPlayer::isFullScreen() const {
    return video_ && video_->isFullScreen();
}

} // namespace orvanto

namespace orvanto {

QString VlcPlayer::nowPlaying() const {
    return details_->nowPlaying();
}

bool VlcPlayer::showsPicture() const {
    return details_->showsPicture();
}

QList<MediaTrack> VlcPlayer::tracks(TrackKind kind) const {
    return details_->tracks(kind);
}

int VlcPlayer::currentTrack(TrackKind kind) const {
    return details_->currentTrack(kind);
}

void VlcPlayer::chooseTrack(TrackKind kind, int id) {
    details_->chooseTrack(kind, id);
}

QList<int> VlcPlayer::qualities() const {
    return details_->qualities();
}

int VlcPlayer::quality() const {
    return details_->quality();
}

void VlcPlayer::chooseQuality(int height) {
    details_->chooseQuality(height);
}

void VlcPlayer::forgetChoices() {
    details_->forgetChoices();
}

} // namespace orvanto
