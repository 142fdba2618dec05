#pragma once

#include <QByteArrayView>

namespace orvanto {

// Where an HTTP head ends: the empty line after its last header. Servers end lines with CRLF,
// and some with a bare LF, so "\n\n" ends a head as "\n\r\n" does.
struct HeadEnd {
    qsizetype end = -1;       // the length of the head up to its last line's end; -1: not yet
    qsizetype lineLength = 0; // the empty line's own length (1 or 2), which the body follows
    bool found() const { return end >= 0; }
};

// Searches `head` from `from` on (where an earlier search of a shorter head stopped: its last
// two bytes are looked at again, as an end may straddle two reads).
HeadEnd findHeadEnd(QByteArrayView head, qsizetype from = 0);

} // namespace orvanto
