#pragma once

#include "catalogue/PlaylistSource.h"

#include <QString>
#include <QStringList>

namespace orvanto {

class Catalogue;

// A playlist fills the catalogue with at most this many stations and addresses; the station
// pages show the first 90 of them, the channel browser all.
inline constexpr int MaxPlaylistStations = 20000;
inline constexpr int MaxPlaylistAddresses = 200000;

// What became of a playlist.
struct PlaylistReport {
    // False: the playlist was rejected and nothing was registered; the caller falls back to the
    // built-in stations.
    bool accepted = false;
    int stations = 0;  // stations registered from the playlist
    int addresses = 0; // addresses registered from the playlist
    // For a message box titled "Lathos": why the playlist was rejected, or what of it was left
    // out. Empty when every entry went in.
    QString message;
    // Why the playlist was rejected, alone; empty when it was accepted.
    QString rejection;
};

// Registers the entries of `data` into `catalogue` with AddStreamUrl, in file order: at most
// MaxPlaylistStations stations and MaxPlaylistAddresses addresses in the catalogue and
// Station::MaxUrls addresses a station, the rest left out and named in the report. Entries named
// like one of `reservedNames` (the locked stations, registered later) are left out too, so that no
// playlist entry can join them. A playlist that cannot be read, is empty, binary, no M3U text or
// has no usable entry is rejected whole.
PlaylistReport registerPlaylist(const PlaylistData& data, Catalogue& catalogue,
                                const QStringList& reservedNames = {});

} // namespace orvanto
