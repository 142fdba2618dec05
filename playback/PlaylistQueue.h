#pragma once

#include <QList>
#include <QUrl>
#include <deque>
#include <optional>

namespace orvanto {

// The addresses still to try for one assignment of the player's URL: the address itself, then,
// when it turns out to be a playlist, its entries in order, depth first. Playlists inside
// playlists are followed to a bounded depth and the number of addresses handed out is bounded,
// so a playlist that names itself ends instead of looping.
class PlaylistQueue {
public:
    static constexpr int MaxDepth = 4;       // playlists inside playlists followed
    static constexpr int MaxAddresses = 100; // addresses handed out per assignment

    struct Entry {
        QUrl url;
        int depth = 0; // 0 for the assigned address, 1 for the entries of its playlist, ...
    };

    // Starts over with `url` as the only address.
    void reset(const QUrl& url);
    void clear();

    // The next address to try, or nothing when all are used up.
    std::optional<Entry> next();
    bool hasNext() const;

    // `entries` of the playlist found at `parent`: they are tried next, in order. Returns false
    // (and adds nothing) when the playlist lies too deep.
    bool expand(const Entry& parent, const QList<QUrl>& entries);

private:
    std::deque<Entry> pending_;
    int handedOut_ = 0;
};

} // namespace orvanto
