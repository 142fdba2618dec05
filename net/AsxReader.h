#pragma once

#include <QByteArrayView>
#include <QStringList>

namespace orvanto {

// ASX as Windows Media players read it: forgiving XML, element and attribute names in any
// case. Every REF and ENTRYREF is an entry, in document order (the REFs of one ENTRY are
// alternatives tried in turn, which is what playing them in order does), except those of an
// EVENT: its entries play only when the server signals the event, never in the play order.
// The addresses are returned as written (entities decoded), at most `maxEntries` of them.
QStringList readAsxEntries(QByteArrayView text, qsizetype maxEntries);

} // namespace orvanto
