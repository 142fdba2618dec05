#pragma once

#include "catalogue/Catchup.h"
#include "core/StreamAddress.h"

#include <QString>
#include <cstddef>
#include <utility>
#include <vector>

namespace orvanto {

// A station's candidate addresses in order, each with the HTTP headers its list asks for and,
// where the list gives one, how its archive is addressed. Only the filled slots take memory, and
// only the addresses with an archive keep one, so that a list of many thousands of stations stays
// small; a slot beyond the last filled one reads as an empty string, as an unused slot always
// has.
class StreamUrlList {
public:
    const QString& operator[](std::size_t slot) const { return address(slot).url; }
    const StreamAddress& address(std::size_t slot) const {
        static const StreamAddress unused;
        return slot < addresses_.size() ? addresses_[slot] : unused;
    }
    // The archive of the address in `slot`; one that is not enabled() where it has none.
    const Catchup& catchup(std::size_t slot) const {
        static const Catchup none;
        for (const auto& [at, catchup] : catchups_) {
            if (at == slot) {
                return catchup;
            }
        }
        return none;
    }
    bool hasCatchup() const { return !catchups_.empty(); }
    std::size_t size() const { return addresses_.size(); }
    void append(const StreamAddress& address, const Catchup& catchup = {}) {
        if (catchup.enabled()) {
            catchups_.emplace_back(addresses_.size(), catchup);
        }
        addresses_.push_back(address);
    }

private:
    std::vector<StreamAddress> addresses_;
    std::vector<std::pair<std::size_t, Catchup>> catchups_; // by slot, in order
};

// How a channel list names a station for its programme guide: the tvg-id and tvg-name of its
// entries, and the address of its logo. Any of them may be empty.
struct StationTags {
    QString id;
    QString name;
    QString logo;
};

// One entry of the catalogue: a display name, its group, its guide tags and its ordered candidate
// stream addresses.
struct Station {
    static constexpr int MaxUrls = 100;
    static constexpr int NoPage = -1;

    QString Name;
    QString Group;            // the list's group-title of the station, or empty
    StationTags Tags;         // from the list's entries; empty for the built-in stations
    StreamUrlList StreamUrls; // slots 0..LastUrlIndex are filled
    int LastUrlIndex = 0;     // index of the last filled slot
    int Page = NoPage;        // station page 0..4, or NoPage

    int urlCount() const { return LastUrlIndex + 1; }
    // Some address of the station has an archive.
    bool hasCatchup() const { return StreamUrls.hasCatchup(); }
};

} // namespace orvanto
