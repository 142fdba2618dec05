#include "playback/LivePause.h"

#include "net/StreamConnection.h"
#include "playback/PlayState.h"
#include "playback/StreamPlayer.h"

namespace orvanto {

LivePause::LivePause(StreamPlayer& player, const SteadyClock& clock, Settings settings,
                     QObject* parent)
    : QObject(parent), player_(player), clock_(clock), settings_(std::move(settings)) {
    connect(&player_, &StreamPlayer::playStateChanged, this, &LivePause::changed);
}

bool LivePause::canPause() const {
    const int state = player_.playState();
    return (state == PlayState::Playing || state == PlayState::Paused) &&
           player_.liveConnection() != nullptr;
}

bool LivePause::isPaused() const {
    return player_.playState() == PlayState::Paused;
}

std::shared_ptr<KeptStream> LivePause::kept() const {
    const std::shared_ptr<StreamConnection> connection = player_.liveConnection();
    return connection ? connection->kept() : nullptr;
}

QString LivePause::pause() {
    if (isPaused()) {
        return {};
    }
    const std::shared_ptr<StreamConnection> connection = player_.liveConnection();
    if (!connection || player_.playState() != PlayState::Playing) {
        return QStringLiteral("Only a live channel that plays can be paused.");
    }
    if (const std::shared_ptr<KeptStream> kept = connection->kept();
        kept && !kept->failure().isEmpty()) {
        return QStringLiteral("Nothing more can be kept: %1").arg(kept->failure());
    }
    connection->keep(std::make_shared<KeptStream>(settings_.folder, settings_.limits, clock_));
    Q_EMIT userPaused(true); // before the engine reports the pause
    if (!player_.setPaused(true)) {
        Q_EMIT userPaused(false);
        return QStringLiteral("This channel cannot be paused.");
    }
    return {};
}

void LivePause::resume() {
    if (isPaused()) {
        if (const std::shared_ptr<KeptStream> kept = this->kept()) {
            kept->holdBehind();
        }
        player_.setPaused(false);
        Q_EMIT userPaused(false);
    }
}

qint64 LivePause::behindMs() const {
    const std::shared_ptr<KeptStream> kept = this->kept();
    return kept ? kept->behindMs() : 0;
}

qint64 LivePause::keptMs() const {
    const std::shared_ptr<KeptStream> kept = this->kept();
    return kept ? kept->keptMs() : 0;
}

void LivePause::moveBehind(qint64 ms) {
    const std::shared_ptr<KeptStream> kept = this->kept();
    if (!kept) {
        return;
    }
    kept->moveBehind(ms);
    // What the engine read ahead is dropped: it reads anew from there (and plays, if paused).
    const bool paused = isPaused();
    if (player_.rereadKept() && paused) {
        Q_EMIT userPaused(false);
    }
}

QString LivePause::failure() const {
    const std::shared_ptr<KeptStream> kept = this->kept();
    return kept ? kept->failure() : QString();
}

} // namespace orvanto
