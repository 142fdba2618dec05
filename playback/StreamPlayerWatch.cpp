// The player's watch over its entry: one that does not open in time gives way to the next, a
// stream that played and stalls shows as buffering, one that breaks off is opened again after a
// growing pause, and one silent for too long is given up.

#include "core/SteadyClock.h"
#include "playback/PlayState.h"
#include "playback/StreamPlayer.h"

namespace orvanto {

// The current media (or its look) did not play. An entry that played before is opened again
// later; any other gives way to the next entry.
void StreamPlayer::attemptFailed(EntryFailure::Kind kind) {
    if (entryPlayed_) {
        stopMedia();
        nextRetryMs_ =
            clock_.nowMs() + qMin(RetryMaxMs, RetryFirstMs << qBound(0, retries_ - 1, 8));
        return; // the watchdog opens it again, or finds it lost
    }
    EntryFailure failure;
    failure.kind = kind;
    failure.url = entry_.url;
    failure.depth = entry_.depth;
    failure.sniff = sniffed_;
    if (engine_) {
        const PlayerEngine::Stats stats = engine_->stats();
        failure.engineGotData = stats.readBytes > 0 || stats.demuxBytes > 0;
        failure.engineFoundTracks = !engine_->tracks().codecs.isEmpty();
    }
    const quint64 session = session_;
    Q_EMIT entryFailed(failure);
    if (session == session_) {
        entryOver(false);
    }
}

// A stream that played has broken off: it is opened again, unless it has been silent too long.
void StreamPlayer::breakOff() {
    stopMedia();
    if (clock_.nowMs() - lastDataMs_ >= LostAfterMs) {
        entryOver(false);
        return;
    }
    if (notify(PlayState::Buffering)) {
        retry();
    }
}

void StreamPlayer::retry() {
    ++retries_;
    nextRetryMs_ = -1;
    stopMedia();
    openEntry();
}

// On each tick: counts the data received and watches that it keeps coming.
void StreamPlayer::onWatchdog() {
    if (!engine_) {
        return;
    }
    const qint64 now = clock_.nowMs();
    const PlayerEngine::Stats stats = engine_->stats();
    if (flow_.update(stats)) {
        lastDataMs_ = now;
    }
    if (engineOpened_ && !mediaDecoded_ && (stats.decodedAudio > 0 || stats.decodedVideo > 0)) {
        mediaPlays();
        return;
    }
    if (!entryPlayed_) {
        // An entry that does not open in time gives way to the next one; so does the entry
        // that should take over from a stream that broke off (which must not hang in Buffering).
        if (entryIsNetwork_ && (queue_.hasNext() || everPlayed_) &&
            now - entryStartMs_ >= EntryOpenLimitMs) {
            attemptFailed(EntryFailure::Kind::NotInTime);
        }
        return;
    }
    if (!volumeApplied_) {
        applyVolume();
    }
    if (state_ == PlayState::Paused) {
        lastDataMs_ = now; // nothing is read while it waits, and no outage is counted
        return;
    }
    if (!entryIsNetwork_) {
        return; // local files need no watching
    }
    watchPlayedEntry(now);
}

void StreamPlayer::watchPlayedEntry(qint64 now) {
    const qint64 silentMs = now - lastDataMs_;
    if (silentMs >= LostAfterMs) {
        entryOver(false); // connection lost
    } else if (nextRetryMs_ >= 0) {
        if (now >= nextRetryMs_) {
            retry();
        }
    } else if (silentMs >= ReopenAfterMs && now - openedMs_ >= ReopenAfterMs) {
        breakOff(); // open, but nothing comes
    } else if (silentMs >= StalledAfterMs) {
        notify(PlayState::Buffering);
    } else if (state_ == PlayState::Buffering && mediaDecoded_) {
        notify(PlayState::Playing);
    }
}

} // namespace orvanto
