#pragma once

#include <QByteArrayView>
#include <QString>

namespace orvanto {

// A playlist file's bytes decoded as UTF-8 text.
struct PlaylistText {
    QString text;
    // Non-empty when the bytes are no UTF-8 text (binary data, UTF-16): why.
    QString rejection;
    // Byte sequences that were not valid UTF-8 and now read as U+FFFD.
    qsizetype invalidSequences = 0;
};

// Decodes UTF-8 with or without a byte-order mark. Bytes with NUL bytes, a UTF-16 or UTF-32
// byte-order mark, or a large share of invalid sequences and control characters are rejected as
// binary; a few invalid sequences are replaced and counted.
PlaylistText decodePlaylistText(QByteArrayView bytes);

// A piece of playlist text (a name, an address) shortened to a length a message can show.
QString elidedForMessage(QStringView text);

} // namespace orvanto
