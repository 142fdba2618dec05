#include "guide/GuideMatch.h"

#include "catalogue/ChannelFilter.h"

namespace orvanto {

GuideChannelIndex::GuideChannelIndex(const std::vector<StoredChannel>& channels) {
    exact_.reserve(static_cast<qsizetype>(channels.size()));
    for (const StoredChannel& channel : channels) {
        exact_.insert(channel.id, channel.key);
        // The first channel of a name (or of an id that differs only in case) keeps it.
        const QString folded = channel.id.toCaseFolded();
        if (!folded_.contains(folded)) {
            folded_.insert(folded, channel.key);
        }
        for (const QString& name : channel.names) {
            const QString key = foldForSearch(name.trimmed());
            if (!names_.contains(key)) {
                names_.insert(key, channel.key);
            }
        }
    }
}

qint64 GuideChannelIndex::byId(const QString& id) const {
    if (id.isEmpty()) {
        return 0;
    }
    const auto exact = exact_.constFind(id);
    if (exact != exact_.cend()) {
        return *exact;
    }
    return folded_.value(id.toCaseFolded(), 0);
}

qint64 GuideChannelIndex::byName(const QString& name) const {
    if (name.trimmed().isEmpty()) {
        return 0;
    }
    return names_.value(foldForSearch(name.trimmed()), 0);
}

std::vector<GuideMatch> matchChannels(const std::vector<ListedChannel>& channels,
                                      const std::vector<GuideChannelIndex>& guides) {
    std::vector<GuideMatch> matches(channels.size());
    for (size_t i = 0; i < channels.size(); ++i) {
        const ListedChannel& channel = channels[i];
        GuideMatch& match = matches[i];
        auto tryEach = [&](auto&& find) {
            for (size_t g = 0; g < guides.size() && !match.matched(); ++g) {
                if (const qint64 key = find(guides[g]); key != 0) {
                    match = {static_cast<int>(g), key};
                }
            }
        };
        tryEach([&](const GuideChannelIndex& guide) { return guide.byId(channel.tags.id()); });
        tryEach([&](const GuideChannelIndex& guide) { return guide.byName(channel.tags.name()); });
        tryEach([&](const GuideChannelIndex& guide) { return guide.byName(channel.name); });
    }
    return matches;
}

} // namespace orvanto
