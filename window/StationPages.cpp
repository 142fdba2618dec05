#include "window/StationPages.h"

#include "catalogue/Catalogue.h"

#include <algorithm>

namespace orvanto {

StationPages::StationPages(Catalogue& catalogue) : catalogue_(catalogue) {}

int StationPages::build(const StationRegistrations& registrations) {
    paged_.clear(); // the catalogue is new: earlier numbers mean nothing in it
    if (registrations.regular) {
        registrations.regular(catalogue_);
    }
    regularCount_ = catalogue_.StationCount();
    showFavourites({});
    if (registrations.adult) {
        registrations.adult(catalogue_);
    }
    return pagesInUse_;
}

int StationPages::showFavourites(const QStringList& favourites) {
    std::vector<int> indices;
    for (const QString& name : favourites) {
        const int index = catalogue_.FindStation(name);
        if (index != Catalogue::NotFound && index <= regularCount_ &&
            std::find(indices.begin(), indices.end(), index) == indices.end()) {
            indices.push_back(index);
        }
    }
    if (indices.empty()) {
        const int paged = std::min(regularCount_, ButtonCount * PageCount);
        for (int i = 1; i <= paged; ++i) {
            indices.push_back(i);
        }
    }
    number(indices);
    return pagesInUse_;
}

void StationPages::number(const std::vector<int>& indices) {
    for (const int index : paged_) {
        catalogue_.setPage(index, Station::NoPage);
    }
    paged_.assign(indices.begin(),
                  indices.begin() +
                      std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(indices.size()),
                                               ButtonCount * PageCount));
    for (size_t i = 0; i < paged_.size(); ++i) {
        catalogue_.setPage(paged_[i], static_cast<int>(i) / ButtonCount);
    }
    pagesInUse_ = (static_cast<int>(paged_.size()) + ButtonCount - 1) / ButtonCount;
}

QStringList StationPages::stationsOn(int page) const {
    QStringList names;
    if (page < 0) {
        return names;
    }
    const size_t first = static_cast<size_t>(page) * ButtonCount;
    for (size_t i = first; i < paged_.size() && i < first + ButtonCount; ++i) {
        names << catalogue_.station(paged_[i]).Name;
    }
    return names;
}

QString StationPages::neighbour(const QString& name, int step) const {
    const auto count = static_cast<std::ptrdiff_t>(paged_.size());
    if (count == 0) {
        return {};
    }
    const auto at = std::find_if(paged_.begin(), paged_.end(), [this, &name](int index) {
        return catalogue_.station(index).Name == name;
    });
    std::ptrdiff_t position = 0;
    if (at != paged_.end()) {
        position = ((at - paged_.begin() + step) % count + count) % count;
    } else if (step < 0) {
        position = count - 1;
    }
    return catalogue_.station(paged_[static_cast<size_t>(position)]).Name;
}

StationPages::View StationPages::choose(int option) const {
    View view;
    if (option == AlarmPage) {
        view.alarmControls = true;
    } else if (option >= 0 && option < PageCount) {
        view.stationPanel = true;
        view.stations = stationsOn(option);
    }
    return view;
}

} // namespace orvanto
