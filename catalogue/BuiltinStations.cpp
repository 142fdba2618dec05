#include "catalogue/BuiltinStations.h"

#include "catalogue/Catalogue.h"
#include "catalogue/StationTable.h"

namespace orvanto {

namespace {

void registerTable(Catalogue& catalogue, std::span<const StationUrl> table) {
    for (const StationUrl& row : table) {
        [[maybe_unused]] const Catalogue::AddResult result =
            catalogue.AddStreamUrl(QString::fromUtf16(row.name), QString::fromUtf16(row.url));
        // The longest built-in station has 40 candidates, far below Station::MaxUrls.
        Q_ASSERT(result != Catalogue::AddResult::StationFull);
    }
}

} // namespace

void RegisterStations(Catalogue& catalogue) {
    registerTable(catalogue, RegularStationTable());
}

void RegisterAdultStations(Catalogue& catalogue) {
    registerTable(catalogue, AdultStationTable());
}

StationRegistrations builtinStationRegistrations() {
    return {RegisterStations, RegisterAdultStations};
}

StationRegistrations adultStationRegistrations() {
    return {{}, RegisterAdultStations};
}

} // namespace orvanto
