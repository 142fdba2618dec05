#include "net/PlaylistParser.h"

#include "catalogue/PlaylistText.h"
#include "core/AddressPolicy.h"
#include "net/AsxReader.h"
#include "net/PlaylistScan.h"

#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <array>
#include <map>

namespace orvanto::PlaylistParser {

using namespace PlaylistScan;

namespace {

struct Detection {
    Verdict verdict = Verdict::NotPlaylist;
    Playlist::Format format = Playlist::Format::Asx;
    bool m3uHeader = false;
};

// The longest prefix a playlist may spend on a BOM, an XML declaration, comments and M3U
// comment lines before its first telling bytes.
constexpr qsizetype MaxPreamble = 4096;

struct Marker {
    const char* text;
    Playlist::Format format;
};
constexpr std::array<Marker, 4> kMarkers{{
    {"<asx", Playlist::Format::Asx},
    {"[reference]", Playlist::Format::Reference},
    {"[playlist]", Playlist::Format::Pls},
    {"#extm3u", Playlist::Format::M3u},
}};

// Could `partial`, a first line without its end, still become a network address?
bool couldBeAddress(QByteArrayView partial) {
    const qsizetype colon = partial.indexOf(':');
    const QString scheme = QString::fromLatin1(partial.first(colon < 0 ? partial.size() : colon));
    const bool schemeFits =
        std::ranges::any_of(AddressPolicy::streamSchemes(), [&](const QString& known) {
            return colon < 0 ? known.startsWith(scheme, Qt::CaseInsensitive)
                             : known.compare(scheme, Qt::CaseInsensitive) == 0;
        });
    if (!schemeFits || colon < 0) {
        return schemeFits;
    }
    for (qsizetype j = colon + 1; j < partial.size(); ++j) {
        const auto c = static_cast<unsigned char>(partial[j]);
        if (j <= colon + 2 ? c != '/' : (c <= ' ' || c >= 0x7f)) {
            return false;
        }
    }
    return true;
}

bool isAddressLine(QByteArrayView line) {
    const QString text = QString::fromUtf8(line).trimmed();
    if (text.isEmpty() || text.contains(QLatin1Char(' '))) {
        return false;
    }
    return isNetworkStream(QUrl(text, QUrl::TolerantMode));
}

// The text as UTF-8 without a byte-order mark. UTF-16 is told by its mark or, without one, by
// a first '<' with a zero byte beside it (an ASX file saved as "Unicode").
QByteArray asUtf8(QByteArrayView bytes) {
    auto utf16 = [&](qsizetype skip, QStringDecoder::Encoding encoding) {
        QByteArrayView units = bytes.sliced(skip);
        units = units.first(units.size() & ~qsizetype(1)); // a cut-off unit waits for more
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        return QString(decoder.decode(units)).toUtf8();
    };
    if (bytes.startsWith("\xff\xfe")) {
        return utf16(2, QStringDecoder::Utf16LE);
    }
    if (bytes.startsWith("\xfe\xff")) {
        return utf16(2, QStringDecoder::Utf16BE);
    }
    if (bytes.size() >= 2 && bytes[0] == '<' && bytes[1] == '\0') {
        return utf16(0, QStringDecoder::Utf16LE);
    }
    if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] == '<') {
        return utf16(0, QStringDecoder::Utf16BE);
    }
    if (bytes.startsWith("\xef\xbb\xbf")) {
        bytes = bytes.sliced(3);
    }
    return bytes.toByteArray();
}

// Skips blanks, an XML declaration, a document type and comments. Returns the position of the
// first telling byte, or -1 when the text ends (or needs more bytes) before it.
qsizetype skipPreamble(QByteArrayView text) {
    qsizetype pos = 0;
    for (;;) {
        while (pos < text.size() && isBlank(text[pos])) {
            ++pos;
        }
        if (startsWithCi(text, pos, "<?xml")) {
            const qsizetype end = find(text, pos, "?>");
            pos = end < 0 ? -1 : end + 2;
        } else if (startsWithCi(text, pos, "<!--")) {
            const qsizetype end = find(text, pos, "-->");
            pos = end < 0 ? -1 : end + 3;
        } else if (startsWithCi(text, pos, "<!doctype")) {
            pos = doctypeEnd(text, pos);
        } else {
            return pos < text.size() ? pos : -1;
        }
        if (pos < 0) {
            return -1;
        }
    }
}

Detection detect(QByteArrayView text, bool complete) {
    const Verdict undecided =
        complete || text.size() > MaxPreamble ? Verdict::NotPlaylist : Verdict::NeedMore;
    qsizetype pos = skipPreamble(text);
    if (pos < 0) {
        return {undecided};
    }
    for (const Marker& marker : kMarkers) {
        if (startsWithCi(text, pos, marker.text)) {
            return {Verdict::Playlist, marker.format, marker.format == Playlist::Format::M3u};
        }
    }
    for (const Marker& marker : kMarkers) {
        if (startsWithCi(text, pos, marker.text, true)) {
            return {undecided};
        }
    }
    // An M3U without its header: comment lines, then a line holding a network address.
    for (;;) {
        const qsizetype end = find(text, pos, "\n");
        const QByteArrayView line = text.sliced(pos, (end < 0 ? text.size() : end) - pos);
        if (end < 0 && !complete) {
            return {(line.startsWith('#') || couldBeAddress(line)) ? undecided
                                                                   : Verdict::NotPlaylist};
        }
        if (!line.startsWith('#')) {
            return {isAddressLine(line) ? Verdict::Playlist : Verdict::NotPlaylist,
                    Playlist::Format::M3u};
        }
        if (end < 0) {
            return {Verdict::NotPlaylist};
        }
        pos = end + 1;
        while (pos < text.size() && isBlank(text[pos])) {
            ++pos;
        }
        if (pos >= text.size()) {
            return {undecided};
        }
    }
}

QList<QByteArrayView> lines(QByteArrayView text) {
    QList<QByteArrayView> result;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            if (i > start) {
                result << text.sliced(start, i - start).trimmed();
            }
            start = i + 1;
        }
    }
    return result;
}

// "Ref1=...", "File2=...": entries numbered by their key from 1, played in the order of the
// numbers; of a key written twice the last one holds. NumberOfEntries is not trusted.
QStringList parseNumberedKeys(QByteArrayView text, QByteArrayView key) {
    std::map<int, QString> numbered;
    for (QByteArrayView line : lines(text)) {
        const qsizetype equals = line.indexOf('=');
        if (equals <= key.size() || !startsWithCi(line, 0, key)) {
            continue;
        }
        bool ok = false;
        const int number = line.sliced(key.size(), equals - key.size()).trimmed().toInt(&ok);
        if (ok && number > 0) {
            numbered[number] = QString::fromUtf8(line.sliced(equals + 1).trimmed());
        }
    }
    QStringList result;
    for (const auto& [number, value] : numbered) {
        result << value;
    }
    return result;
}

std::optional<QStringList> parseM3u(QByteArrayView text, bool header) {
    QStringList result;
    for (QByteArrayView line : lines(text)) {
        if (AddressPolicy::isHlsTag(line)) {
            return std::nullopt; // HLS: a stream of segments, played by the engine itself
        }
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        if (!header && !isAddressLine(line)) {
            return std::nullopt; // plain text that only began with an address
        }
        result << QString::fromUtf8(line);
    }
    return result;
}

} // namespace

Verdict sniff(QByteArrayView head, bool complete) {
    return detect(asUtf8(head), complete).verdict;
}

std::optional<Playlist> parse(QByteArrayView bytes, const QUrl& base) {
    QByteArray text = asUtf8(bytes);
    const Detection detection = detect(text, true);
    if (detection.verdict != Verdict::Playlist) {
        return std::nullopt;
    }
    Playlist playlist;
    playlist.format = detection.format;
    // Decoded as a channel list is: Windows-1252 unless it is UTF-8, binary data refused.
    const PlaylistText decoded = decodePlaylistText(text);
    if (!decoded.rejection.isEmpty()) {
        playlist.binary = true;
        return playlist;
    }
    if (decoded.windows1252 || decoded.nulLines > 0) {
        text = decoded.text.toUtf8();
    }
    QStringList raw;
    switch (detection.format) {
    case Playlist::Format::Asx:
        raw = readAsxEntries(text);
        break;
    case Playlist::Format::Reference:
        raw = parseNumberedKeys(text, "ref");
        break;
    case Playlist::Format::Pls:
        raw = parseNumberedKeys(text, "file");
        break;
    case Playlist::Format::M3u: {
        auto m3u = parseM3u(text, detection.m3uHeader);
        if (!m3u) {
            return std::nullopt;
        }
        raw = *m3u;
        break;
    }
    }
    for (const QString& entry : std::as_const(raw)) {
        const QString trimmed = entry.trimmed();
        if (trimmed.isEmpty() || trimmed.size() > AddressPolicy::MaxAddressLength) {
            continue;
        }
        QUrl url(trimmed, QUrl::TolerantMode);
        if (url.isRelative()) {
            url = base.resolved(url);
        }
        if (!isNetworkStream(url)) {
            continue;
        }
        if (playlist.entries.size() < MaxEntries) {
            playlist.entries << url;
        } else {
            ++playlist.entriesLeftOut;
        }
    }
    return playlist;
}

bool isNetworkStream(const QUrl& url) {
    return AddressPolicy::isNetworkStream(url);
}

} // namespace orvanto::PlaylistParser
