#include "catalogue/StationTable.h"

namespace orvanto {

namespace {

// The twelve adult stations, three candidates each, in registration order. They are registered
// after the station pages are assigned, so they never appear on a station button.
// clang-format off
constexpr StationUrl kAdultStations[] = {
    {u"ADULT 1",  u"mms://adult.example.net/one"},
    {u"ADULT 1",  u"http://a1.adult.example.org:8000/"},
    {u"ADULT 1",  u"mms://relay1.adult.example.org:1755/"},
    {u"ADULT 2",  u"mms://adult.example.net/two"},
    {u"ADULT 2",  u"http://a2.adult.example.org:8000/"},
    {u"ADULT 2",  u"mms://relay2.adult.example.org/two"},
    {u"ADULT 3",  u"mms://adult.example.net/three"},
    {u"ADULT 3",  u"http://www.adult.example.org/player.php"},
    {u"ADULT 3",  u"mms://relay3.adult.example.org:1755/"},
    {u"ADULT 4",  u"mms://adult.example.net/four"},
    {u"ADULT 4",  u"http://www.adult.example.org/player.php"},
    {u"ADULT 4",  u"mms://relay4.adult.example.org/four"},
    {u"ADULT 5",  u"http://five.adult.example.org/watch.php?id=five/"},
    {u"ADULT 5",  u"mms://relay5.adult.example.org/five"},
    {u"ADULT 5",  u"http://five.adult.example.org/five.asx"},
    {u"ADULT 6",  u"mms://adult.example.net/six"},
    {u"ADULT 6",  u"mms://relay6.adult.example.org:1755/"},
    {u"ADULT 6",  u"mms://backup.adult.example.org/six"},
    {u"ADULT 7",  u"mms://adult.example.net/seven"},
    {u"ADULT 7",  u"mms://relay7.adult.example.org:1755/"},
    {u"ADULT 7",  u"mms://backup.adult.example.org/seven"},
    {u"ADULT 8",  u"mms://adult.example.net/eight"},
    {u"ADULT 8",  u"mms://relay1.adult.example.org:1755/"},
    {u"ADULT 8",  u"mms://backup.adult.example.org/eight"},
    {u"ADULT 9",  u"mms://adult.example.net/eight"},
    {u"ADULT 9",  u"mms://relay9.adult.example.org:1755/"},
    {u"ADULT 9",  u"mms://backup.adult.example.org/nine"},
    {u"ADULT 10", u"mms://adult.example.net/ten"},
    {u"ADULT 10", u"mms://relay7.adult.example.org:1755/"},
    {u"ADULT 10", u"mms://backup.adult.example.org/ten"},
    {u"ADULT 11", u"mms://adult.example.net/eleven"},
    {u"ADULT 11", u"mms://relay11.adult.example.org:1755/"},
    {u"ADULT 11", u"mms://backup.adult.example.org/eleven"},
    {u"ADULT 12", u"mms://adult.example.net/twelve"},
    {u"ADULT 12", u"mms://relay12.adult.example.org:1755/"},
    {u"ADULT 12", u"mms://backup.adult.example.org/twelve"},
};
// clang-format on

} // namespace

std::span<const StationUrl> AdultStationTable() {
    return kAdultStations;
}

} // namespace orvanto
