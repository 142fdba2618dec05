#include "check/VlcProbe.h"

#include "net/StreamSniffer.h"
#include "playback/PlayState.h"
#include "playback/StreamPlayer.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"

#include <QFileInfo>
#include <QTimer>

namespace orvanto {

namespace {

Verdict verdict(Verdict::Kind kind) {
    Verdict result;
    result.kind = kind;
    return result;
}

Verdict sniffVerdict(const Sniffer::Result& result) {
    if (result.status >= 400) {
        Verdict status = verdict(Verdict::Kind::HttpStatus);
        status.httpStatus = result.status;
        return status;
    }
    if (result.webPage || result.binaryPlaylist) {
        return verdict(Verdict::Kind::NotMedia);
    }
    switch (result.error) {
    case HttpGet::Error::Refused:
        return verdict(Verdict::Kind::Refused);
    case HttpGet::Error::HostNotFound:
        return verdict(Verdict::Kind::HostNotFound);
    case HttpGet::Error::TooManyRedirects:
        return verdict(Verdict::Kind::TooManyRedirects);
    case HttpGet::Error::None:
    case HttpGet::Error::Empty:
        return verdict(Verdict::Kind::EndedAtOnce); // nothing, or an empty reply
    case HttpGet::Error::Network:
    case HttpGet::Error::NotHttp:
    case HttpGet::Error::HeadTooLarge:
    case HttpGet::Error::BodyTooLarge:
    case HttpGet::Error::InsecureRedirect:
        break;
    }
    return verdict(Verdict::Kind::NotMedia);
}

} // namespace

VlcProbe::VlcProbe()
    : VlcProbe(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
               std::make_unique<StreamSniffer>()) {}

VlcProbe::VlcProbe(std::unique_ptr<PlayerEngine> engine, std::unique_ptr<Sniffer> sniffer)
    : watchdog_(VlcPlayer::WatchdogMs), engine_(std::move(engine)), sniffer_(std::move(sniffer)),
      player_(std::make_unique<StreamPlayer>(watchdog_, clock_)) {
    player_->attach(*engine_, *sniffer_);
    connect(player_.get(), &StreamPlayer::playStateChanged, this, &VlcProbe::onState);
    connect(player_.get(), &StreamPlayer::playbackOver, this, &VlcProbe::onOver);
    connect(player_.get(), &StreamPlayer::playlistOpened, this,
            [this](int depth, int entriesLeftOut) {
                if (depth == 0) {
                    topIsPlaylist_ = true;
                }
                entriesLeftOut_ += entriesLeftOut;
            });
    connect(player_.get(), &StreamPlayer::entryFailed, this, [this](const EntryFailure& failure) {
        if (!firstFailure_) {
            firstFailure_ = verdictOf(failure);
        }
    });
}

VlcProbe::~VlcProbe() {
    player_.reset();
}

void VlcProbe::start(const StreamAddress& address, Done done) {
    cancel();
    done_ = std::move(done);
    firstFailure_.reset();
    topIsPlaylist_ = false;
    entriesLeftOut_ = 0;
    player_->setURL(address);
}

void VlcProbe::cancel() {
    ++generation_; // an answer still on its way is dropped
    done_ = nullptr;
    player_->stop();
}

Verdict VlcProbe::timedOut() const {
    Verdict result = AddressProbe::timedOut();
    if (sniffer_->phase() == HttpGet::Phase::LookingUp) {
        result = verdict(Verdict::Kind::HostNotFound);
        result.noAnswer = true;
    }
    result.playlistEntriesLeftOut = entriesLeftOut_;
    return result;
}

Verdict VlcProbe::verdictOf(const EntryFailure& failure) {
    // The engine says no more of a local file than that it cannot open it.
    if (failure.url.isLocalFile() && failure.kind != EntryFailure::Kind::Unsupported &&
        !QFileInfo::exists(failure.url.toLocalFile())) {
        return verdict(Verdict::Kind::FileNotFound);
    }
    switch (failure.kind) {
    case EntryFailure::Kind::Sniffed:
        return sniffVerdict(failure.sniff);
    case EntryFailure::Kind::Unsupported: {
        Verdict unsupported = verdict(Verdict::Kind::Unsupported);
        unsupported.scheme = failure.url.scheme().toLower();
        return unsupported;
    }
    case EntryFailure::Kind::EngineError:
        return verdict(failure.engineGotData || !failure.sniff.bodyStart.isEmpty()
                           ? Verdict::Kind::NotMedia
                           : Verdict::Kind::Refused);
    case EntryFailure::Kind::Ended:
        // Audio or video that ended before a decoded block was counted (a clip of a second,
        // played out at once by the dummy output) is media that ended, not a page or garbage.
        return verdict(!failure.engineFoundTracks &&
                               (failure.engineGotData || !failure.sniff.bodyStart.isEmpty())
                           ? Verdict::Kind::NotMedia
                           : Verdict::Kind::EndedAtOnce);
    case EntryFailure::Kind::NotInTime:
        return verdict(Verdict::Kind::TimedOut);
    }
    return verdict(Verdict::Kind::NotMedia);
}

void VlcProbe::onState(int state) {
    if (state != PlayState::Playing || !done_) {
        return;
    }
    Verdict plays = verdict(Verdict::Kind::Plays);
    const PlayerEngine::Tracks tracks = engine_->tracks();
    plays.codecs = tracks.codecs;
    plays.videoSize = tracks.videoSize;
    plays.finalAddress = player_->currentEntry().url.toString();
    answer(plays);
}

// Every entry is used up without one playing.
void VlcProbe::onOver() {
    if (!done_) {
        return;
    }
    answer(topIsPlaylist_ ? verdict(Verdict::Kind::EmptyPlaylist)
                          : firstFailure_.value_or(verdict(Verdict::Kind::NotMedia)));
}

void VlcProbe::answer(Verdict result) {
    result.playlistEntriesLeftOut = entriesLeftOut_;
    auto done = std::move(done_);
    done_ = nullptr;
    // Never from within start(): the answer waits for the event loop. The player stops then,
    // not inside its own notification.
    QTimer::singleShot(0, this, [this, generation = generation_, done = std::move(done), result] {
        if (generation != generation_) {
            return;
        }
        player_->stop();
        if (done) {
            done(result);
        }
    });
}

} // namespace orvanto
