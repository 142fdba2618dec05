#include "check/CheckSummary.h"

namespace orvanto {

int CheckSummary::stationsPlaying() const {
    int n = 0;
    for (const Count& count : stations) {
        n += count.playing > 0 ? 1 : 0;
    }
    return n;
}

CheckSummary summaryOf(const CheckList& list, const QDateTime& when) {
    CheckSummary summary;
    summary.checked = when;
    summary.stations.reserve(qsizetype(list.stations.size()));
    for (const CheckStation& station : list.stations) {
        summary.stations.insert(station.name,
                                {station.playing(), static_cast<int>(station.addresses.size())});
    }
    return summary;
}

} // namespace orvanto
