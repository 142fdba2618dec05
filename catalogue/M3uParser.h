#pragma once

#include "catalogue/Station.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>
#include <functional>
#include <vector>

namespace orvanto {

// One channel entry of an M3U playlist: the name it is listed under and one address.
struct M3uEntry {
    QString name;
    QString address;
    QString group;    // the group-title attribute of its #EXTINF line, trimmed; may be empty
    StationTags tags; // its tvg-id, tvg-name and tvg-logo attributes, trimmed; may be empty
    int line = 0;     // 1-based line of the address
    // The lines that describe the entry as written (#EXTINF, #EXTGRP, #EXTVLCOPT, ...): the
    // directive lines since the previous address, so that a list can be written back unchanged.
    QStringList directives;
    // The HTTP headers its lines and its address ask for (see EntryHeaders for the notations).
    HttpHeaders headers;
    // The options written after the address, '|' and all ("|User-Agent=..."), for writing the
    // entry back as it was; `address` is without them.
    QString addressOptions;
    // How the entry's archive is addressed (its #EXTINF's catch-up attributes over the list's).
    Catchup catchup;
};

struct M3uResult {
    static constexpr int MaxProblemTexts = 20;
    static constexpr int MaxGuideAddresses = 8;

    // The programme guides the #EXTM3U header names (url-tvg, then x-tvg-url; each may hold
    // several addresses separated by commas), as written, each once; at most MaxGuideAddresses.
    QStringList guideAddresses;

    // The entries in file order (empty when they went to a sink instead, or on rejection).
    std::vector<M3uEntry> entries;
    // What was skipped, "Line N: ..."; at most MaxProblemTexts texts, problemCount counts all.
    QStringList problems;
    qsizetype problemCount = 0;
    // Non-empty when the text is no channel list at all (a web page, an HLS stream, ...): why.
    QString rejection;
};

using M3uEntrySink = std::function<void(M3uEntry&&)>;

// Reads plain M3U (one address a line, '#' comments) and extended M3U (#EXTM3U, #EXTINF with
// attributes and a display name). An entry's name is the display name after the first comma of
// its #EXTINF line that follows the duration and attributes outside double quotes, trimmed; failing
// that its tvg-name; for a plain line (or an empty display name) the address itself. Relative
// addresses resolve against `base`, the playlist's own location (a file or an http(s) URL); with an
// empty base they stay as written. Entries go to `sink` in file order as they are found; the text
// is never copied.
M3uResult parseM3u(QStringView text, const QUrl& base, const M3uEntrySink& sink);
// The same, collecting the entries into the result.
M3uResult parseM3u(QStringView text, const QUrl& base = QUrl());

} // namespace orvanto
