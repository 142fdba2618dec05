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
// the position after it.
struct Value {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    bool quoted = false; // in quotes closed on its line
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
            return {pos + 1, i, i + 1, true};
        }
        qsizetype end = pos + 1;
        while (end < i && text[end] != '>') {
            ++end;
        }
        return {pos + 1, end, end, false, end >= n};
    }
    qsizetype i = pos;
    while (i < n && !isBlank(text[i]) && text[i] != '>') {
        ++i;
    }
    return {pos, i, i};
}

// An href is no address when it holds control characters, or blanks outside closed quotes
// (such as the rest of a line after a forgotten quote). Blanks inside quotes are part of it,
// as Windows Media players read them.
bool isCleanHref(const AsxTag::Attribute& href) {
    const QByteArrayView value = href.quoted ? href.value.trimmed() : href.value;
    return !value.isEmpty() && std::none_of(value.begin(), value.end(), [&](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < ' ' || byte == 0x7f || (byte == ' ' && !href.quoted);
    });
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

} // namespace

const AsxTag::Attribute* AsxTag::attribute(QByteArrayView attributeName) const {
    for (const Attribute& a : attributes) {
        if (a.name == attributeName) {
            return &a;
        }
    }
    return nullptr;
}

AsxTag readAsxTag(QByteArrayView text, qsizetype pos) {
    AsxTag tag;
    const qsizetype n = text.size();
    qsizetype j = pos + 1;
    tag.closing = j < n && text[j] == '/';
    if (tag.closing) {
        ++j;
    }
    const qsizetype nameStart = j;
    while (j < n && isNameChar(text[j])) {
        ++j;
    }
    tag.name = text.sliced(nameStart, j - nameStart).toByteArray().toLower();
    while (j < n && text[j] != '>') {
        if (isBlank(text[j]) || text[j] == '/') {
            tag.selfClosing = text[j] == '/';
            ++j;
            continue;
        }
        tag.selfClosing = false;
        const qsizetype attrStart = j;
        while (j < n && !isBlank(text[j]) && text[j] != '=' && text[j] != '>') {
            ++j;
        }
        AsxTag::Attribute attribute;
        attribute.name = text.sliced(attrStart, j - attrStart).toByteArray().toLower();
        while (j < n && isBlank(text[j])) {
            ++j;
        }
        if (j >= n || text[j] != '=') {
            continue; // a name without a value
        }
        ++j;
        while (j < n && isBlank(text[j])) {
            ++j;
        }
        const Value value = attributeValue(text, j);
        if (value.cutOff) {
            tag.cutOff = true;
            tag.end = n;
            return tag;
        }
        j = value.next;
        attribute.value = text.sliced(value.start, value.end - value.start);
        attribute.quoted = value.quoted;
        tag.attributes.append(std::move(attribute));
    }
    tag.end = qMin(j + 1, n);
    return tag;
}

QStringList readAsxEntries(QByteArrayView text) {
    QStringList refs;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int eventDepth = 0;
    while (i < n) {
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
        const AsxTag tag = readAsxTag(text, lt);
        if (tag.cutOff) {
            break; // the address may be incomplete
        }
        i = tag.end;
        if (tag.name == "event") {
            if (tag.closing) {
                eventDepth = qMax(0, eventDepth - 1);
            } else if (!tag.selfClosing) {
                ++eventDepth;
            }
            continue;
        }
        if (tag.closing || eventDepth > 0 || (tag.name != "ref" && tag.name != "entryref")) {
            continue;
        }
        const AsxTag::Attribute* href = tag.attribute("href");
        if (href && isCleanHref(*href)) {
            refs << decodeEntities(
                QString::fromUtf8(href->quoted ? href->value.trimmed() : href->value));
        }
    }
    return refs;
}

} // namespace orvanto
