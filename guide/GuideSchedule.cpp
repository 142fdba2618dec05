#include "guide/GuideSchedule.h"

#include <algorithm>

namespace orvanto {

GuideSchedule::GuideSchedule(int count)
    : first_(static_cast<size_t>(std::max(count, 0)) + 1, 0), counts_(first_.size(), 0),
      isMatched_(first_.size(), false) {}

void GuideSchedule::add(int channel, const std::vector<ProgrammeSlot>& slots) {
    if (channel < 1 || channel > count() || isMatched_[static_cast<size_t>(channel)]) {
        return;
    }
    const size_t c = static_cast<size_t>(channel);
    isMatched_[c] = true;
    ++matched_;
    first_[c] = static_cast<std::uint32_t>(slots_.size());
    const size_t kept = std::min<size_t>(slots.size(), Depth);
    counts_[c] = static_cast<std::uint8_t>(kept);
    slots_.insert(slots_.end(), slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(kept));
    // With all Depth kept the store may hold more: once the last but one has ended, the one
    // after the last is not known.
    if (kept == Depth) {
        const qint64 until = slots_[first_[c] + Depth - 2].stop;
        validUntil_ = validUntil_ == 0 ? until : std::min(validUntil_, until);
    }
}

bool GuideSchedule::matched(int channel) const {
    return channel >= 1 && channel <= count() && isMatched_[static_cast<size_t>(channel)];
}

GuideSchedule::NowNext GuideSchedule::at(int channel, qint64 time) const {
    NowNext result;
    if (!matched(channel)) {
        return result;
    }
    const size_t c = static_cast<size_t>(channel);
    const ProgrammeSlot* begin = slots_.data() + first_[c];
    const ProgrammeSlot* end = begin + counts_[c];
    const ProgrammeSlot* it =
        std::find_if(begin, end, [time](const ProgrammeSlot& slot) { return slot.stop > time; });
    if (it == end) {
        return result;
    }
    if (it->start <= time) {
        result.now = it;
        ++it;
    }
    if (it != end) {
        result.next = it;
    }
    return result;
}

qint64 GuideSchedule::nextChange(qint64 time) const {
    qint64 earliest = 0;
    for (const ProgrammeSlot& slot : slots_) {
        for (const qint64 moment : {slot.start, slot.stop}) {
            if (moment > time && (earliest == 0 || moment < earliest)) {
                earliest = moment;
            }
        }
    }
    return earliest;
}

} // namespace orvanto
