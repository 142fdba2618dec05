#pragma once

#include <QString>

class QMimeData;

namespace orvanto {

// The channel list that dropped `data` names: the first local .m3u/.m3u8 file (its path) or
// http(s) address among its URLs, else its text when that is one http(s) address; empty when it
// names none.
QString droppedList(const QMimeData& data);

// `text` trimmed, when it is an http(s) address with a host; else empty.
QString webListAddress(const QString& text);

} // namespace orvanto
