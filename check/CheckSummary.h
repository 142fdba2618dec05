#pragma once

#include "check/CheckList.h"

#include <QDateTime>
#include <QHash>
#include <QString>

namespace orvanto {

// What a check found out about a list, station by station: enough to show beside each channel
// how many of its addresses play, and when that was found out.
struct CheckSummary {
    struct Count {
        int playing = 0;
        int addresses = 0;
        bool operator==(const Count&) const = default;
    };

    QDateTime checked; // invalid: the list has not been checked
    QHash<QString, Count> stations;

    bool isEmpty() const { return !checked.isValid(); }
    // Stations with at least one address that plays.
    int stationsPlaying() const;
};

// The summary of a finished check of `list`, made at `when`.
CheckSummary summaryOf(const CheckList& list, const QDateTime& when);

} // namespace orvanto
