#pragma once

#include "check/CheckList.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace orvanto {

// The totals of a check.
struct CheckTotals {
    int stations = 0;
    int stationsPlaying = 0; // stations with at least one address that plays
    int addresses = 0;
    int addressesChecked = 0;
    int addressesPlaying = 0;
};

CheckTotals checkTotals(const CheckList& list);

// Exit status of a finished check: 0 when every station has an address that plays, else 1.
int checkExitStatus(const CheckTotals& totals);

// One line per station: its name, how many of its addresses play of how many, and the first
// that plays.
QString stationLines(const CheckList& list);
// The closing lines: stations with a working address, addresses that play, time taken.
QString summaryText(const CheckTotals& totals, qint64 elapsedMs, bool interrupted);

// The whole check as JSON (its format is described in the README).
QByteArray checkJson(const CheckList& list, const QString& source, qint64 elapsedMs);
// The same, asking for the time taken once the bulk of the text is written.
QByteArray checkJson(const CheckList& list, const QString& source,
                     const std::function<qint64()>& elapsedMs);

// The list as extended M3U: in each station the addresses that play first, in their order, then
// the others (none with `dropDead`); stations with no address that plays at the end (dropped
// with `dropDead`). Each address keeps the lines that described it.
QByteArray checkedM3u(const CheckList& list, bool dropDead);

} // namespace orvanto
