#pragma once

#include "catalogue/Station.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace orvanto {

// The attributes of extended M3U lines: `key="value"` or `key=value` after an #EXTINF line's
// duration, or after "#EXTM3U".

// The value of attribute `key` (case-insensitive) in `attributes`, which starts with the
// duration; a null view when the attribute is absent.
QStringView attributeValue(QStringView attributes, QLatin1StringView key);

// What an #EXTINF line (the text after "#EXTINF:") says of its entry.
struct ExtInfo {
    QString name;           // the display name, failing that the tvg-name; may be empty
    QString group;          // group-title, trimmed
    QStringView attributes; // the duration and the attributes, as written
    StationTags tags;       // tvg-id, tvg-name, tvg-logo, trimmed
};
// The display name follows the first comma outside double quotes after the duration and
// attributes, so that it may hold commas of its own; with a quote left open, the last comma.
ExtInfo readExtInf(QStringView info);

// Adds the programme guides an #EXTM3U line names (url-tvg, then x-tvg-url; each may list
// several addresses separated by commas) to `addresses`, each once, up to `max` in all.
void addGuideAddresses(QStringView attributes, QStringList& addresses, qsizetype max);

} // namespace orvanto
