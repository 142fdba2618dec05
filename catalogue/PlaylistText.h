#pragma once

#include <QByteArrayView>
#include <QString>

namespace orvanto {

// A playlist file's bytes decoded as text.
struct PlaylistText {
    QString text;
    // Non-empty when the bytes are no text playlist (binary data): why.
    QString rejection;
    // The bytes are not valid UTF-8 and were read as Windows-1252 instead.
    bool windows1252 = false;
    // Lines holding NUL bytes: left empty (the others keep their numbers).
    qsizetype nulLines = 0;
};

// Decodes UTF-8 with or without a byte-order mark, UTF-16 and UTF-32 with one; text that is not
// valid UTF-8 as Windows-1252, the encoding of many older lists. Lines with NUL bytes are dropped
// and counted. Bytes with a large share of NUL bytes, control characters, non-ASCII bytes or
// undecodable units are rejected.
PlaylistText decodePlaylistText(QByteArrayView bytes);

// A piece of playlist text (a name, an address) shortened to a length a message can show.
QString elidedForMessage(QStringView text);

} // namespace orvanto
