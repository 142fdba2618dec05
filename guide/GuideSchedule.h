#pragma once

#include "guide/GuideStore.h"

#include <cstdint>
#include <vector>

namespace orvanto {

// What is on and what comes next on each channel of a list, held in memory for the browser's
// columns and the station buttons' tips: for each channel its programmes from the time it was
// filled on, Depth at most. The times at which the display changes, and the time after which the
// schedule must be filled again, follow from them, so nothing needs to ask every row.
class GuideSchedule {
public:
    static constexpr int Depth = 4;

    struct NowNext {
        const ProgrammeSlot* now = nullptr;  // on at the time asked, or nullptr
        const ProgrammeSlot* next = nullptr; // the one after, or nullptr
    };

    // Channels 1..count, none matched yet.
    explicit GuideSchedule(int count = 0);

    int count() const { return static_cast<int>(first_.size()) - 1; }

    // Channel `channel` has a guide: `slots` are its programmes ending after the time of
    // filling, in order (only the first Depth are kept). Channels are added in ascending order.
    void add(int channel, const std::vector<ProgrammeSlot>& slots);

    bool matched(int channel) const;
    int matchedCount() const { return matched_; }

    // What is on at `time` on `channel`, and what follows.
    NowNext at(int channel, qint64 time) const;

    // The first time after `time` at which any channel's now or next changes; 0 when none does.
    qint64 nextChange(qint64 time) const;
    // Until when the schedule can tell now and next for every channel; after it, it is to be
    // filled again. 0 when it never runs out.
    qint64 validUntil() const { return validUntil_; }

private:
    std::vector<ProgrammeSlot> slots_;
    std::vector<std::uint32_t> first_; // channel c's slots start at first_[c]; one per channel
    std::vector<std::uint8_t> counts_;
    std::vector<bool> isMatched_;
    int matched_ = 0;
    qint64 validUntil_ = 0;
};

} // namespace orvanto
