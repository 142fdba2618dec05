#include "net/PortalChannels.h"

#include "net/PortalValues.h"

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

// Longest name or group taken from a portal; the rest is cut off.
constexpr qsizetype MaxNameLength = 200;
constexpr qsizetype MaxIdLength = 32;
constexpr qsizetype MaxLogoLength = 2048;

QString cleaned(const QString& text, qsizetype limit) {
    QString out = text.simplified().left(limit);
    out.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return out;
}

bool isSafeId(const QString& id) {
    if (id.isEmpty() || id.size() > MaxIdLength) {
        return false;
    }
    for (const QChar c : id) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'_') {
            return false;
        }
    }
    return true;
}

} // namespace

bool readPortalCategory(const QJsonObject& item, PortalCategories& categories) {
    const QString id = jsonText(item.value(u"category_id"_s)).trimmed();
    const QString name = cleaned(jsonText(item.value(u"category_name"_s)), MaxNameLength);
    if (id.isEmpty() || id.size() > MaxIdLength || name.isEmpty()) {
        return false;
    }
    categories.insert(id, name);
    return true;
}

std::optional<M3uEntry> portalEntry(const QJsonObject& item, const PortalAccount& account,
                                    const PortalLogin& login, const PortalCategories& categories) {
    const QString id = jsonText(item.value(u"stream_id"_s)).trimmed();
    if (!isSafeId(id)) {
        return std::nullopt;
    }
    M3uEntry entry;
    entry.name = cleaned(jsonText(item.value(u"name"_s)), MaxNameLength);
    if (entry.name.isEmpty()) {
        entry.name = u"Channel %1"_s.arg(id);
    }
    entry.address = account.streamUrl(id, login.streamExtension());
    entry.group = categories.value(jsonText(item.value(u"category_id"_s)).trimmed());
    // The guide is matched by the channel's name where its id finds nothing: a tvg-name equal
    // to the name would add nothing to that.
    const QString logo = jsonText(item.value(u"stream_icon"_s)).trimmed();
    const bool logoUsable = logo.size() <= MaxLogoLength &&
                            (logo.startsWith(u"http://"_s) || logo.startsWith(u"https://"_s));
    entry.tags = StationTags(cleaned(jsonText(item.value(u"epg_channel_id"_s)), MaxNameLength), {},
                             logoUsable ? QStringView(logo) : QStringView());
    if (jsonInt(item.value(u"tv_archive"_s), 0) == 1) {
        const qint64 days = jsonInt(item.value(u"tv_archive_duration"_s), 0);
        entry.catchup.kind = Catchup::Kind::Xc;
        entry.catchup.days =
            days >= 1 ? int(qMin<qint64>(days, Catchup::MaxDays)) : Catchup::DefaultDays;
        entry.catchup.timeZone = login.timeZone;
    }
    return entry;
}

} // namespace orvanto
