#pragma once

#include "catalogue/M3uParser.h"
#include "net/PortalAccount.h"
#include "net/PortalLogin.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace orvanto {

// The groups of an account: category_id to category_name.
using PortalCategories = QHash<QString, QString>;

// Takes one item of get_live_categories into `categories`; false for an item that is none.
bool readPortalCategory(const QJsonObject& item, PortalCategories& categories);

// The channel entry of one item of get_live_streams, as a list's entry: its name, its live
// address on the account (in the container the account allows), its group, its guide tags
// (epg_channel_id, the name, the icon) and, with tv_archive, its archive of the Xc kind for
// tv_archive_duration days in the portal's zone. Nothing for an item without a usable stream id.
std::optional<M3uEntry> portalEntry(const QJsonObject& item, const PortalAccount& account,
                                    const PortalLogin& login, const PortalCategories& categories);

} // namespace orvanto
