#pragma once

#include "catalogue/PlaylistSource.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace orvanto {

class Catalogue;

// A playlist fills the catalogue with at most this many stations and addresses; the station
// pages show the first 90 of them, the channel browser all.
inline constexpr int MaxPlaylistStations = 20000;
inline constexpr int MaxPlaylistAddresses = 200000;

// How many stations and addresses a list may bring into the catalogue.
struct RegistrationLimits {
    int stations = MaxPlaylistStations;
    int addresses = MaxPlaylistAddresses;
};
// A provider account brings its whole channel list, however large; these bound it.
inline constexpr RegistrationLimits AccountLimits{300000, 300000};

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
    // For a provider account: its state in words ("active until ..., 1 of 2 connections in
    // use"), or why it cannot be used.
    QString account;
    // For a provider account: how many connections it allows at once; 0 when it does not say.
    int allowedConnections = 0;
};

// Registers the entries of `data` into `catalogue` with AddStreamUrl, in file order: at most
// MaxPlaylistStations stations and MaxPlaylistAddresses addresses in the catalogue and
// Station::MaxUrls addresses a station, the rest left out and named in the report. Entries named
// like one of `reservedNames` (the locked stations, registered later) are left out too, so that no
// playlist entry can join them. A playlist that cannot be read, is empty, binary, no M3U text or
// has no usable entry is rejected whole.
PlaylistReport registerPlaylist(const PlaylistData& data, Catalogue& catalogue,
                                const QStringList& reservedNames = {});

struct M3uEntry;

// Registers entries as they come, as registerPlaylist() does with the entries of a playlist:
// nothing at all stays in the catalogue when the entries are rejected or finish() is never
// called. A catalogue that holds stations gets the entries only in finish(); an empty one, which
// nobody reads until then, takes them as they come. For channel lists that come as entries
// rather than as M3U text (a provider account).
class EntryRegistration {
public:
    EntryRegistration(Catalogue& catalogue, const QStringList& reservedNames,
                      RegistrationLimits limits = {});
    ~EntryRegistration();
    EntryRegistration(const EntryRegistration&) = delete;
    EntryRegistration& operator=(const EntryRegistration&) = delete;

    void add(M3uEntry&& entry);
    // Entries added so far, taken or not.
    qsizetype entries() const;
    // Puts the entries taken into the catalogue with the list's programme guide addresses; the
    // report names what was left out and `problems` (of which there were `moreProblems` more).
    PlaylistReport finish(const QString& source, const QStringList& guideAddresses = {},
                          const QStringList& problems = {}, qsizetype moreProblems = 0);

private:
    class Plan;
    Catalogue& catalogue_;
    std::unique_ptr<Plan> plan_;
    bool finished_ = false;
};

} // namespace orvanto
