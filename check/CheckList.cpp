#include "check/CheckList.h"

#include "catalogue/Catalogue.h"
#include "catalogue/M3uParser.h"

#include <QHash>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

int CheckStation::playing() const {
    int n = 0;
    for (const CheckAddress& address : addresses) {
        n += address.verdict.plays() ? 1 : 0;
    }
    return n;
}

QString CheckStation::firstPlaying() const {
    for (const CheckAddress& address : addresses) {
        if (address.verdict.plays()) {
            return address.address;
        }
    }
    return {};
}

int CheckList::addressCount() const {
    int n = 0;
    for (const CheckStation& station : stations) {
        n += static_cast<int>(station.addresses.size());
    }
    return n;
}

CheckListRead checkListFromM3u(QStringView text, const QUrl& base) {
    CheckListRead read;
    QHash<QString, size_t> index;
    const M3uResult result = parseM3u(text, base, [&](M3uEntry&& entry) {
        auto it = index.find(entry.name);
        if (it == index.end()) {
            it = index.insert(entry.name, read.list.stations.size());
            read.list.stations.push_back(CheckStation{entry.name, {}});
        }
        read.list.stations[*it].addresses.push_back(
            CheckAddress{.address = std::move(entry.address),
                         .directives = std::move(entry.directives),
                         .headers = std::move(entry.headers),
                         .addressOptions = std::move(entry.addressOptions)});
    });
    if (!result.rejection.isEmpty()) {
        read.error = u"not a channel list: "_s + result.rejection;
        read.list = {};
        return read;
    }
    read.problems = result.problems;
    read.problemCount = result.problemCount;
    if (read.list.stations.empty()) {
        read.error = u"the list holds no channel"_s;
        return read;
    }
    // Keep the header's attributes (a guide's address and the like).
    QStringView rest = text.startsWith(QChar::ByteOrderMark) ? text.sliced(1) : text;
    rest = rest.trimmed();
    const qsizetype end = rest.indexOf(u'\n');
    const QStringView firstLine = (end < 0 ? rest : rest.first(end)).trimmed();
    if (firstLine.startsWith(u"#EXTM3U"_s, Qt::CaseInsensitive) && firstLine.size() <= 4096) {
        read.list.header = firstLine.toString();
    }
    return read;
}

CheckList checkListFromCatalogue(const Catalogue& catalogue, int count) {
    CheckList list;
    for (const Station& station : catalogue) {
        if (count-- == 0) {
            break;
        }
        CheckStation checked{station.Name, {}};
        for (int i = 0; i < station.urlCount(); ++i) {
            const StreamAddress& address = station.StreamUrls.address(size_t(i));
            if (!address.url.isEmpty()) {
                checked.addresses.push_back(
                    CheckAddress{.address = address.url, .headers = address.headers});
            }
        }
        if (!checked.addresses.empty()) {
            list.stations.push_back(std::move(checked));
        }
    }
    return list;
}

} // namespace orvanto
