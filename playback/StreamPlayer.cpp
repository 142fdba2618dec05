#include "playback/StreamPlayer.h"

#include "core/AddressPolicy.h"
#include "core/SteadyClock.h"
#include "core/Ticker.h"
#include "net/PlaylistParser.h"
#include "net/Sniffer.h"
#include "net/StreamConnection.h"
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
    refusalStatus_ = 0;
    flow_.clear();
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
    entryActive_ = false; // (stopMedia() then says nothing: this says it once, below)
    stopMedia();
    watchdog_.stop();
    entryPlayed_ = false;
    nextRetryMs_ = -1;
    if (wasActive) {
        Q_EMIT entryStopped();
    }
}

// Ends the current media and its look, keeping the entry.
void StreamPlayer::stopMedia() {
    if (sniffer_) {
        sniffer_->abort();
    }
    if (engine_) {
        engine_->stop();
    }
    connection_.reset(); // the engine has let go of it
    const bool engineHadIt = engineStarted_;
    flow_.restart();
    engineStarted_ = false;
    engineOpened_ = false;
    mediaDecoded_ = false;
    if (entryActive_ && engineHadIt) {
        Q_EMIT entryStopped(); // the entry is opened again later
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
    retries_ = 0;
    watchdog_.start([this] { onWatchdog(); });
    openEntry();
}

// Opens the current entry: looks at what an http(s) address serves, then hands it to the
// engine. The one place where an entry becomes requests to its server.
void StreamPlayer::openEntry() {
    openedMs_ = clock_.nowMs();
    sniffed_ = {};
    if (!engine_->opens(entry_.url)) {
        attemptFailed(EntryFailure::Kind::Unsupported);
        return;
    }
    if (!AddressPolicy::isSniffed(entry_.url)) {
        startEngine(nullptr);
        return;
    }
    sniffer_->start(entry_.url, entryHeaders(),
                    [this](const Sniffer::Result& result) { onSniffed(result); });
}

void StreamPlayer::onSniffed(const Sniffer::Result& result) {
    sniffed_ = result;
    switch (result.kind) {
    case Sniffer::Result::Kind::Playlist:
        if (entryPlayed_) {
            attemptFailed(EntryFailure::Kind::Sniffed); // not the stream that played
            return;
        }
        Q_EMIT playlistOpened(entry_.depth, result.entriesLeftOut);
        // Its entries come next; an empty or too deep playlist simply adds none.
        queue_.expand(entry_, result.entries);
        startNextEntry();
        break;
    case Sniffer::Result::Kind::Stream:
        startEngine(result.connection);
        break;
    case Sniffer::Result::Kind::Failed:
        if (result.status >= 400) {
            refusalStatus_ = result.status;
        }
        attemptFailed(EntryFailure::Kind::Sniffed);
        break;
    }
    sniffed_.connection.reset(); // the engine has it now
}

void StreamPlayer::startEngine(const std::shared_ptr<StreamConnection>& connection) {
    engineStarted_ = true;
    Q_EMIT aboutToOpen();
    MediaSource source = entrySource();
    source.connection = connection;
    connection_ = connection;
    if (connection) {
        connection->setTap(tap_);
    }
    engine_->play(source);
}

MediaSource StreamPlayer::entrySource() const {
    MediaSource source;
    source.headers = entryHeaders();
    if (entry_.url.isLocalFile()) {
        source.location = entry_.url.toLocalFile();
        source.isLocalPath = true;
    } else {
        // The assigned address goes to the engine as written; playlist entries fully encoded.
        source.location =
            entry_.depth == 0 ? url_.trimmed() : entry_.url.toString(QUrl::FullyEncoded);
    }
    return source;
}

// The headers of the address go with its playlists' entries too; its cookie only to its own
// server.
HttpHeaders StreamPlayer::entryHeaders() const {
    if (entry_.depth == 0 || headers_.value(HttpHeaders::Header::Cookie).isEmpty()) {
        return headers_;
    }
    const QString host = AddressPolicy::locationUrl(url_.trimmed()).host();
    return entry_.url.host().compare(host, Qt::CaseInsensitive) == 0
               ? headers_
               : headers_.without(HttpHeaders::Header::Cookie);
}

// Whether the media that ended played to its end: a local file, or a stream whose play time
// reached the length the engine knew (a live stream reports no length, or the length of the
// window it keeps, which its play time soon passes).
bool StreamPlayer::atItsEnd() const {
    if (!entryIsNetwork_) {
        return true;
    }
    const PlayerEngine::Position position = engine_->position();
    return position.lengthMs > 0 && position.timeMs >= position.lengthMs - EndToleranceMs &&
           position.timeMs <= position.lengthMs + EndToleranceMs;
}

void StreamPlayer::reopen() {
    if (!entryActive_ || !engineStarted_) {
        return; // still looking at the address, or waiting to retry: the choice holds then
    }
    stopMedia();
    entryPlayed_ = false;
    entryStartMs_ = clock_.nowMs();
    lastDataMs_ = entryStartMs_;
    retries_ = 0;
    if (everPlayed_ && !notify(PlayState::Buffering)) {
        return;
    }
    openEntry();
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

// The current media decodes. Returns false when a listener gave the player a new task.
bool StreamPlayer::mediaPlays() {
    if (mediaDecoded_) {
        return true;
    }
    mediaDecoded_ = true;
    entryPlayed_ = true;
    everPlayed_ = true;
    retries_ = 0;
    lastDataMs_ = clock_.nowMs();
    applyVolume();
    return notify(PlayState::Playing);
}

void StreamPlayer::onEngineEvent(PlayerEngine::Event event, qint64 value) {
    if (!entryActive_ || nextRetryMs_ >= 0) {
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
        if (state_ == PlayState::Paused) {
            lastDataMs_ = clock_.nowMs(); // nothing was read while it waited
        }
        engineOpened_ = true;
        applyVolume(); // an audio output may exist from now on
        notify(mediaDecoded_ ? PlayState::Playing : PlayState::Buffering); // (after a pause)
        break;
    case PlayerEngine::Event::Paused:
        notify(PlayState::Paused);
        break;
    case PlayerEngine::Event::TimeChanged:
    case PlayerEngine::Event::Vout:
    case PlayerEngine::Event::Decoded:
        if (engineOpened_ && value > 0) {
            mediaPlays();
        }
        break;
    case PlayerEngine::Event::Ended: {
        const PlayerEngine::Stats stats = engine_->stats();
        if (engineOpened_ && (stats.decodedAudio > 0 || stats.decodedVideo > 0) && !mediaPlays()) {
            return; // a short file may end before its play time was reported
        }
        // The engine recognised a playlist itself (an mms:// or file address): play its entries.
        QList<QUrl> entries;
        for (const QUrl& url : engine_->subItems()) {
            if (PlaylistParser::isNetworkStream(url)) {
                entries << url;
            }
        }
        if (!entries.isEmpty() && !entryPlayed_ && queue_.expand(entry_, entries)) {
            Q_EMIT playlistOpened(entry_.depth, 0);
            startNextEntry();
        } else if (!mediaDecoded_) {
            attemptFailed(EntryFailure::Kind::Ended);
        } else if (atItsEnd()) {
            entryOver(true);
        } else {
            breakOff();
        }
        break;
    }
    case PlayerEngine::Event::Error:
        if (mediaDecoded_) {
            breakOff();
        } else {
            attemptFailed(EntryFailure::Kind::EngineError);
        }
        break;
    }
}

qint64 StreamPlayer::receivedKilobytes() const {
    return static_cast<qint64>(flow_.receivedBytes() / 1024);
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
