#include "catalogue/Catchup.h"

#include "catalogue/ExtInfAttributes.h"
#include "catalogue/PlaylistText.h"
#include "core/AddressPolicy.h"

#include <QLatin1StringView>
#include <array>
#include <cmath>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;
using Kind = Catchup::Kind;

struct KindName {
    QLatin1StringView name;
    Kind kind;
};
// How lists write the kinds; the first name of a kind is the one written back.
constexpr std::array<KindName, 9> KindNames{{
    {"default"_L1, Kind::Default},
    {"append"_L1, Kind::Append},
    {"shift"_L1, Kind::Shift},
    {"flussonic"_L1, Kind::Flussonic},
    {"flussonic-hls"_L1, Kind::Flussonic},
    {"flussonic-ts"_L1, Kind::Flussonic},
    {"fs"_L1, Kind::Flussonic},
    {"xc"_L1, Kind::Xc},
    {"vod"_L1, Kind::Vod},
}};

bool hasControlCharacters(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            return true;
        }
    }
    return false;
}

// A whole number of days from 1 to MaxDays, or nothing (with what went wrong through `problem`).
int readDays(QStringView written, QLatin1StringView attribute,
             const std::function<void(const QString&)>& problem, int fallback) {
    bool ok = false;
    const qlonglong days = written.trimmed().toLongLong(&ok);
    if (ok && days >= 1 && days <= Catchup::MaxDays) {
        return static_cast<int>(days);
    }
    const int taken = ok && days > Catchup::MaxDays ? Catchup::MaxDays : fallback;
    problem(u"%1 \"%2\" is no number of days from 1 to %3: %4 days are taken"_s.arg(
        attribute, elidedForMessage(written), QString::number(Catchup::MaxDays),
        QString::number(taken)));
    return taken;
}

} // namespace

QString catchupKindName(Catchup::Kind kind) {
    for (const KindName& named : KindNames) {
        if (named.kind == kind) {
            return named.name;
        }
    }
    return {};
}

Catchup readCatchup(QStringView attributes, const Catchup& defaults,
                    const std::function<void(const QString&)>& problem) {
    Catchup catchup = defaults;
    QStringView kind = attributeValue(attributes, "catchup"_L1).trimmed();
    if (kind.isEmpty()) {
        kind = attributeValue(attributes, "catchup-type"_L1).trimmed();
    }
    bool kindGiven = false;
    if (!kind.isEmpty()) {
        bool known = false;
        for (const KindName& named : KindNames) {
            if (kind.compare(named.name, Qt::CaseInsensitive) == 0) {
                catchup.kind = named.kind;
                known = kindGiven = true;
                break;
            }
        }
        if (!known) {
            problem(u"catchup \"%1\" is no kind of archive this player knows, ignored"_s.arg(
                elidedForMessage(kind)));
        }
    }
    // The older notation: an archive of the shift kind, so many days deep.
    if (!kindGiven) {
        for (const QLatin1StringView older : {"timeshift"_L1, "tvg-rec"_L1}) {
            const QStringView days = attributeValue(attributes, older);
            if (!days.isNull() && !days.trimmed().isEmpty()) {
                bool ok = false;
                const qlonglong n = days.trimmed().toLongLong(&ok);
                if (ok && n == 0) {
                    break; // "timeshift=0": none
                }
                catchup.kind = Kind::Shift;
                catchup.days = readDays(days, older, problem, Catchup::DefaultDays);
                kindGiven = true;
                break;
            }
        }
    }
    const QStringView source = attributeValue(attributes, "catchup-source"_L1);
    if (!source.isNull()) {
        if (hasControlCharacters(source)) {
            problem(u"catchup-source holds control characters (a line break?), ignored"_s);
        } else if (source.size() > AddressPolicy::MaxAddressLength) {
            problem(u"catchup-source is longer than %1 characters, ignored"_s.arg(
                AddressPolicy::MaxAddressLength));
        } else {
            catchup.source = source.trimmed().toString();
        }
    }
    const QStringView days = attributeValue(attributes, "catchup-days"_L1);
    if (!days.isNull() && !days.trimmed().isEmpty()) {
        catchup.days =
            readDays(days, "catchup-days"_L1, problem,
                     catchup.days > 0 ? catchup.days : static_cast<int>(Catchup::DefaultDays));
    }
    const QStringView correction = attributeValue(attributes, "catchup-correction"_L1);
    if (!correction.isNull() && !correction.trimmed().isEmpty()) {
        bool ok = false;
        const double hours = correction.trimmed().toDouble(&ok);
        if (ok && std::isfinite(hours) && std::abs(hours) <= Catchup::MaxCorrectionHours) {
            catchup.correctionSeconds = static_cast<int>(std::lround(hours * 3600));
        } else {
            problem(u"catchup-correction \"%1\" is no number of hours from -%2 to %2, ignored"_s
                        .arg(elidedForMessage(correction))
                        .arg(Catchup::MaxCorrectionHours));
        }
    }
    if (catchup.enabled() && catchup.days <= 0) {
        catchup.days = Catchup::DefaultDays;
    }
    return catchup;
}

} // namespace orvanto
