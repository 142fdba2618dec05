#pragma once

#include "check/Verdict.h"
#include "core/StreamAddress.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <vector>

namespace orvanto {

class Catalogue;

// One address of a station being checked, with the lines that described it in its list.
struct CheckAddress {
    QString address{};
    QStringList directives{}; // #EXTINF and the like, as written; none for the built-in stations
    Verdict verdict{};
    HttpHeaders headers{};    // what its list asks to send with every request for it
    QString addressOptions{}; // "|Name=Value..." as written after the address, or empty

    StreamAddress streamAddress() const { return {address, headers}; }
};

struct CheckStation {
    QString name;
    std::vector<CheckAddress> addresses;

    int playing() const;
    // The first address that plays, or an empty string.
    QString firstPlaying() const;
};

// The stations of a check, in the order of their first appearance.
struct CheckList {
    QString header = QStringLiteral("#EXTM3U"); // the list's #EXTM3U line, attributes and all
    std::vector<CheckStation> stations;

    int addressCount() const;
};

// What became of reading a list for a check.
struct CheckListRead {
    CheckList list;
    QString error; // non-empty: no list to check, and why
    // Entries the reader left out ("Line N: ..."; the first few), and how many there were.
    QStringList problems;
    qsizetype problemCount = 0;
};

// The stations of the M3U text `text` read from `base`, grouped by name as the viewer groups
// them (entries of one name, wherever they stand, are one station's addresses).
CheckListRead checkListFromM3u(QStringView text, const QUrl& base);
// The stations of `catalogue`, in its order: the first `count` of them, or all when `count` is
// negative.
CheckList checkListFromCatalogue(const Catalogue& catalogue, int count = -1);

} // namespace orvanto
