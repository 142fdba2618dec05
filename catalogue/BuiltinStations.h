#pragma once

#include <functional>

namespace orvanto {

class Catalogue;

// The built-in regular stations, registered one (name, address) pair at a time in table order.
void RegisterStations(Catalogue& catalogue);
// The twelve adult stations, registered after the regular stations have their pages.
void RegisterAdultStations(Catalogue& catalogue);

// The two steps that fill the catalogue at start-up: the regular stations, which get pages,
// then the adult stations, which never do. A step left empty registers nothing.
struct StationRegistrations {
    std::function<void(Catalogue&)> regular;
    std::function<void(Catalogue&)> adult;
};

// The built-in station tables.
StationRegistrations builtinStationRegistrations();
// The adult stations alone: for a catalogue that already holds the user's playlist.
StationRegistrations adultStationRegistrations();

} // namespace orvanto
