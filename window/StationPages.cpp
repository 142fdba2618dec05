#include "window/StationPages.h"

#include "catalogue/Catalogue.h"

#include <algorithm>

namespace orvanto {

StationPages::StationPages(Catalogue& catalogue) : catalogue_(catalogue) {}

int StationPages::build(const StationRegistrations& registrations) {
    if (registrations.regular) {
        registrations.regular(catalogue_);
    }
    const int regular = catalogue_.StationCount();
    const int paged = std::min(regular, ButtonCount * PageCount);
    for (int i = 0; i < paged; ++i) {
        catalogue_.setPage(i + 1, i / ButtonCount);
    }
    pagesInUse_ = (paged + ButtonCount - 1) / ButtonCount;
    if (registrations.adult) {
        registrations.adult(catalogue_);
    }
    return pagesInUse_;
}

QStringList StationPages::stationsOn(int page) const {
    QStringList names;
    for (const Station& station : catalogue_) {
        if (station.Page == page && names.size() < ButtonCount) {
            names << station.Name;
        }
    }
    return names;
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
