#pragma once

#include "catalogue/BuiltinStations.h"

#include <QStringList>
#include <vector>

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
    // How many regular stations build() registered: catalogue indices 1..regularCount().
    int regularCount() const { return regularCount_; }

    // Puts the regular stations named in `favourites` on the pages, in that order, instead of
    // the first ones; names that are no regular station are passed over. With no favourite
    // left, the pages show the first stations again. Returns the number of pages in use.
    int showFavourites(const QStringList& favourites);

    // The names of the stations on `page`, in page order.
    QStringList stationsOn(int page) const;

    // The station `step` places after `name` (before it when negative) in page order, going
    // round from the last to the first; from a station not on the pages, the first one (or
    // with a negative step the last). Empty when the pages show no station.
    QString neighbour(const QString& name, int step) const;

    // What page option `option` (0..5) shows.
    View choose(int option) const;

private:
    void number(const std::vector<int>& indices);

    Catalogue& catalogue_;
    int regularCount_ = 0;
    int pagesInUse_ = 0;
    std::vector<int> paged_; // catalogue indices in page order
};

} // namespace orvanto
