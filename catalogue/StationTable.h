#pragma once

#include <span>

namespace orvanto {

// One row of a built-in station table: a station name and one of its stream addresses, both
// exactly as they are registered (blanks and case included).
struct StationUrl {
    const char16_t* name;
    const char16_t* url;
};

// The regular stations, in registration order.
std::span<const StationUrl> RegularStationTable();
// The adult stations, in registration order.
std::span<const StationUrl> AdultStationTable();

} // namespace orvanto
