#pragma once

#include "net/PortalAccount.h"
#include "net/PortalChannels.h"
#include "net/PortalLogin.h"

#include <QJsonObject>
#include <QSaveFile>
#include <QString>
#include <functional>

namespace orvanto {

// The last channel list read from an account, kept so that an account whose portal stops
// answering still shows its channels, saying when they were read. One JSON object a line: first
// what the login said of the streams (their container, the portal's zone), the groups and the
// time, then the portal's own channel items as they came. None of it holds the password.

// The file that keeps the list of `account` in `folder`.
QString portalCacheFile(const QString& folder, const PortalAccount& account);

// Writes a list whole or not at all: nothing replaces the last one until commit().
class PortalCacheWriter {
public:
    explicit PortalCacheWriter(const QString& path) : file_(path) {}

    bool begin(const PortalLogin& login, const PortalCategories& categories, qint64 readAt);
    void add(const QJsonObject& item);
    // False when the list could not be written (it then stays as it was).
    bool commit();

private:
    QSaveFile file_;
    bool ok_ = false;
};

struct PortalCacheRead {
    bool found = false; // a list was kept and could be read
    qint64 readAt = 0;  // when it was read from the portal
    PortalLogin login;  // its streams' container and zone
    PortalCategories categories;
};

// Reads the kept list at `path` into `read`, then hands each channel item to `sink`: at most
// `maxBytes` in all and `maxItems` items, a line at most as long as an item may be.
void readPortalCache(const QString& path, qint64 maxBytes, qsizetype maxItems,
                     PortalCacheRead& read, const std::function<void(const QJsonObject&)>& sink);

} // namespace orvanto
