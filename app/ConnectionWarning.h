#pragma once

#include <QList>
#include <QString>

namespace orvanto {

struct Station;

// What may keep a scheduled recording from getting its stream, said when it is scheduled; empty
// when nothing is known against it. `alongside`: the channels this viewer plays at the same
// time (the window's, the other recordings'), each on a connection of its own.
//  - A provider account that allows `allowedConnections` (0: it does not say) may refuse one
//    more than that.
//  - Of a list, no server says it takes one client at a time; a second connection to the host
//    that a channel alongside plays from is the risk, unless the recording is of HLS or DASH,
//    whose segments come on short requests of their own.
QString connectionWarning(const Station& recorded, const QList<const Station*>& alongside,
                          int allowedConnections);

} // namespace orvanto
