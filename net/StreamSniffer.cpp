#include "net/StreamSniffer.h"

#include "net/PlaylistParser.h"

#include <QStringList>
#include <algorithm>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// libVLC takes an address that ends in one of these for a playlist of that kind, whatever it
// serves, and finds nothing in media: Windows Media servers send ASF under .asx names.
bool libVlcTakesForAPlaylist(const QUrl& url) {
    static const QStringList endings{u".asx"_s, u".wax"_s, u".wvx"_s, u".pls"_s, u".m3u"_s,
                                     u".b4s"_s, u".qtl"_s, u".ram"_s, u".xspf"_s};
    const QString path = url.path();
    return std::ranges::any_of(
        endings, [&](const QString& ending) { return path.endsWith(ending, Qt::CaseInsensitive); });
}

// Outcomes after which the engine would not find a stream either. Anything else (a server
// speaking something other than HTTP, a connection that broke off) is left to the engine.
bool isDefinitiveFailure(HttpGet::Error error) {
    switch (error) {
    case HttpGet::Error::Refused:
    case HttpGet::Error::HostNotFound:
    case HttpGet::Error::HeadTooLarge:
    case HttpGet::Error::TooManyRedirects:
    case HttpGet::Error::InsecureRedirect:
    case HttpGet::Error::Empty:
        return true;
    case HttpGet::Error::None:
    case HttpGet::Error::Network:
    case HttpGet::Error::NotHttp:
    case HttpGet::Error::BodyTooLarge:
        return false;
    }
    return false;
}

// A web page rather than media: what a browser would show, not what a player plays.
bool looksLikeHtml(const QByteArray& start) {
    const QByteArray text = start.trimmed().left(256).toLower();
    return text.startsWith("<!doctype html") || text.startsWith("<html") ||
           text.startsWith("<head") || text.startsWith("<body") ||
           (text.startsWith("<?xml") && text.contains("<html"));
}

} // namespace

StreamSniffer::StreamSniffer(QObject* parent) : QObject(parent) {
    deadline_.setSingleShot(true);
    deadline_.setInterval(DecideWithinMs);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (!get_.hasHead()) {
            deadline_.start(); // no answer yet: keep waiting, like the engine would
            return;
        }
        decideOnWhatCame();
    });
    connect(&get_, &HttpGet::headReceived, this, &StreamSniffer::onHead);
    connect(&get_, &HttpGet::bodyReceived, this, &StreamSniffer::onBody);
    connect(&get_, &HttpGet::finished, this, &StreamSniffer::onFinished);
}

StreamSniffer::~StreamSniffer() {
    abort();
}

void StreamSniffer::start(const QUrl& url, const HttpHeaders& headers,
                          std::function<void(const Result&)> done) {
    abort();
    done_ = std::move(done);
    head_.clear();
    HttpRequest request = httpRequest(url, MaxPlaylistBytes, headers);
    request.icyTitles = true; // a radio's stream is read on this connection: its titles too
    get_.start(request);
    deadline_.start();
}

void StreamSniffer::abort() {
    deadline_.stop();
    done_ = nullptr;
    get_.abort();
}

void StreamSniffer::onHead() {
    if (get_.status() >= 400) {
        decide(Result::Kind::Failed);
    }
}

void StreamSniffer::onBody() {
    head_ += get_.readBody();
    const auto verdict = PlaylistParser::sniff(head_, false);
    if (verdict == PlaylistParser::Verdict::NotPlaylist) {
        decide(Result::Kind::Stream);
    } else if (head_.size() >= MaxPlaylistBytes) {
        decideOnWhatCame(); // a playlist this long: take what came
    }
}

void StreamSniffer::onFinished() {
    const HttpGet::Error error = get_.error();
    if (isDefinitiveFailure(error)) {
        decide(Result::Kind::Failed);
        return;
    }
    head_ += get_.readBody();
    if (error == HttpGet::Error::None && head_.isEmpty()) {
        decide(Result::Kind::Failed); // an empty reply
        return;
    }
    decideOnWhatCame();
}

// A body of announced length is a file (or says it is one), which the engine may need to seek
// in (a film's index at its end): it asks for ranges of it on connections of its own.
bool StreamSniffer::isFile() const {
    return get_.contentLength() >= 0;
}

HttpGet::Phase StreamSniffer::phase() const {
    return get_.phase();
}

void StreamSniffer::decideOnWhatCame() {
    if (auto playlist = PlaylistParser::parse(head_, get_.url())) {
        decide(Result::Kind::Playlist, *playlist);
    } else {
        decide(Result::Kind::Stream);
    }
}

// An HLS media playlist with its end (or of a film); a DASH manifest that is not live ("static"
// is its type unless it says "dynamic").
bool StreamSniffer::saysItEnds(const QByteArray& text) {
    if (text.contains("<MPD")) {
        return !text.contains("type=\"dynamic\"") && !text.contains("type='dynamic'");
    }
    return text.contains("#EXT-X-ENDLIST") || text.contains("#EXT-X-PLAYLIST-TYPE:VOD");
}

void StreamSniffer::decide(Result::Kind kind, const Playlist& playlist) {
    Result result;
    result.kind = kind;
    result.entries = playlist.entries;
    result.entriesLeftOut = playlist.entriesLeftOut;
    if (playlist.binary) {
        result.kind = Result::Kind::Failed; // no text: nothing in it is an address
        result.binaryPlaylist = true;
    }
    result.error = get_.error();
    result.status = get_.status();
    result.bodyStart = head_.first(qMin(head_.size(), HeadSampleBytes));
    if (kind == Result::Kind::Stream && looksLikeHtml(head_)) {
        result.kind = Result::Kind::Failed;
        result.webPage = true;
    } else if (kind == Result::Kind::Stream && get_.isRunning() &&
               (!isFile() || libVlcTakesForAPlaylist(get_.url()))) {
        // A stream still coming: it is read from this connection, so that a server that takes
        // one client at a time is not asked a second time. A file is opened by the engine
        // itself, unless its name would mislead the engine.
        result.connection = get_.takeConnection(head_);
    } else if (kind == Result::Kind::Stream) {
        result.ends = saysItEnds(head_);
    }
    auto done = std::move(done_);
    abort();
    if (done) {
        done(result);
    }
}

} // namespace orvanto
