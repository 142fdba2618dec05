#include "playback/LivePause.h"

#include "net/StreamConnection.h"
#include "playback/KeptCopy.h"
#include "playback/PlayState.h"
#include "playback/StreamPlayer.h"

namespace orvanto {

LivePause::LivePause(StreamPlayer& player, const SteadyClock& clock, Settings settings,
                     QObject* parent)
    : QObject(parent), player_(player), clock_(clock), settings_(std::move(settings)) {
    connect(&player_, &StreamPlayer::playStateChanged, this, &LivePause::changed);
    // A copy is of the media the engine played when it paused: another one (a reopening, another
    // address or channel) leaves it behind.
    connect(&player_, &StreamPlayer::aboutToOpen, this, &LivePause::dropCopy);
    connect(&player_, &StreamPlayer::entryStopped, this, &LivePause::dropCopy);
}

LivePause::~LivePause() = default;

bool LivePause::canPause() const {
    const int state = player_.playState();
    if (state != PlayState::Playing && state != PlayState::Paused) {
        return false;
    }
    return player_.liveConnection() != nullptr ||
           (player_.readsItselfLive() && (!isLive_ || isLive_()));
}

bool LivePause::isPaused() const {
    return player_.playState() == PlayState::Paused;
}

bool LivePause::copies() const {
    return copy_ && !player_.liveConnection();
}

std::shared_ptr<KeptStream> LivePause::kept() const {
    if (const std::shared_ptr<StreamConnection> connection = player_.liveConnection()) {
        return connection->kept();
    }
    return copy_ ? copy_->connection()->kept() : nullptr;
}

QString LivePause::pause() {
    if (isPaused()) {
        return {};
    }
    if (!canPause() || player_.playState() != PlayState::Playing) {
        return QStringLiteral("Only a live channel that plays can be paused.");
    }
    auto keeping = std::make_shared<KeptStream>(settings_.folder, settings_.limits, clock_);
    if (const std::shared_ptr<StreamConnection> connection = player_.liveConnection()) {
        if (const std::shared_ptr<KeptStream> kept = connection->kept();
            kept && !kept->failure().isEmpty()) {
            return QStringLiteral("Nothing more can be kept: %1").arg(kept->failure());
        }
        connection->keep(std::move(keeping));
    } else {
        copy_ = KeptCopy::start(player_, std::move(keeping));
        if (!copy_) {
            return QStringLiteral("This channel cannot be paused.");
        }
        connect(copy_.get(), &KeptCopy::ended, this, [this](const QString& reason) {
            copyFailure_ = reason;
            Q_EMIT changed();
        });
    }
    Q_EMIT userPaused(true); // before the engine reports the pause
    if (!player_.setPaused(true)) {
        dropCopy();
        Q_EMIT userPaused(false);
        return QStringLiteral("This channel cannot be paused.");
    }
    return {};
}

void LivePause::resume() {
    if (!isPaused()) {
        return;
    }
    if (const std::shared_ptr<KeptStream> kept = this->kept()) {
        kept->holdBehind();
    }
    // Where a copy kept what came, the engine plays on from it; should it not, live.
    if (!copies() || !readsKept()) {
        player_.setPaused(false);
    }
    Q_EMIT userPaused(false);
}

bool LivePause::readsKept() {
    return copies() ? player_.playFrom(copy_->connection()) : player_.rereadKept();
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
    if (readsKept() && paused) {
        Q_EMIT userPaused(false);
    }
}

QString LivePause::failure() const {
    const std::shared_ptr<KeptStream> kept = this->kept();
    const QString failure = kept ? kept->failure() : QString();
    return failure.isEmpty() && copy_ ? copyFailure_ : failure;
}

void LivePause::dropCopy() {
    if (copy_) {
        copy_.reset();
        copyFailure_.clear();
        Q_EMIT changed();
    }
}

} // namespace orvanto
