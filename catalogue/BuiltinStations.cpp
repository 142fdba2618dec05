#include "catalogue/BuiltinStations.h"

#include "catalogue/Catalogue.h"

namespace orvanto {

// Placeholder until the station tables land.
void RegisterStations(Catalogue& catalogue) {
    catalogue.AddStreamUrl(QStringLiteral("MAD TV"), QStringLiteral("mms://tv.example.com/mad"));
}

void RegisterAdultStations(Catalogue& catalogue) {
    catalogue.AddStreamUrl(QStringLiteral("ADULT 1"), QStringLiteral("mms://a.example.net/1"));
}

} // namespace orvanto
