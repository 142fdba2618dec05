#include "guide/PreviousProgrammes.h"

#include <algorithm>

namespace orvanto {

void PreviousProgrammes::sort() {
    std::sort(rows_.begin(), rows_.end(),
              [](const Row& a, const Row& b) { return a.digest < b.digest; });
    handled_.assign(rows_.size(), false);
    // Each digest's first row, in an open-addressed table at most half full: a look-up is a
    // probe or two where a search of the sorted rows would miss the cache at every step.
    size_t slots = 16;
    while (slots < rows_.size() * 2) {
        slots *= 2;
    }
    mask_ = slots - 1;
    slots_.assign(slots, Empty);
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (i > 0 && rows_[i - 1].digest == rows_[i].digest) {
            continue;
        }
        size_t slot = size_t(rows_[i].digest) & mask_;
        while (slots_[slot] != Empty) {
            slot = (slot + 1) & mask_;
        }
        slots_[slot] = quint32(i);
    }
}

void PreviousProgrammes::clear() {
    rows_ = {};
    handled_ = {};
    slots_ = {};
}

std::vector<PreviousProgrammes::Row>::iterator PreviousProgrammes::first(quint64 digest) {
    if (slots_.empty()) {
        return rows_.end();
    }
    for (size_t slot = size_t(digest) & mask_; slots_[slot] != Empty; slot = (slot + 1) & mask_) {
        if (rows_[slots_[slot]].digest == digest) {
            return rows_.begin() + qsizetype(slots_[slot]);
        }
    }
    return rows_.end();
}

bool PreviousProgrammes::takeStale(quint64 digest, qint64 channel, qint64 stop) {
    for (auto it = first(digest); it != rows_.end() && it->digest == digest; ++it) {
        const size_t index = size_t(it - rows_.begin());
        if (it->channel == channel && it->stop == stop) {
            if (handled_[index]) {
                return false;
            }
            handled_[index] = true;
            return true;
        }
    }
    return false;
}

} // namespace orvanto
