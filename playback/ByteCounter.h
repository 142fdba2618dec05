#pragma once

#include <QtGlobal>

namespace orvanto {

// Adds up a byte count that the engine keeps in 32 bits and that wraps around after 2 GiB (or
// 4 GiB): each new reading adds its unsigned difference to the previous one.
class ByteCounter {
public:
    // Starts over for a new media, whose own count starts at 0.
    void restart() { last_ = 0; }
    void clear() {
        last_ = 0;
        total_ = 0;
    }

    // Takes a reading of the engine's count; returns how much it grew (0: not at all).
    quint32 update(quint32 reading) {
        const quint32 delta = reading - last_; // well-defined modulo 2^32
        last_ = reading;
        total_ += delta;
        return delta;
    }

    quint64 total() const { return total_; }

private:
    quint32 last_ = 0;
    quint64 total_ = 0;
};

} // namespace orvanto
