#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QUrl>
#include <optional>

namespace orvanto {

// A playlist as a Windows Media player follows it: its entries are played in order, and the
// next entry takes over when one fails.
struct Playlist {
    enum class Format { Asx, Reference, Pls, M3u };

    Format format = Format::Asx;
    QList<QUrl> entries; // absolute addresses, in playing order
    // Entries beyond PlaylistParser::MaxEntries, not taken.
    int entriesLeftOut = 0;
    // The bytes began as a playlist does but are no text (binary data after the header): none
    // of it is taken for an address.
    bool binary = false;
};

// Reads the playlist formats that stream addresses lead to: ASX (also when a .php or .asp
// script sends it as text/html), Windows Media "[Reference]" files, PLS and M3U. The format is
// told by the content alone, never by the address's ending or the content type.
namespace PlaylistParser {

// The most entries taken from one playlist; the rest are left out (and counted). A station
// whose playlist names more alternatives than this is not playable anyway: each one that fails
// takes seconds.
inline constexpr int MaxEntries = 64;

enum class Verdict {
    Playlist,    // starts like a playlist: read it whole, then parse()
    NotPlaylist, // anything else: a stream, or no stream at all
    NeedMore,    // too few bytes to tell yet
};

// Looks at the first bytes of a reply. `complete` says that no more bytes will come.
Verdict sniff(QByteArrayView head, bool complete);

// Reads a whole playlist; relative entries are resolved against `base`. Text that is not
// UTF-8 is read as Windows-1252, as the channel-list reader does. Entries that lead to anything
// but a network stream (local files, capture devices) and entries longer than
// AddressPolicy::MaxAddressLength are dropped. Returns nothing when `text` is no playlist; an
// HLS (.m3u8) stream is no playlist either: the player plays it as a stream.
std::optional<Playlist> parse(QByteArrayView text, const QUrl& base);

// True for the addresses a playlist entry may lead to (AddressPolicy::isNetworkStream).
bool isNetworkStream(const QUrl& url);

} // namespace PlaylistParser

} // namespace orvanto
