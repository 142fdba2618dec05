#include "catalogue/Catalogue.h"

#include <cassert>

namespace orvanto {

Catalogue::Catalogue() : stations_(1) {}

int Catalogue::FindStation(const QString& name) const {
    // A name is registered once; should it ever be registered again, the higher index wins.
    return byName_.value(name, NotFound);
}

namespace {

void fillMissing(QString& kept, const QString& offered) {
    if (kept.isEmpty()) {
        kept = offered;
    }
}

void fillMissing(StationTags& kept, const StationTags& offered) {
    fillMissing(kept.id, offered.id);
    fillMissing(kept.name, offered.name);
    fillMissing(kept.logo, offered.logo);
}

} // namespace

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
        fillMissing(existing.Tags, tags);
        return AddResult::Added;
    }
    Station& created = stations_.emplace_back();
    created.LastUrlIndex = 0;
    created.Name = name;
    created.Group = group;
    created.Tags = tags;
    created.StreamUrls.append(address, catchup);
    created.Page = Station::NoPage;
    byName_.insert(name, StationCount());
    return AddResult::CreatedStation;
}

void Catalogue::reserve(int stations) {
    stations_.reserve(static_cast<size_t>(stations) + 1);
    byName_.reserve(stations);
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
