#include "catalogue/Catalogue.h"

#include <cassert>

namespace orvanto {

Catalogue::Catalogue() : stations_(1) {}

int Catalogue::FindStation(const QString& name) const {
    if (nameSlots_.empty()) {
        return NotFound;
    }
    // A name is registered once: AddStreamUrl() adds to the station that has it.
    const size_t mask = nameSlots_.size() - 1;
    for (size_t slot = qHash(name) & mask;; slot = (slot + 1) & mask) {
        const qint32 index = nameSlots_[slot];
        if (index == 0) {
            return NotFound;
        }
        if (stations_[static_cast<size_t>(index)].Name == name) {
            return index;
        }
    }
}

void Catalogue::indexName(int index) {
    if (static_cast<size_t>(StationCount()) * 2 > nameSlots_.size()) {
        growNameSlots(static_cast<size_t>(StationCount()));
        return; // growing placed every station, this one too
    }
    const size_t mask = nameSlots_.size() - 1;
    size_t slot = qHash(stations_[static_cast<size_t>(index)].Name) & mask;
    while (nameSlots_[slot] != 0) {
        slot = (slot + 1) & mask;
    }
    nameSlots_[slot] = index;
}

void Catalogue::growNameSlots(size_t wanted) {
    size_t size = 16;
    while (size < wanted * 2) {
        size *= 2;
    }
    if (size <= nameSlots_.size()) {
        return;
    }
    nameSlots_.assign(size, 0);
    const size_t mask = size - 1;
    for (int index = 1; index <= StationCount(); ++index) {
        size_t slot = qHash(stations_[static_cast<size_t>(index)].Name) & mask;
        while (nameSlots_[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        nameSlots_[slot] = index;
    }
}

Catalogue::AddResult Catalogue::AddStreamUrl(const QString& name, const StreamAddress& address,
                                             const QString& group, const StationTags& tags,
                                             const Catchup& catchup) {
    const int index = FindStation(name);
    if (index != NotFound) {
        Station& existing = stations_[static_cast<size_t>(index)];
        const int slot = existing.LastUrlIndex + 1;
        if (slot >= Station::MaxUrls) {
            return AddResult::StationFull;
        }
        existing.StreamUrls.append(address, catchup);
        existing.LastUrlIndex = slot;
        existing.Tags = existing.Tags.filledFrom(tags);
        return AddResult::Added;
    }
    Station& created = stations_.emplace_back();
    created.LastUrlIndex = 0;
    created.Name = name;
    created.Group = group;
    created.Tags = tags;
    created.StreamUrls.append(address, catchup);
    created.Page = Station::NoPage;
    indexName(StationCount());
    return AddResult::CreatedStation;
}

void Catalogue::reserve(int stations) {
    stations_.reserve(static_cast<size_t>(stations) + 1);
    growNameSlots(static_cast<size_t>(stations));
}

const Station& Catalogue::station(int index) const {
    assert(index >= 1 && index <= StationCount());
    return stations_[static_cast<size_t>(index)];
}

void Catalogue::setPage(int index, int page) {
    assert(index >= 1 && index <= StationCount());
    stations_[static_cast<size_t>(index)].Page = page;
}

int Catalogue::urlCount() const {
    int count = 0;
    for (const Station& s : *this) {
        count += s.urlCount();
    }
    return count;
}

} // namespace orvanto
