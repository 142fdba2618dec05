#include "net/AsxReader.h"

#include "net/PlaylistScan.h"

#include <QString>
#include <algorithm>
#include <cctype>

namespace orvanto {

using namespace PlaylistScan;

namespace {

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

} // namespace

QStringList readAsxEntries(QByteArrayView text, qsizetype maxEntries) {
    QStringList refs;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int eventDepth = 0;
    while (i < n && refs.size() < maxEntries) {
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

} // namespace orvanto
