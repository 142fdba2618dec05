#pragma once

#include "core/StreamAddress.h"

#include <QString>
#include <cstddef>
#include <vector>

namespace orvanto {

// A station's candidate addresses in order, each with the HTTP headers its list asks for. Only
// the filled slots take memory, so that a list of many thousands of stations stays small; a slot
// beyond the last filled one reads as an empty string, as an unused slot always has.
class StreamUrlList {
public:
    const QString& operator[](std::size_t slot) const { return address(slot).url; }
    const StreamAddress& address(std::size_t slot) const {
        static const StreamAddress unused;
        return slot < addresses_.size() ? addresses_[slot] : unused;
    }
    std::size_t size() const { return addresses_.size(); }
    void append(const StreamAddress& address) { addresses_.push_back(address); }

private:
    std::vector<StreamAddress> addresses_;
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
};

} // namespace orvanto
