#include "check/VlcProbe.h"

#include "core/AddressPolicy.h"
#include "net/PlaylistParser.h"
#include "net/StreamSniffer.h"

namespace orvanto {

namespace {

// A web page rather than media: what a browser would show, not what a player plays.
bool looksLikeHtml(const QByteArray& start) {
    const QByteArray text = start.trimmed().left(256).toLower();
    return text.startsWith("<!doctype html") || text.startsWith("<html") ||
           text.startsWith("<head") || text.startsWith("<body") ||
           (text.startsWith("<?xml") && text.contains("<html"));
}

Verdict verdictOf(Verdict::Kind kind, int status = 0) {
    Verdict verdict;
    verdict.kind = kind;
    verdict.httpStatus = status;
    return verdict;
}

Verdict failureOf(const StreamSniffer::Result& result) {
    if (result.status >= 400) {
        return verdictOf(Verdict::Kind::HttpStatus, result.status);
    }
    switch (result.error) {
    case HttpGet::Error::Refused:
        return verdictOf(Verdict::Kind::Refused);
    case HttpGet::Error::HostNotFound:
        return verdictOf(Verdict::Kind::HostNotFound);
    case HttpGet::Error::None:
    case HttpGet::Error::Empty:
        return verdictOf(Verdict::Kind::EndedAtOnce); // nothing, or an empty reply
    case HttpGet::Error::Network:
    case HttpGet::Error::NotHttp:
    case HttpGet::Error::HeadTooLarge:
    case HttpGet::Error::BodyTooLarge:
    case HttpGet::Error::TooManyRedirects:
    case HttpGet::Error::InsecureRedirect:
        break;
    }
    return verdictOf(Verdict::Kind::NotMedia);
}

} // namespace

VlcProbe::VlcProbe() : sniffer_(std::make_unique<StreamSniffer>()) {
    poll_.setInterval(PollMs);
    connect(&poll_, &QTimer::timeout, this, &VlcProbe::onPoll);
}

VlcProbe::~VlcProbe() {
    halt();
}

void VlcProbe::start(const QString& address, Done done) {
    cancel();
    done_ = std::move(done);
    address_ = address.trimmed();
    firstFailure_.reset();
    topIsPlaylist_ = false;
    queue_.reset(AddressPolicy::locationUrl(address.trimmed()));
    startNextEntry();
}

void VlcProbe::cancel() {
    ++generation_; // an answer still on its way is dropped
    done_ = nullptr;
    halt();
    queue_.clear();
}

void VlcProbe::halt() {
    sniffer_->abort();
    if (engine_) {
        engine_->stop();
    }
    poll_.stop();
    active_ = false;
    engineOpened_ = false;
    sniffedBody_ = false;
}

void VlcProbe::startNextEntry() {
    halt();
    const auto next = queue_.next();
    if (!next) {
        answer(topIsPlaylist_ ? verdictOf(Verdict::Kind::EmptyPlaylist)
                              : firstFailure_.value_or(verdictOf(Verdict::Kind::NotMedia)));
        return;
    }
    entry_ = *next;
    active_ = true;
    if (!AddressPolicy::isSniffed(entry_.url)) {
        startEngine();
        return;
    }
    sniffer_->start(entry_.url, [this](const StreamSniffer::Result& result) {
        switch (result.kind) {
        case StreamSniffer::Result::Kind::Playlist:
            if (entry_.depth == 0) {
                topIsPlaylist_ = true;
            }
            queue_.expand(entry_, result.entries);
            startNextEntry();
            break;
        case StreamSniffer::Result::Kind::Stream:
            if (looksLikeHtml(result.bodyStart)) {
                entryFailed(verdictOf(Verdict::Kind::NotMedia));
            } else {
                sniffedBody_ = !result.bodyStart.isEmpty();
                startEngine();
            }
            break;
        case StreamSniffer::Result::Kind::Failed:
            entryFailed(failureOf(result));
            break;
        }
    });
}

void VlcProbe::startEngine() {
    if (!engine_) {
        engine_ = std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true});
        connect(engine_.get(), &VlcEngine::engineEvent, this, &VlcProbe::onEngineEvent);
    }
    if (entry_.url.isLocalFile()) {
        engine_->play(entry_.url.toLocalFile(), true);
    } else {
        // As the player does: the address itself as written, playlist entries fully encoded.
        engine_->play(entry_.depth == 0 ? address_ : entry_.url.toString(QUrl::FullyEncoded),
                      false);
    }
    poll_.start();
}

// The entry does not play: the next one of the queue is tried, if there is one.
void VlcProbe::entryFailed(const Verdict& verdict) {
    if (!firstFailure_) {
        firstFailure_ = verdict;
    }
    startNextEntry();
}

void VlcProbe::plays() {
    Verdict verdict = verdictOf(Verdict::Kind::Plays);
    const VlcEngine::Tracks tracks = engine_->tracks();
    verdict.codecs = tracks.codecs;
    verdict.videoSize = tracks.videoSize;
    verdict.finalAddress = entry_.url.toString();
    answer(verdict);
}

void VlcProbe::answer(const Verdict& verdict) {
    auto done = std::move(done_);
    halt();
    queue_.clear();
    if (done) {
        // Never from within start(): the answer waits for the event loop.
        QTimer::singleShot(0, this,
                           [this, generation = generation_, done = std::move(done), verdict] {
                               if (generation == generation_) {
                                   done(verdict);
                               }
                           });
    }
}

void VlcProbe::onEngineEvent(VlcEngine::Event event, qint64 value) {
    if (!active_ || !engine_) {
        return;
    }
    const VlcEngine::Stats stats = engine_->stats();
    const bool decoded = stats.decodedAudio > 0 || stats.decodedVideo > 0;
    switch (event) {
    case VlcEngine::Event::Playing:
        engineOpened_ = true;
        break;
    case VlcEngine::Event::TimeChanged:
    case VlcEngine::Event::Vout:
        if (engineOpened_ && value > 0) {
            plays();
        }
        break;
    case VlcEngine::Event::Ended: {
        if (engineOpened_ && decoded) {
            plays();
            return;
        }
        // libVLC recognised a playlist itself (an mms:// or file address): try its entries.
        QList<QUrl> entries;
        for (const QUrl& url : engine_->subItems()) {
            if (PlaylistParser::isNetworkStream(url)) {
                entries << url;
            }
        }
        if (!entries.isEmpty() && queue_.expand(entry_, entries)) {
            if (entry_.depth == 0) {
                topIsPlaylist_ = true;
            }
            startNextEntry();
            return;
        }
        // Audio or video that ended before a decoded block was counted (a clip of a second,
        // played out at once by the dummy output) is media that ended, not a page or garbage.
        const bool media = !engine_->tracks().codecs.isEmpty();
        entryFailed(verdictOf(!media && (sniffedBody_ || stats.readBytes > 0)
                                  ? Verdict::Kind::NotMedia
                                  : Verdict::Kind::EndedAtOnce));
        break;
    }
    case VlcEngine::Event::Error:
        entryFailed(verdictOf(sniffedBody_ || stats.readBytes > 0 ? Verdict::Kind::NotMedia
                                                                  : Verdict::Kind::Refused));
        break;
    case VlcEngine::Event::Opening:
    case VlcEngine::Event::Buffering:
    case VlcEngine::Event::Paused:
        break;
    }
}

void VlcProbe::onPoll() {
    if (!active_ || !engine_ || !engineOpened_) {
        return;
    }
    const VlcEngine::Stats stats = engine_->stats();
    if (stats.decodedAudio > 0 || stats.decodedVideo > 0) {
        plays();
    }
}

} // namespace orvanto
