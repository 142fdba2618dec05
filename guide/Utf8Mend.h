#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace orvanto {

// Mends a UTF-8 document as its bytes come: every byte sequence that is not UTF-8 becomes
// U+FFFD (each maximal invalid part once, as browsers and QString::fromUtf8 do), so that a
// guide with one badly encoded title is still read to its end. A character split between two
// pieces is held until the rest comes. Valid text passes unchanged (and is not copied
// byte by byte).
class Utf8Mend {
public:
    // The next bytes, mended; what ends them in the middle of a character is held back.
    QByteArray mend(QByteArrayView bytes);
    // The document is over: what was held back, which can only be a cut character (U+FFFD).
    QByteArray finish();

private:
    QByteArray held_; // the start of a character the next piece completes
};

} // namespace orvanto
