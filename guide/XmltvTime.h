#pragma once

#include <QStringView>
#include <optional>

namespace orvanto {

// An XMLTV time ("20240304213000 +0100"): YYYYMMDDhhmmss, of which the seconds, or the minutes and
// seconds, may be left out, then an optional offset from UTC (+hhmm or -hhmm; "Z" or "UTC" for
// none). Without an offset the time is UTC. Returns seconds since the epoch, or nothing when the
// text is no such time.
std::optional<qint64> parseXmltvTime(QStringView text);

} // namespace orvanto
