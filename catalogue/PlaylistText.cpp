#include "catalogue/PlaylistText.h"

#include <QStringDecoder>
#include <array>
#include <optional>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// More than one character in this many NUL bytes or control characters makes a file binary.
constexpr qsizetype BinaryShare = 10;

bool isControl(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f' && c != u'\v') ||
           c == 0x7f;
}

// Windows-1252's characters for the bytes 0x80 to 0x9F (0 where it has none); the other bytes
// are those of Latin-1.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Decodes Windows-1252; its five unassigned bytes count as control characters.
QString fromWindows1252(QByteArrayView bytes, qsizetype& unassigned) {
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        char16_t c = byte;
        if (byte >= 0x80 && byte < 0xA0) {
            c = Windows1252High[byte - 0x80];
            if (c == 0) {
                ++unassigned;
                c = 0xFFFD;
            }
        }
        text[i] = QChar(c);
    }
    return text;
}

// The bytes with every line that holds a NUL byte left empty; counts those lines.
QByteArray withoutNulLines(QByteArrayView bytes, qsizetype& lines) {
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') {
            ++end;
        }
        const QByteArrayView line = bytes.sliced(start, end - start);
        if (line.contains('\0')) {
            ++lines;
        } else {
            out += line;
        }
        if (end >= bytes.size()) {
            break;
        }
        out += bytes[end];
        start = end + 1;
    }
    return out;
}

// Characters that stand for units that decode to nothing: replacement characters and halves of
// surrogate pairs without their other half.
qsizetype undecodable(QStringView text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate() || c == QChar::ReplacementCharacter) {
            ++count;
        }
    }
    return count;
}

struct WideEncoding {
    QStringDecoder::Encoding encoding;
    qsizetype markBytes;
};

// The encoding that a byte-order mark other than UTF-8's names.
std::optional<WideEncoding> wideEncoding(QByteArrayView bytes) {
    if (bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4))) {
        return WideEncoding{QStringDecoder::Utf32LE, 4};
    }
    if (bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4))) {
        return WideEncoding{QStringDecoder::Utf32BE, 4};
    }
    if (bytes.startsWith("\xFF\xFE")) {
        return WideEncoding{QStringDecoder::Utf16LE, 2};
    }
    if (bytes.startsWith("\xFE\xFF")) {
        return WideEncoding{QStringDecoder::Utf16BE, 2};
    }
    return std::nullopt;
}

} // namespace

PlaylistText decodePlaylistText(QByteArrayView bytes) {
    PlaylistText result;
    const QString binary = u"it is a binary file, not a text playlist"_s;
    // Text in UTF-16 or UTF-32 (as Windows' editors save "Unicode") is told by its mark; it
    // goes through the same checks as UTF-8 text.
    QByteArray utf8;
    if (const auto wide = wideEncoding(bytes)) {
        QStringDecoder decoder(wide->encoding, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(bytes.sliced(wide->markBytes));
        if (undecodable(text) * BinaryShare > text.size()) {
            result.rejection = binary;
            return result;
        }
        utf8 = text.toUtf8();
        bytes = utf8;
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    const qsizetype nuls = bytes.count('\0');
    if (nuls * BinaryShare > bytes.size()) {
        result.rejection = binary;
        return result;
    }
    QByteArray kept;
    if (nuls > 0) {
        kept = withoutNulLines(bytes, result.nulLines);
        bytes = kept;
    }

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    result.text = decoder.decode(bytes);
    qsizetype suspicious = 0;
    if (decoder.hasError()) {
        // No UTF-8. Text in Windows-1252 is still mostly ASCII; random bytes are not.
        result.windows1252 = true;
        const qsizetype high = std::count_if(bytes.begin(), bytes.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        });
        suspicious += qMax<qsizetype>(0, high * 2 - bytes.size());
        result.text = fromWindows1252(bytes, suspicious);
    }
    for (QChar c : std::as_const(result.text)) {
        if (isControl(c.unicode())) {
            ++suspicious;
        }
    }
    if (suspicious * BinaryShare > result.text.size()) {
        result = {};
        result.rejection = binary;
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
