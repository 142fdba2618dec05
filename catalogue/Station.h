#pragma once

#include <QString>
#include <array>

namespace orvanto {

// One entry of the catalogue: a display name and its ordered candidate stream addresses.
struct Station {
    static constexpr int MaxUrls = 100;
    static constexpr int NoPage = -1;

    QString Name;
    std::array<QString, MaxUrls> StreamUrls; // unused slots hold empty strings
    int LastUrlIndex = 0;                    // index of the last filled slot
    int Page = NoPage;                       // station page 0..4, or NoPage

    int urlCount() const { return LastUrlIndex + 1; }
};

} // namespace orvanto
