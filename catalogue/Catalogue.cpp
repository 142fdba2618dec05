#include "catalogue/Catalogue.h"

#include <cassert>

namespace orvanto {

Catalogue::Catalogue() : stations_(1) {}

int Catalogue::FindStation(const QString& name) const {
    int found = NotFound;
    // No early exit: with duplicate names the higher index wins.
    for (int i = 1; i <= StationCount(); ++i) {
        if (stations_[static_cast<size_t>(i)].Name == name) {
            found = i;
        }
    }
    return found;
}

Catalogue::AddResult Catalogue::AddStreamUrl(const QString& name, const QString& url) {
    const int index = FindStation(name);
    if (index != NotFound) {
        Station& existing = stations_[static_cast<size_t>(index)];
        const int slot = existing.LastUrlIndex + 1;
        if (slot >= Station::MaxUrls) {
            return AddResult::StationFull;
        }
        existing.StreamUrls[static_cast<size_t>(slot)] = url;
        existing.LastUrlIndex = slot;
        return AddResult::Added;
    }
    Station& created = stations_.emplace_back();
    created.LastUrlIndex = 0;
    created.Name = name;
    created.StreamUrls[0] = url;
    created.Page = Station::NoPage;
    return AddResult::CreatedStation;
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
