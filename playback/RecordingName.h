#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace orvanto {

// What a recording's file is called and where it goes.
namespace RecordingName {

// At most this many bytes of UTF-8 in a file's name, its extension and a " (99)" included:
// what ext4, btrfs, XFS and FAT's long names all take.
constexpr int MaxNameBytes = 255;
constexpr int ReservedBytes = 16; // " (99)" and the longest extension

// What the stream beginning with `first` is kept as: "ts" (MPEG-TS, also where a recording
// starts in the middle of a packet), "mp3", "aac" (ADTS), "ogg", "flac", "mp4", "mkv", "flv",
// "asf", or "bin" when its format is not one of these.
QString extensionFor(const QByteArray& first);
// Whether files with that extension go with the videos rather than the music.
bool isVideo(const QString& extension);

// "Channel — Programme — 2026-12-09 20.00.ts" (no programme: "Channel — 2026-12-09 20.00.ts"),
// made safe for every file system: no path separators, none of the characters Windows forbids,
// no control characters, no leading dot, no trailing dot or space, no device name of DOS, and
// within MaxNameBytes (the programme shortened first, then the channel, never inside a
// character).
QString fileName(const QString& channel, const QString& programme, const QDateTime& start,
                 const QString& extension);
// `text` as one part of a file name, by the rules above, shortened to `maxBytes` of UTF-8.
QString safePart(const QString& text, int maxBytes);

// The folder a recording goes to: `chosen` when set, else ~/Videos/Orvanto or ~/Music/Orvanto
// (the desktop's own folders for them).
QString folderFor(bool video, const QString& chosen);

} // namespace RecordingName

} // namespace orvanto
