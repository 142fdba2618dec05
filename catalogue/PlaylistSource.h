#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace orvanto {

// Largest playlist the viewer reads, from a file or over the network.
inline constexpr qint64 MaxPlaylistBytes = 8 * 1024 * 1024;

// Why a playlist of `size` bytes (or an unknown size, -1) is refused.
QString playlistTooLarge(qint64 size = -1);

// The raw content of a playlist and where it came from.
struct PlaylistData {
    QString source;   // as the user gave it, for messages
    QUrl location;    // the playlist's own location (file or http(s)), base of relative entries
    QByteArray bytes; // valid only when error is empty
    QString error;    // non-empty: the playlist could not be read, and why
};

// Where the command-line argument `source` points: an http(s) URL, or a local file (a path,
// relative to the working folder, or a file: URL). Other kinds of addresses give an invalid URL.
QUrl playlistLocation(const QString& source);

// Reads the local playlist file at `location`: a regular file of at most MaxPlaylistBytes.
// Devices, pipes and folders are refused without reading from them, so nothing can block.
PlaylistData readLocalPlaylist(const QString& source, const QUrl& location);

} // namespace orvanto
