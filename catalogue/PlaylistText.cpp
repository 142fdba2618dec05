#include "catalogue/PlaylistText.h"

#include <QStringDecoder>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// More than one character in this many undecodable or control characters makes a file binary.
constexpr qsizetype BinaryShare = 10;

bool isControl(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f' && c != u'\v') ||
           c == 0x7f;
}

} // namespace

PlaylistText decodePlaylistText(QByteArrayView bytes) {
    PlaylistText result;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        result.rejection = u"it is UTF-16 or UTF-32 text; save it as UTF-8"_s;
        return result;
    }
    if (bytes.contains('\0')) {
        result.rejection = u"it is a binary file, not a text playlist"_s;
        return result;
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }

    // U+FFFD written in the file itself is no decoding failure.
    const qsizetype writtenReplacements = bytes.count("\xEF\xBF\xBD");
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    result.text = decoder.decode(bytes);

    qsizetype replacements = 0;
    qsizetype controls = 0;
    for (QChar c : std::as_const(result.text)) {
        if (c == QChar::ReplacementCharacter) {
            ++replacements;
        } else if (isControl(c.unicode())) {
            ++controls;
        }
    }
    result.invalidSequences = qMax<qsizetype>(0, replacements - writtenReplacements);
    if ((result.invalidSequences + controls) * BinaryShare > result.text.size()) {
        result.text.clear();
        result.rejection = u"it is a binary file, not a text playlist"_s;
    }
    return result;
}

QString elidedForMessage(QStringView text) {
    constexpr qsizetype MaxLength = 80;
    if (text.size() <= MaxLength) {
        return text.toString();
    }
    return text.first(MaxLength - 1).toString() + QChar(0x2026); // ...
}

} // namespace orvanto
