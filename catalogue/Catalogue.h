#pragma once

#include "catalogue/Station.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace orvanto {

// The in-memory list of stations. Stations occupy indices 1..StationCount() in the order of
// their first registration; index 0 exists but is never used, and an index never changes.
class Catalogue {
public:
    static constexpr int NotFound = -1;

    enum class AddResult { Added, CreatedStation, StationFull };

    Catalogue();

    int StationCount() const { return static_cast<int>(stations_.size()) - 1; }

    // Index of the station whose name equals `name` exactly (case-sensitive, nothing trimmed),
    // or NotFound. Should two stations share a name, the later one wins.
    int FindStation(const QString& name) const;

    // Appends `address` (with its archive, `catchup`) to the station called `name`, creating that
    // station at the end of the catalogue if there is none; a created station takes `group`,
    // later ones leave it as it is.
    // Of `tags`, each one the station still lacks is taken. A station that already holds
    // Station::MaxUrls addresses refuses the address (StationFull) and the catalogue stays as it
    // was.
    AddResult AddStreamUrl(const QString& name, const StreamAddress& address,
                           const QString& group = {}, const StationTags& tags = {},
                           const Catchup& catchup = {});

    // Where the list's programme guide is, as its header gives it (url-tvg, x-tvg-url): the
    // addresses as written, in order. Empty for the built-in stations.
    const QStringList& guideAddresses() const { return guideAddresses_; }
    void setGuideAddresses(const QStringList& addresses) { guideAddresses_ = addresses; }

    // Makes room for `stations` stations in all, so that a long list grows without copies.
    void reserve(int stations);

    // Valid for indices 1..StationCount().
    const Station& station(int index) const;
    void setPage(int index, int page);

    // All stations, in index order, without the unused slot 0.
    std::vector<Station>::const_iterator begin() const { return stations_.begin() + 1; }
    std::vector<Station>::const_iterator end() const { return stations_.end(); }

    // Total number of addresses over all stations.
    int urlCount() const;

private:
    void indexName(int index);
    void growNameSlots(size_t wanted);

    std::vector<Station> stations_;
    // The stations by name, so that large lists register in linear time: an open-addressed
    // table of station indices (0: free), at most half full, probed from the name's hash on.
    // Four bytes a slot where a hash of names took some forty a station.
    std::vector<qint32> nameSlots_;
    QStringList guideAddresses_;
};

} // namespace orvanto
