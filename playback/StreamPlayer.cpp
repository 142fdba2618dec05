#include "playback/StreamPlayer.h"

#include "core/AddressPolicy.h"
#include "core/SteadyClock.h"
#include "core/Ticker.h"
#include "net/PlaylistParser.h"
#include "net/Sniffer.h"
#include "playback/PlayState.h"

namespace orvanto {

StreamPlayer::StreamPlayer(Ticker& watchdog, const SteadyClock& clock, QObject* parent)
    : QObject(parent), watchdog_(watchdog), clock_(clock) {}

StreamPlayer::~StreamPlayer() {
    watchdog_.stop();
    if (sniffer_) {
        sniffer_->abort();
    }
}

void StreamPlayer::attach(PlayerEngine& engine, Sniffer& sniffer) {
    engine_ = &engine;
    sniffer_ = &sniffer;
    connect(engine_, &PlayerEngine::engineEvent, this, &StreamPlayer::onEngineEvent);
    applyVideoFit();
    if (waitingForEngine_) {
        waitingForEngine_ = false;
        startNextEntry();
    }
}

void StreamPlayer::setURL(const StreamAddress& address) {
    const QString& url = address.url;
    ++session_;
    halt();
    queue_.clear();
    url_ = url;
    headers_ = address.headers;
    everPlayed_ = false;
    bytes_.clear();
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty()) {
        notify(PlayState::Ready);
        return;
    }
    queue_.reset(AddressPolicy::locationUrl(trimmed));
    if (!notify(PlayState::Transitioning)) {
        return;
    }
    if (!engine_) {
        waitingForEngine_ = true;
        return;
    }
    startNextEntry();
}

void StreamPlayer::stop() {
    ++session_;
    halt();
    queue_.clear();
    Q_EMIT playbackOver();
    notify(PlayState::Stopped);
}

// Ends the current entry's work: no request, no media, no watchdog.
void StreamPlayer::halt() {
    const bool wasActive = entryActive_;
    waitingForEngine_ = false;
    if (sniffer_) {
        sniffer_->abort();
    }
    if (engine_) {
        engine_->stop();
    }
    watchdog_.stop();
    entryActive_ = false;
    engineStarted_ = false;
    engineOpened_ = false;
    entryPlayed_ = false;
    if (wasActive) {
        Q_EMIT entryStopped();
    }
}

void StreamPlayer::startNextEntry() {
    halt();
    const auto next = queue_.next();
    if (!next) {
        finish(false);
        return;
    }
    entry_ = *next;
    entryActive_ = true;
    entryIsNetwork_ = !entry_.url.isLocalFile();
    entryStartMs_ = clock_.nowMs();
    lastDataMs_ = entryStartMs_;
    bytes_.restart();
    watchdog_.start([this] { onWatchdog(); });
    if (!AddressPolicy::isSniffed(entry_.url)) {
        startEngine();
        return;
    }
    sniffer_->start(entry_.url, [this](const Sniffer::Result& result) {
        switch (result.kind) {
        case Sniffer::Result::Kind::Playlist:
            // Its entries come next; an empty or too deep playlist simply adds none.
            queue_.expand(entry_, result.entries);
            startNextEntry();
            break;
        case Sniffer::Result::Kind::Stream:
            startEngine();
            break;
        case Sniffer::Result::Kind::Failed:
            entryOver(false);
            break;
        }
    });
}

void StreamPlayer::startEngine() {
    engineStarted_ = true;
    Q_EMIT aboutToOpen();
    applyVideoFit();
    if (entry_.url.isLocalFile()) {
        engine_->play(entry_.url.toLocalFile(), true);
    } else {
        // The assigned address goes to the engine as written; playlist entries fully encoded.
        engine_->play(entry_.depth == 0 ? url_.trimmed() : entry_.url.toString(QUrl::FullyEncoded),
                      false);
    }
}

void StreamPlayer::reopen() {
    if (!entryActive_ || !engineStarted_) {
        return; // still looking at the address: the engine opens it with the choice anyway
    }
    engineOpened_ = false;
    entryPlayed_ = false;
    entryStartMs_ = clock_.nowMs();
    lastDataMs_ = entryStartMs_;
    bytes_.restart();
    if (everPlayed_ && !notify(PlayState::Buffering)) {
        return;
    }
    startEngine();
}

// The current entry failed, ended or broke off: the next entry takes over, if there is one.
void StreamPlayer::entryOver(bool endedNaturally) {
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

void StreamPlayer::finish(bool ended) {
    halt();
    queue_.clear();
    Q_EMIT playbackOver();
    if (ended && !notify(PlayState::MediaEnded)) {
        return;
    }
    notify(PlayState::Ready);
}

void StreamPlayer::confirmPlaying() {
    if (entryPlayed_) {
        return;
    }
    entryPlayed_ = true;
    everPlayed_ = true;
    lastDataMs_ = clock_.nowMs();
    applyVolume();
    notify(PlayState::Playing);
}

void StreamPlayer::onEngineEvent(PlayerEngine::Event event, qint64 value) {
    if (!entryActive_) {
        return;
    }
    switch (event) {
    case PlayerEngine::Event::Opening:
        break; // already Transitioning (or Buffering while the next entry takes over)
    case PlayerEngine::Event::Buffering:
        // Once the entry plays, the watchdog alone judges whether data keeps coming.
        if (engineOpened_ && !entryPlayed_) {
            notify(PlayState::Buffering);
        }
        break;
    case PlayerEngine::Event::Playing:
        engineOpened_ = true;
        applyVolume(); // an audio output may exist from now on
        notify(entryPlayed_ ? PlayState::Playing : PlayState::Buffering); // (after a pause)
        break;
    case PlayerEngine::Event::Paused:
        notify(PlayState::Paused);
        break;
    case PlayerEngine::Event::TimeChanged:
    case PlayerEngine::Event::Vout:
        if (engineOpened_ && value > 0) {
            confirmPlaying();
        }
        break;
    case PlayerEngine::Event::Ended: {
        const PlayerEngine::Stats stats = engine_->stats();
        if (engineOpened_ && (stats.decodedAudio > 0 || stats.decodedVideo > 0)) {
            confirmPlaying(); // a short file may end before its play time was reported
        }
        // The engine recognised a playlist itself (an mms:// or file address): play its entries.
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
    case PlayerEngine::Event::Error:
        entryOver(false);
        break;
    }
}

// On each tick: counts the data received and watches that it keeps coming.
void StreamPlayer::onWatchdog() {
    if (!engine_) {
        return;
    }
    const qint64 now = clock_.nowMs();
    const PlayerEngine::Stats stats = engine_->stats();
    if (bytes_.update(stats.readBytes)) {
        lastDataMs_ = now;
    }
    if (!entryPlayed_) {
        if (engineOpened_ && (stats.decodedAudio > 0 || stats.decodedVideo > 0)) {
            confirmPlaying();
            return;
        }
        // An entry that does not open in time gives way to the next one; so does the entry
        // that should take over from a stream that broke off (which must not hang in Buffering).
        if (entryIsNetwork_ && (queue_.hasNext() || everPlayed_) &&
            now - entryStartMs_ >= EntryOpenLimitMs) {
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
    const qint64 silentMs = now - lastDataMs_;
    if (silentMs >= LostAfterMs) {
        entryOver(false); // connection lost
    } else if (silentMs >= StalledAfterMs) {
        notify(PlayState::Buffering);
    } else if (state_ == PlayState::Buffering) {
        notify(PlayState::Playing);
    }
}

qint64 StreamPlayer::receivedKilobytes() const {
    return static_cast<qint64>(bytes_.total() / 1024);
}

void StreamPlayer::setVolume(int volume) {
    const int previous = volume_;
    volume_ = qBound(0, volume, 100);
    applyVolume();
    if (volume_ != previous) {
        Q_EMIT volumeChanged(volume_);
    }
}

void StreamPlayer::setMuted(bool muted) {
    muted_ = muted;
    applyVolume();
}

void StreamPlayer::applyVolume() {
    // Refused while no audio output exists: tried again when audio starts, and by the watchdog.
    if (!engine_) {
        volumeApplied_ = false;
        return;
    }
    const bool volumeSet = engine_->setVolume(volume_);
    volumeApplied_ = engine_->setMuted(muted_) && volumeSet;
}

void StreamPlayer::setVideoZoom(VideoZoom zoom) {
    zoom_ = zoom;
    applyVideoFit();
}

void StreamPlayer::setAspectRatio(AspectRatio ratio) {
    ratio_ = ratio;
    applyVideoFit();
}

// Hands the zoom and the aspect ratio to the engine, which keeps them for the media after.
void StreamPlayer::applyVideoFit() {
    if (!engine_) {
        return;
    }
    switch (zoom_) {
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
    switch (ratio_) {
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

// Sets the state and notifies once per change. Returns false when a listener has meanwhile
// given the player a new task (stop or a new address): the caller must then return at once.
bool StreamPlayer::notify(int state) {
    if (state == state_) {
        return true;
    }
    const quint64 session = session_;
    state_ = state;
    Q_EMIT playStateChanged(state);
    return session == session_;
}

} // namespace orvanto
