#include "net/PlaylistParser.h"

#include "core/AddressPolicy.h"

#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cctype>
#include <map>

namespace orvanto::PlaylistParser {

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

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive comparison of `text` from `pos` with the lower-case `literal`;
// `partial` accepts a text that ends before the literal does.
bool startsWithCi(QByteArrayView text, qsizetype pos, QByteArrayView literal,
                  bool partial = false) {
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (pos + i >= text.size()) {
            return partial;
        }
        if (lower(text[pos + i]) != literal[i]) {
            return false;
        }
    }
    return true;
}

qsizetype find(QByteArrayView text, qsizetype from, QByteArrayView what) {
    return QByteArrayView(text).indexOf(what, from);
}

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

// The end of a "<!DOCTYPE ...>" that starts at `pos` (after its '>'), skipping an internal
// subset in brackets; -1 when the text ends first. Nothing it names is ever fetched.
qsizetype doctypeEnd(QByteArrayView text, qsizetype pos) {
    const qsizetype close = find(text, pos, ">");
    const qsizetype bracket = find(text, pos, "[");
    if (bracket >= 0 && (close < 0 || bracket < close)) {
        const qsizetype subsetEnd = find(text, bracket, "]");
        if (subsetEnd < 0) {
            return -1;
        }
        const qsizetype end = find(text, subsetEnd, ">");
        return end < 0 ? -1 : end + 1;
    }
    return close < 0 ? -1 : close + 1;
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

QString decodeEntities(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
        if (text[i] != QLatin1Char('&') || semicolon < 0 || semicolon - i > 10) {
            out += text[i];
            continue;
        }
        const QString name = text.mid(i + 1, semicolon - i - 1).toLower();
        char32_t code = 0;
        if (name == QLatin1String("amp")) {
            code = '&';
        } else if (name == QLatin1String("lt")) {
            code = '<';
        } else if (name == QLatin1String("gt")) {
            code = '>';
        } else if (name == QLatin1String("quot")) {
            code = '"';
        } else if (name == QLatin1String("apos")) {
            code = '\'';
        } else if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const bool hex = name.startsWith(QLatin1String("#x"));
            code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            if (!ok || code == 0 || code > 0x10ffff) {
                code = 0;
            }
        }
        if (code == 0) {
            out += text[i];
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = semicolon;
    }
    return out;
}

// An attribute value starting at `pos` (at its quote, if any): [start, end) of the value and
// the position after it. A quoted value ends at its closing quote on the same line; when the
// quote is left open, at the tag's '>' or the end of the line.
struct Value {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    bool cutOff = false; // the text ends inside the quotes
};
Value attributeValue(QByteArrayView text, qsizetype pos) {
    const qsizetype n = text.size();
    if (pos < n && (text[pos] == '"' || text[pos] == '\'')) {
        const char quote = text[pos];
        qsizetype i = pos + 1;
        while (i < n && text[i] != quote && text[i] != '\n' && text[i] != '\r') {
            ++i;
        }
        if (i < n && text[i] == quote) {
            return {pos + 1, i, i + 1};
        }
        qsizetype end = pos + 1;
        while (end < i && text[end] != '>') {
            ++end;
        }
        return {pos + 1, end, end, end >= n};
    }
    qsizetype i = pos;
    while (i < n && !isBlank(text[i]) && text[i] != '>') {
        ++i;
    }
    return {pos, i, i};
}

// An href with blanks or control characters in it is no address (such as the rest of a line
// after a forgotten quote).
bool isCleanHref(QByteArrayView value) {
    return std::none_of(value.begin(), value.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7f; });
}

// ASX as Windows Media players read it: forgiving XML, element and attribute names in any
// case. Every REF and ENTRYREF is an entry, in document order (the REFs of one ENTRY are
// alternatives tried in turn, which is what playing them in order does), except those of an
// EVENT: its entries play only when the server signals the event, never in the play order.
QStringList parseAsx(QByteArrayView text) {
    QStringList refs;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int eventDepth = 0;
    while (i < n && refs.size() < MaxEntries) {
        const qsizetype lt = find(text, i, "<");
        if (lt < 0) {
            break;
        }
        if (startsWithCi(text, lt, "<!--") || startsWithCi(text, lt, "<![cdata[")) {
            const bool comment = text[lt + 2] == '-';
            const qsizetype end = find(text, lt, comment ? "-->" : "]]>");
            i = end < 0 ? n : end + 3;
            continue;
        }
        if (startsWithCi(text, lt, "<!doctype")) {
            const qsizetype end = doctypeEnd(text, lt);
            i = end < 0 ? n : end;
            continue;
        }
        qsizetype j = lt + 1;
        const bool closing = j < n && text[j] == '/';
        if (closing) {
            ++j;
        }
        const qsizetype nameStart = j;
        while (j < n && (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_')) {
            ++j;
        }
        const QByteArray name = text.sliced(nameStart, j - nameStart).toByteArray().toLower();
        QByteArrayView href;
        bool hasHref = false;
        bool selfClosing = false;
        // Attributes up to the end of the tag; quoted values may hold '>'.
        while (j < n && text[j] != '>') {
            if (isBlank(text[j]) || text[j] == '/') {
                selfClosing = text[j] == '/';
                ++j;
                continue;
            }
            selfClosing = false;
            const qsizetype attrStart = j;
            while (j < n && !isBlank(text[j]) && text[j] != '=' && text[j] != '>') {
                ++j;
            }
            const QByteArray attr = text.sliced(attrStart, j - attrStart).toByteArray().toLower();
            while (j < n && isBlank(text[j])) {
                ++j;
            }
            if (j >= n || text[j] != '=') {
                continue;
            }
            ++j;
            while (j < n && isBlank(text[j])) {
                ++j;
            }
            const Value value = attributeValue(text, j);
            if (value.cutOff) {
                return refs; // the address may be incomplete
            }
            j = value.next;
            if (attr == "href") {
                href = text.sliced(value.start, value.end - value.start);
                hasHref = true;
            }
        }
        i = j + 1;
        if (name == "event") {
            if (closing) {
                eventDepth = qMax(0, eventDepth - 1);
            } else if (!selfClosing) {
                ++eventDepth;
            }
            continue;
        }
        if (!closing && eventDepth == 0 && (name == "ref" || name == "entryref") && hasHref &&
            isCleanHref(href)) {
            refs << decodeEntities(QString::fromUtf8(href));
        }
    }
    return refs;
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
    const QByteArray text = asUtf8(bytes);
    const Detection detection = detect(text, true);
    if (detection.verdict != Verdict::Playlist) {
        return std::nullopt;
    }
    QStringList raw;
    switch (detection.format) {
    case Playlist::Format::Asx:
        raw = parseAsx(text);
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
    Playlist playlist;
    playlist.format = detection.format;
    for (const QString& entry : raw) {
        const QString trimmed = entry.trimmed();
        if (trimmed.isEmpty()) {
            continue;
        }
        QUrl url(trimmed, QUrl::TolerantMode);
        if (url.isRelative()) {
            url = base.resolved(url);
        }
        if (isNetworkStream(url) && playlist.entries.size() < MaxEntries) {
            playlist.entries << url;
        }
    }
    return playlist;
}

bool isNetworkStream(const QUrl& url) {
    return AddressPolicy::isNetworkStream(url);
}

} // namespace orvanto::PlaylistParser
