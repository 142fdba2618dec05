#include "app/ConnectionWarning.h"

#include "catalogue/Station.h"
#include "net/VariantList.h"

#include <QUrl>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// The server of an address, as host:port; empty for what is no network address.
QString server(const QString& address) {
    const QUrl url(address);
    if (url.host().isEmpty()) {
        return {};
    }
    return u"%1:%2"_s.arg(url.host().toLower())
        .arg(url.port(url.scheme() == u"https"_s ? 443 : 80));
}

// The first server that `station` plays from and one of `other`'s addresses too.
QString sharedServer(const Station& station, const Station& other) {
    for (size_t slot = 0; slot < station.StreamUrls.size(); ++slot) {
        const QString address = station.StreamUrls[slot];
        const QString host = server(address);
        if (host.isEmpty() || VariantList::mayBeAdaptive(QUrl(address))) {
            continue;
        }
        for (size_t at = 0; at < other.StreamUrls.size(); ++at) {
            if (server(other.StreamUrls[at]) == host) {
                return QUrl(address).host();
            }
        }
    }
    return {};
}

} // namespace

QString connectionWarning(const Station& recorded, const QList<const Station*>& alongside,
                          int allowedConnections) {
    if (allowedConnections > 0) {
        const int needed = int(alongside.size()) + 1;
        if (needed <= allowedConnections) {
            return {};
        }
        return u"The account allows %1 connection(s) at once, and at its time this recording "
               u"needs connection %2 (with the window and the other recordings): the provider "
               u"may refuse it or end another."_s.arg(allowedConnections)
                   .arg(needed);
    }
    for (const Station* other : alongside) {
        const QString host = sharedServer(recorded, *other);
        if (!host.isEmpty()) {
            return u"%1 comes from the same server as %2 (%3), which plays at the same time: a "
                   u"server that serves one client at a time will refuse the recording's second "
                   u"connection."_s.arg(recorded.Name, other->Name, host);
        }
    }
    return {};
}

} // namespace orvanto
