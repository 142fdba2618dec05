#include "catalogue/ExtInfAttributes.h"

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

// The comma that ends the duration and attributes of an #EXTINF line: the first one outside
// double quotes after them, so that the display name may hold commas of its own. When a quote is
// left open, the author forgot to close it: then the last comma of all.
qsizetype nameSeparator(QStringView info) {
    const qsizetype n = info.size();
    qsizetype i = 0;
    // Skips a quoted stretch starting at i; false when its quote is never closed.
    auto skipQuoted = [&] {
        const qsizetype close = info.indexOf(u'"', i + 1);
        if (close < 0) {
            return false;
        }
        i = close + 1;
        return true;
    };
    while (i < n && !info[i].isSpace() && info[i] != u',') {
        ++i; // the duration
    }
    for (;;) {
        while (i < n && info[i].isSpace()) {
            ++i;
        }
        if (i >= n) {
            return -1;
        }
        if (info[i] == u',') {
            return i;
        }
        // An attribute: a name, possibly with =value or ="value".
        while (i < n && !info[i].isSpace() && info[i] != u',') {
            if (info[i] == u'"') {
                if (!skipQuoted()) {
                    return info.lastIndexOf(u',');
                }
            } else {
                ++i;
            }
        }
    }
}

} // namespace

QStringView attributeValue(QStringView attributes, QLatin1StringView key) {
    qsizetype i = 0;
    const qsizetype n = attributes.size();
    auto skipBlanks = [&] {
        while (i < n && attributes[i].isSpace()) {
            ++i;
        }
    };
    // The duration comes first.
    while (i < n && !attributes[i].isSpace()) {
        ++i;
    }
    while (i < n) {
        skipBlanks();
        const qsizetype keyStart = i;
        while (i < n && attributes[i] != u'=' && !attributes[i].isSpace()) {
            ++i;
        }
        const QStringView name = attributes.sliced(keyStart, i - keyStart);
        if (i >= n || attributes[i] != u'=') {
            continue; // a bare word: no value
        }
        ++i; // '='
        qsizetype valueStart = i;
        qsizetype valueEnd = i;
        if (i < n && attributes[i] == u'"') {
            valueStart = ++i;
            while (i < n && attributes[i] != u'"') {
                ++i;
            }
            valueEnd = i;
            if (i < n) {
                ++i; // closing quote
            }
        } else {
            while (i < n && !attributes[i].isSpace()) {
                ++i;
            }
            valueEnd = i;
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0) {
            return attributes.sliced(valueStart, valueEnd - valueStart);
        }
    }
    return {};
}

ExtInfo readExtInf(QStringView info) {
    const qsizetype comma = nameSeparator(info);
    const QStringView attributes = comma >= 0 ? info.first(comma) : info;
    ExtInfo result;
    result.attributes = attributes;
    result.group = attributeValue(attributes, "group-title"_L1).trimmed().toString();
    const QStringView tvgName = attributeValue(attributes, "tvg-name"_L1).trimmed();
    result.tags = StationTags(attributeValue(attributes, "tvg-id"_L1).trimmed(), tvgName,
                              attributeValue(attributes, "tvg-logo"_L1).trimmed());
    if (comma >= 0) {
        const QStringView display = info.sliced(comma + 1).trimmed();
        if (!display.isEmpty()) {
            result.name = display.toString();
            return result;
        }
    }
    result.name = tvgName.toString();
    return result;
}

void addGuideAddresses(QStringView attributes, QStringList& addresses, qsizetype max) {
    for (const QLatin1StringView key : {"url-tvg"_L1, "x-tvg-url"_L1}) {
        for (const QStringView part : attributeValue(attributes, key).split(u',')) {
            const QString address = part.trimmed().toString();
            if (!address.isEmpty() && !addresses.contains(address) && addresses.size() < max) {
                addresses.append(address);
            }
        }
    }
}

} // namespace orvanto
