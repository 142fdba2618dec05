#pragma once

#include "catalogue/BuiltinStations.h"

#include <QStringList>

namespace orvanto {

class Catalogue;

// The paged station buttons: page numbers and what each page option shows.
class StationPages {
public:
    static constexpr int ButtonCount = 18; // station buttons on the panel
    static constexpr int PageCount = 5;    // page options 0..4
    static constexpr int AlarmPage = 5;    // page option 5 shows the alarm page instead

    // What a page option shows.
    struct View {
        bool stationPanel = false;
        bool alarmControls = false;
        QStringList stations; // captions for buttons 0.., in catalogue order
    };

    explicit StationPages(Catalogue& catalogue);

    // Registers the regular stations (if any are to come), numbers their pages (station k is on
    // page (k-1) / 18 as button (k-1) mod 18), then registers the adult stations, which keep no
    // page. Stations beyond the last page get no page either, as there is no option to show them.
    // Returns the number of pages in use.
    int build(const StationRegistrations& registrations);

    int pagesInUse() const { return pagesInUse_; }

    // The names of the stations on `page`, in catalogue order.
    QStringList stationsOn(int page) const;

    // What page option `option` (0..5) shows.
    View choose(int option) const;

private:
    Catalogue& catalogue_;
    int pagesInUse_ = 0;
};

} // namespace orvanto
