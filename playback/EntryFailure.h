#pragma once

#include "net/Sniffer.h"

#include <QUrl>

namespace orvanto {

// Why an address (or an entry of the playlist it led to) gave way before it played: what the
// player saw, for those who say more than the play states do (the check's verdicts).
struct EntryFailure {
    enum class Kind {
        Sniffed,     // the look at the address found no stream there (see `sniff`)
        Unsupported, // the engine has no way to open addresses of this scheme
        EngineError, // the engine could not open it
        Ended,       // the engine ended it before anything decoded
        NotInTime,   // it did not play within the time an entry with a successor is given
    };

    Kind kind = Kind::EngineError;
    QUrl url;
    int depth = 0; // 0: the address itself; n: an entry of a playlist n levels down
    // What the look at the address found; empty (Kind::Failed, no status) when the address was
    // not looked at.
    Sniffer::Result sniff;
    bool engineGotData = false;     // the engine read or demultiplexed bytes of it
    bool engineFoundTracks = false; // the engine found audio or video in it
};

} // namespace orvanto
