#pragma once

#include "core/StreamAddress.h"
#include "net/HttpGet.h"

#include <QByteArray>
#include <QList>
#include <QUrl>
#include <functional>
#include <memory>

namespace orvanto {

class StreamConnection;

// Finds out what an address serves before the engine opens it: a playlist, a stream, or
// nothing at all.
class Sniffer {
public:
    struct Result {
        enum class Kind {
            Playlist, // entries (possibly none) of the playlist found
            Stream,   // play the address itself
            Failed,   // no stream there: refused, unknown host, HTTP error, empty reply, a page
        };
        Kind kind = Kind::Failed;
        QList<QUrl> entries;
        // Stream: the connection the look was made on, still open, with the stream's bytes
        // still to come (the first ones included); the stream is read from it rather than from
        // a new connection. Null when the engine is to open the address itself.
        std::shared_ptr<StreamConnection> connection;
        // Stream: an HLS playlist or DASH manifest that says its stream ends (a film, not live).
        bool ends = false;
        // Failed: the server sent a web page, which no player plays.
        bool webPage = false;
        // Failed: what came began as a playlist does, but is binary data.
        bool binaryPlaylist = false;
        // Playlist: entries beyond the bound of one playlist, left out.
        int entriesLeftOut = 0;
        // Why it failed (Failed), the final response's status (0 without one), and the first
        // bytes of its body (bounded), for those who want to tell more.
        HttpGet::Error error = HttpGet::Error::None;
        int status = 0;
        QByteArray bodyStart;
    };

    virtual ~Sniffer() = default;

    // Starts looking at `url`, asking with `headers`; `done` is called once, later (never from
    // inside start()), unless abort() comes first. A second start() aborts the first.
    virtual void start(const QUrl& url, const HttpHeaders& headers,
                       std::function<void(const Result&)> done) = 0;
    virtual void abort() = 0;
    // What the look under way is doing (Idle when none is).
    virtual HttpGet::Phase phase() const = 0;
};

} // namespace orvanto
