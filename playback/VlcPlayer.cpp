#include "playback/VlcPlayer.h"

#include "playback/PlayState.h"
#include "net/PlaylistParser.h"
#include "net/StreamSniffer.h"
#include "playback/VideoContainer.h"

#include <QGuiApplication>

namespace orvanto {

namespace {

// An address, or a local file (a path, or a file: URL).
QUrl toUrl(const QString& location) {
    const QUrl url(location, QUrl::TolerantMode);
    if (location.startsWith(QLatin1Char('/')) || url.scheme().isEmpty()) {
        return QUrl::fromLocalFile(location);
    }
    return url;
}

bool needsSniffing(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

VlcPlayer::VlcPlayer(QWidget* videoParent, QObject* parent) : MediaPlayer(parent) {
    const QString platform = QGuiApplication::platformName();
    const bool dummy = !qEnvironmentVariableIsEmpty("ORVANTO_VLC_DUMMY");
    const bool canEmbed = platform == QLatin1String("xcb");
    embedVideo_ = canEmbed && !dummy;
    engine_ = std::make_unique<VlcEngine>(dummy, !canEmbed);
    sniffer_ = std::make_unique<StreamSniffer>();
    video_ = new VideoContainer(videoParent);
    connect(video_, &VideoContainer::aboutToBeDestroyed, this, [this] {
        // The window the video is drawn into goes away: libVLC must let go of it first.
        stop();
        engine_->setVideoWindow(0);
        videoWindowSet_ = false;
    });
    connect(engine_.get(), &VlcEngine::engineEvent, this, &VlcPlayer::onEngineEvent);
    watchdog_.setInterval(WatchdogMs);
    connect(&watchdog_, &QTimer::timeout, this, &VlcPlayer::onWatchdog);
}

VlcPlayer::~VlcPlayer() {
    if (video_) {
        video_->disconnect(this);
    }
    sniffer_.reset();
    engine_.reset(); // detaches libVLC's callbacks, stops, lets go of the video window
    if (video_ && !video_->parentWidget()) {
        delete video_.data();
    }
}

QWidget* VlcPlayer::videoWidget() const {
    return video_.data();
}

void VlcPlayer::setURL(const QString& url) {
    ++session_;
    halt();
    queue_.clear();
    url_ = url;
    everPlayed_ = false;
    bytes_.clear();
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty()) {
        notify(PlayState::Ready);
        return;
    }
    queue_.reset(toUrl(trimmed));
    if (!notify(PlayState::Transitioning)) {
        return;
    }
    startNextEntry();
}

void VlcPlayer::stop() {
    ++session_;
    halt();
    queue_.clear();
    if (video_) {
        video_->leaveFullScreen();
    }
    notify(PlayState::Stopped);
}

// Ends the current entry's work: no request, no media, no watchdog.
void VlcPlayer::halt() {
    sniffer_->abort();
    engine_->stop();
    watchdog_.stop();
    entryActive_ = false;
    engineOpened_ = false;
    entryPlayed_ = false;
}

void VlcPlayer::startNextEntry() {
    halt();
    const auto next = queue_.next();
    if (!next) {
        finish(false);
        return;
    }
    entry_ = *next;
    entryActive_ = true;
    entryIsNetwork_ = !entry_.url.isLocalFile();
    entryAge_.start();
    sinceData_.start();
    bytes_.restart();
    watchdog_.start();
    if (needsSniffing(entry_.url)) {
        sniffer_->start(entry_.url, [this](const StreamSniffer::Result& result) {
            switch (result.kind) {
            case StreamSniffer::Result::Kind::Playlist:
                // Its entries come next; an empty or too deep playlist simply adds none.
                queue_.expand(entry_, result.entries);
                startNextEntry();
                break;
            case StreamSniffer::Result::Kind::Stream:
                startEngine();
                break;
            case StreamSniffer::Result::Kind::Failed:
                entryOver(false);
                break;
            }
        });
    } else {
        startEngine();
    }
}

void VlcPlayer::startEngine() {
    if (embedVideo_ && !videoWindowSet_ && video_) {
        engine_->setVideoWindow(video_->surfaceWindow());
        videoWindowSet_ = true;
    }
    if (entry_.url.isLocalFile()) {
        engine_->play(entry_.url.toLocalFile(), true);
    } else {
        // The assigned address goes to libVLC as written; playlist entries fully encoded.
        engine_->play(entry_.depth == 0 ? url_.trimmed() : entry_.url.toString(QUrl::FullyEncoded),
                      false);
    }
}

// The current entry failed, ended or broke off: the next entry takes over, if there is one.
void VlcPlayer::entryOver(bool endedNaturally) {
    const bool played = entryPlayed_;
    halt();
    if (queue_.hasNext()) {
        // While the next entry opens, a stream that played counts as reconnecting.
        if (!notify(everPlayed_ ? PlayState::Buffering : PlayState::Transitioning)) {
            return;
        }
        startNextEntry();
        return;
    }
    finish(played && endedNaturally);
}

void VlcPlayer::finish(bool ended) {
    halt();
    queue_.clear();
    if (video_) {
        video_->leaveFullScreen();
    }
    if (ended && !notify(PlayState::MediaEnded)) {
        return;
    }
    notify(PlayState::Ready);
}

void VlcPlayer::confirmPlaying() {
    if (entryPlayed_) {
        return;
    }
    entryPlayed_ = true;
    everPlayed_ = true;
    sinceData_.start();
    applyVolume();
    notify(PlayState::Playing);
}

void VlcPlayer::onEngineEvent(VlcEngine::Event event, qint64 value) {
    if (!entryActive_) {
        return;
    }
    switch (event) {
    case VlcEngine::Event::Opening:
        break; // already Transitioning (or Buffering while the next entry takes over)
    case VlcEngine::Event::Buffering:
        // Once the entry plays, the watchdog alone judges whether data keeps coming.
        if (engineOpened_ && !entryPlayed_) {
            notify(PlayState::Buffering);
        }
        break;
    case VlcEngine::Event::Playing:
        engineOpened_ = true;
        applyVolume(); // an audio output may exist from now on
        notify(entryPlayed_ ? PlayState::Playing : PlayState::Buffering); // (after a pause)
        break;
    case VlcEngine::Event::Paused:
        notify(PlayState::Paused);
        break;
    case VlcEngine::Event::TimeChanged:
    case VlcEngine::Event::Vout:
        if (engineOpened_ && value > 0) {
            confirmPlaying();
        }
        break;
    case VlcEngine::Event::Ended: {
        const VlcEngine::Stats stats = engine_->stats();
        if (engineOpened_ && (stats.decodedAudio > 0 || stats.decodedVideo > 0)) {
            confirmPlaying(); // a short file may end before its play time was reported
        }
        // libVLC recognised a playlist itself (an mms:// or file address): play its entries.
        QList<QUrl> entries;
        for (const QUrl& url : engine_->subItems()) {
            if (PlaylistParser::isNetworkStream(url)) {
                entries << url;
            }
        }
        if (!entries.isEmpty() && !entryPlayed_ && queue_.expand(entry_, entries)) {
            startNextEntry();
        } else {
            entryOver(true);
        }
        break;
    }
    case VlcEngine::Event::Error:
        entryOver(false);
        break;
    }
}

// Once a second: counts the data received and watches that it keeps coming.
void VlcPlayer::onWatchdog() {
    const VlcEngine::Stats stats = engine_->stats();
    if (bytes_.update(stats.readBytes)) {
        sinceData_.start();
    }
    if (!entryPlayed_) {
        if (engineOpened_ && (stats.decodedAudio > 0 || stats.decodedVideo > 0)) {
            confirmPlaying();
            return;
        }
        // An entry that does not open in time gives way to the next one; so does the entry
        // that should take over from a stream that broke off (which must not hang in Buffering).
        if (entryIsNetwork_ && (queue_.hasNext() || everPlayed_) &&
            entryAge_.elapsed() >= EntryOpenLimitMs) {
            entryOver(false);
        }
        return;
    }
    if (!volumeApplied_) {
        applyVolume();
    }
    if (!entryIsNetwork_ || state_ == PlayState::Paused) {
        return; // local files need no watching
    }
    const qint64 silentMs = sinceData_.elapsed();
    if (silentMs >= LostAfterMs) {
        entryOver(false); // connection lost
    } else if (silentMs >= StalledAfterMs) {
        notify(PlayState::Buffering);
    } else if (state_ == PlayState::Buffering) {
        notify(PlayState::Playing);
    }
}

qint64 VlcPlayer::receivedPackets() const {
    return static_cast<qint64>(bytes_.total() / 1024);
}

void VlcPlayer::setVolume(int volume) {
    const int previous = volume_;
    volume_ = qBound(0, volume, 100);
    applyVolume();
    if (volume_ != previous) {
        Q_EMIT volumeChanged(volume_);
    }
}

void VlcPlayer::setMuted(bool muted) {
    muted_ = muted;
    applyVolume();
}

void VlcPlayer::applyVolume() {
    // Refused while no audio output exists: tried again when audio starts, and by the watchdog.
    const bool volumeSet = engine_->setVolume(volume_);
    volumeApplied_ = engine_->setMuted(muted_) && volumeSet;
}

void VlcPlayer::setVideoZoom(VideoZoom zoom) {
    zoom_ = zoom;
    switch (zoom) {
    case VideoZoom::Fit:
        engine_->setScale(0.0f);
        break;
    case VideoZoom::Half:
        engine_->setScale(0.5f);
        break;
    case VideoZoom::Original:
        engine_->setScale(1.0f);
        break;
    case VideoZoom::Double:
        engine_->setScale(2.0f);
        break;
    }
}

void VlcPlayer::setAspectRatio(AspectRatio ratio) {
    ratio_ = ratio;
    switch (ratio) {
    case AspectRatio::Default:
        engine_->setAspectRatio({});
        break;
    case AspectRatio::FourThree:
        engine_->setAspectRatio("4:3");
        break;
    case AspectRatio::SixteenNine:
        engine_->setAspectRatio("16:9");
        break;
    }
}

float VlcPlayer::engineScale() const {
    return engine_->scale();
}

QByteArray VlcPlayer::engineAspectRatio() const {
    return engine_->aspectRatio();
}

bool VlcPlayer::setFullScreen(bool on) {
    if (!video_) {
        return false;
    }
    if (!on) {
        video_->leaveFullScreen();
        return true;
    }
    if (!entryPlayed_ || !engine_->hasVideo()) {
        return false;
    }
    return video_->enterFullScreen();
}

bool VlcPlayer::isFullScreen() const {
    return video_ && video_->isFullScreen();
}

// Sets the state and notifies once per change. Returns false when a listener has meanwhile
// given the player a new task (stop or a new address): the caller must then return at once.
bool VlcPlayer::notify(int state) {
    if (state == state_) {
        return true;
    }
    const quint64 session = session_;
    state_ = state;
    Q_EMIT playStateChanged(state);
    return session == session_;
}

} // namespace orvanto
