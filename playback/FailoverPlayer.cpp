#include "playback/FailoverPlayer.h"

#include "catalogue/Catalogue.h"
#include "core/MessageSink.h"
#include "core/Ticker.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayState.h"

namespace orvanto {

namespace {
QString notInCatalogueText(const QString& name) {
    return QStringLiteral("Kanali '") + name + QStringLiteral("' den litourgoi");
}

QString allFailedText(const QString& name) {
    return QStringLiteral("Kanali '") + name + QStringLiteral("' Distixos den litourgoi");
}
} // namespace

FailoverPlayer::FailoverPlayer(const Catalogue& catalogue, MediaPlayer& player, Ticker& ticker,
                               MessageSink& messages, QObject* parent)
    : QObject(parent), catalogue_(catalogue), player_(player), ticker_(ticker),
      messages_(messages) {
    connect(&player_, &MediaPlayer::playStateChanged, this, [this] { CheckInterruption(); });
}

FailoverPlayer::~FailoverPlayer() {
    ticker_.stop();
}

void FailoverPlayer::SelectStation(const QString& name, int startSlot) {
    const int index = catalogue_.FindStation(name);
    if (index == Catalogue::NotFound) {
        messages_.showMessage(MessageSink::ErrorTitle(), notInCatalogueText(name),
                              MessageSink::Icon::Exclamation);
        return;
    }
    // The newest choice wins: whatever attempt is running ends here, without a message.
    cancelAttempt();
    if (catalogue_.station(index).Name != channel_) {
        // Track and quality choices belong to the channel they were made on; a restart keeps them.
        player_.forgetChoices();
    }
    setChannel(catalogue_.station(index).Name);
    PlayStation(index, startSlot);
}

void FailoverPlayer::PlayStation(int stationIndex, int startSlot) {
    Attempt attempt;
    attempt.stationIndex = stationIndex;
    attempt.startSlot = startSlot;
    attempt_ = attempt;
    stationPlaying_ = false;
    const quint64 generation = generation_;
    player_.stop();
    if (generation == generation_) {
        startAddress();
    }
}

void FailoverPlayer::startAddress() {
    Attempt& a = *attempt_;
    const Station& station = catalogue_.station(a.stationIndex);
    // Past the last slot the attempt goes back to slot 0 (a reset, not a wrap-around).
    a.slot = a.tried + a.startSlot;
    if (a.slot > station.LastUrlIndex) {
        a.slot = 0;
    }
    a.ticks = 0;
    a.limit = TickLimit;
    a.playingTicks = 0;
    const StreamAddress address = station.StreamUrls.address(static_cast<size_t>(a.slot));
    // The player may notify synchronously; should that end this attempt, give up here.
    const quint64 generation = generation_;
    player_.stop();
    if (generation != generation_) {
        return;
    }
    player_.setURL(address);
    if (generation != generation_) {
        return;
    }
    readPlayer();
    ticker_.start([this] { onTick(); });
}

// One reading of the player: counts a playing tick or a tick against the limit and shows the
// progress in the status label.
void FailoverPlayer::readPlayer() {
    Attempt& a = *attempt_;
    if (player_.playState() == PlayState::Playing) {
        ++a.playingTicks;
        --a.ticks; // a playing tick does not count against the limit
    }
    if (a.playingTicks == AcceptPlayingTicks) {
        a.found = true;
    }
    if (player_.playState() == PlayState::Ready) {
        a.ticks = a.limit; // cannot be opened, or has finished
    }
    ++a.ticks;
    const Station& station = catalogue_.station(a.stationIndex);
    Q_EMIT statusTextChanged(station.StreamUrls[static_cast<size_t>(a.slot)] + QLatin1Char(' ') +
                             QString::number(player_.receivedPackets()) + QLatin1Char(' ') +
                             QString::number(a.ticks));
}

void FailoverPlayer::onTick() {
    if (!attempt_) {
        ticker_.stop();
        return;
    }
    Attempt& a = *attempt_;
    if (a.found) {
        finishSuccess();
        return;
    }
    if (a.ticks < a.limit) {
        readPlayer();
        return;
    }
    ++a.tried;
    if (a.tried <= catalogue_.station(a.stationIndex).LastUrlIndex) {
        startAddress();
    } else {
        finishFailure();
    }
}

void FailoverPlayer::finishSuccess() {
    const Attempt a = *attempt_;
    cancelAttempt();
    const Station& station = catalogue_.station(a.stationIndex);
    currentUrlIndex_ = a.slot;
    currentStation_ = station;
    stationPlaying_ = true;
    Q_EMIT stationAccepted(station.Name, a.slot);
}

void FailoverPlayer::finishFailure() {
    const Attempt a = *attempt_;
    cancelAttempt();
    // The player stays as the last attempt left it; CurrentStation keeps the last success.
    const QString name = catalogue_.station(a.stationIndex).Name;
    setChannel({});
    messages_.showMessage(MessageSink::ErrorTitle(), allFailedText(name),
                          MessageSink::Icon::Exclamation);
}

void FailoverPlayer::cancelAttempt() {
    ticker_.stop();
    attempt_.reset();
    ++generation_;
}

void FailoverPlayer::CheckInterruption() {
    Q_EMIT statusTextChanged(QString::number(player_.playState()));
    if (player_.playState() == PlayState::Stopped) {
        return; // stops by the program or the user never restart anything
    }
    const int state = player_.playState();
    if (state != PlayState::Buffering && state != PlayState::Playing && stationPlaying_) {
        stationPlaying_ = false;
        Q_EMIT statusTextChanged(QStringLiteral("abbruch"));
        SelectStation(currentStation_->Name, currentUrlIndex_);
    }
}

void FailoverPlayer::standDown() {
    cancelAttempt();
    stationPlaying_ = false;
    setChannel({});
}

void FailoverPlayer::setChannel(const QString& name) {
    if (name != channel_) {
        channel_ = name;
        Q_EMIT channelChanged(channel_);
    }
}

} // namespace orvanto
