#pragma once

namespace orvanto {

class Catalogue;

// The built-in regular stations, registered one (name, address) pair at a time in table order.
void RegisterStations(Catalogue& catalogue);
// The twelve adult stations, registered after the regular stations have their pages.
void RegisterAdultStations(Catalogue& catalogue);

} // namespace orvanto
