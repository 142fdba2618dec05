#include "playback/FailoverPlayer.h"

#include "catalogue/Catalogue.h"
#include "core/MessageSink.h"
#include "core/ShownAddress.h"
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

QString archiveLacksText(const QString& name) {
    return QStringLiteral("Kanali '") + name +
           QStringLiteral("': the archive has no such programme");
}

QString archiveFailedText(const QString& name) {
    return QStringLiteral("Kanali '") + name + QStringLiteral("': the archive does not play");
}

// A server's answer that says the archive lacks what was asked: not there, or not served.
bool isArchiveRefusal(int status) {
    return status == 404 || status == 410 || (status >= 500 && status <= 599);
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
    userPaused_ = false;
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
    archive_ = false;
    PlayStation(index, startSlot);
}

void FailoverPlayer::PlayArchive(const QString& name, std::vector<StreamAddress> addresses) {
    const int index = catalogue_.FindStation(name);
    if (index == Catalogue::NotFound || addresses.empty()) {
        return;
    }
    cancelAttempt();
    if (name != channel_) {
        player_.forgetChoices();
    }
    setChannel(name);
    archive_ = true;
    Attempt attempt;
    attempt.stationIndex = index;
    attempt.archive = std::move(addresses);
    attempt_ = std::move(attempt);
    stationPlaying_ = false;
    const quint64 generation = generation_;
    player_.stop();
    if (generation == generation_) {
        startAddress();
    }
}

int FailoverPlayer::lastSlot(const Attempt& attempt) const {
    return attempt.archive.empty() ? catalogue_.station(attempt.stationIndex).LastUrlIndex
                                   : static_cast<int>(attempt.archive.size()) - 1;
}

StreamAddress FailoverPlayer::addressOf(const Attempt& attempt) const {
    const auto slot = static_cast<size_t>(attempt.slot);
    return attempt.archive.empty()
               ? catalogue_.station(attempt.stationIndex).StreamUrls.address(slot)
               : attempt.archive[slot];
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
    // Past the last slot the attempt goes back to slot 0 (a reset, not a wrap-around).
    a.slot = a.tried + a.startSlot;
    if (a.slot > lastSlot(a)) {
        a.slot = 0;
    }
    a.ticks = 0;
    a.limit = TickLimit;
    a.playingTicks = 0;
    const StreamAddress address = addressOf(a);
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
        a.archiveRefused = a.archiveRefused || isArchiveRefusal(player_.refusalStatus());
    }
    ++a.ticks;
    // (An archive's address is not shown: it is made of the programme's times, and a portal's
    // carries the account's password.)
    const QString shown =
        a.archive.empty()
            ? shownAddress(
                  catalogue_.station(a.stationIndex).StreamUrls[static_cast<size_t>(a.slot)])
            : QStringLiteral("archive");
    Q_EMIT statusTextChanged(shown + QLatin1Char(' ') + QString::number(player_.receivedPackets()) +
                             QLatin1Char(' ') + QString::number(a.ticks));
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
    if (a.tried <= lastSlot(a)) {
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
    const QString text = a.archive.empty()  ? allFailedText(name)
                         : a.archiveRefused ? archiveLacksText(name)
                                            : archiveFailedText(name);
    messages_.showMessage(MessageSink::ErrorTitle(), text, MessageSink::Icon::Exclamation);
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
    if (state == PlayState::Paused && userPaused_) {
        return; // the station waits for the user, what arrives meanwhile kept
    }
    if (state != PlayState::Buffering && state != PlayState::Playing && stationPlaying_) {
        stationPlaying_ = false;
        if (archive_) {
            // The caller goes on from where the archive was, or with what follows it.
            if (state == PlayState::MediaEnded) {
                Q_EMIT archiveEnded();
            } else {
                Q_EMIT archiveBrokeOff();
            }
            return;
        }
        Q_EMIT statusTextChanged(QStringLiteral("abbruch"));
        SelectStation(currentStation_->Name, currentUrlIndex_);
    }
}

void FailoverPlayer::standDown() {
    cancelAttempt();
    stationPlaying_ = false;
    archive_ = false;
    setChannel({});
}

void FailoverPlayer::setChannel(const QString& name) {
    if (name != channel_) {
        channel_ = name;
        Q_EMIT channelChanged(channel_);
    }
}

} // namespace orvanto
