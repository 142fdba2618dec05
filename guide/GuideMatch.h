#pragma once

#include "catalogue/Station.h"
#include "guide/GuideStore.h"

#include <QHash>
#include <QString>
#include <vector>

namespace orvanto {

// A channel of the list, as the guide is matched to it.
struct ListedChannel {
    QString name; // as the list names it
    StationTags tags;
};

// The channels of one guide, found by id or by name.
class GuideChannelIndex {
public:
    GuideChannelIndex() = default;
    explicit GuideChannelIndex(const std::vector<StoredChannel>& channels);

    // The key of the channel whose id is `id` exactly, else ignoring case; 0 when none is.
    qint64 byId(const QString& id) const;
    // The key of the channel one of whose display-names is `name`, ignoring case and accents
    // as the channel browser's search does; 0 when none is.
    qint64 byName(const QString& name) const;

    int size() const { return static_cast<int>(exact_.size()); }

private:
    QHash<QString, qint64> exact_;
    QHash<QString, qint64> folded_;
    QHash<QString, qint64> names_;
};

// Where a list's channel finds its programmes: which guide of the list, and its channel there.
struct GuideMatch {
    int source = -1; // index into the guides; -1: no guide has the channel
    qint64 key = 0;

    bool matched() const { return source >= 0; }
};

// Matches each channel to a guide's channel: by tvg-id to a guide channel's id (exactly, then
// ignoring case), else by tvg-name, else by its name, to a display-name. Ids are tried in every
// guide before names are; among guides, the earlier wins.
std::vector<GuideMatch> matchChannels(const std::vector<ListedChannel>& channels,
                                      const std::vector<GuideChannelIndex>& guides);

} // namespace orvanto
