#include "catalogue/PlaylistRegistration.h"

#include "catalogue/Catalogue.h"
#include "catalogue/M3uParser.h"
#include "catalogue/PlaylistText.h"

#include <QHash>
#include <QSet>
#include <deque>
#include <utility>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// A message lists this many items at most, and this many station names in one item.
constexpr qsizetype MaxItems = 12;
constexpr qsizetype MaxNames = 10;
// Distinct names of stations left out are counted up to this many.
constexpr qsizetype MaxCountedNames = 100000;

QString quoted(const QString& name) {
    return u'"' + elidedForMessage(name) + u'"';
}

QString plural(qsizetype n, const QString& one, const QString& many) {
    return QString::number(n) + u' ' + (n == 1 ? one : many);
}

// Names the entries left out, grouped by station, in order of appearance.
class LeftOut {
public:
    void add(const QString& name) {
        auto it = entries_.find(name);
        if (it == entries_.end()) {
            order_.append(name);
            it = entries_.insert(name, 0);
        }
        ++*it;
    }
    bool isEmpty() const { return order_.isEmpty(); }
    const QStringList& names() const { return order_; }
    qsizetype entries(const QString& name) const { return entries_.value(name); }

private:
    QStringList order_;
    QHash<QString, qsizetype> entries_;
};

// An entry the catalogue takes; the name shares its text with every entry of the station.
struct Accepted {
    QString name;
    StreamAddress address;
    QString group;
    StationTags tags;
    Catchup catchup;
};

} // namespace

// Decides, entry by entry, what goes into the catalogue. A catalogue that holds stations stays
// untouched until the whole playlist has been read: the entries taken are kept aside until then.
// An empty one (a list read into a catalogue of its own) takes them as they come, which spares a
// second copy of a long list, and is emptied again should the list be rejected after all.
class EntryRegistration::Plan {
public:
    Plan(Catalogue& catalogue, const QStringList& reservedNames, RegistrationLimits limits)
        : catalogue_(catalogue), direct_(catalogue.StationCount() == 0 ? &catalogue : nullptr),
          reserved_(reservedNames.cbegin(), reservedNames.cend()), limits_(limits),
          firstStationCount_(catalogue.StationCount()), stationCount_(firstStationCount_),
          addressCount_(catalogue.urlCount()) {}

    // The catalogue takes the entries as they come.
    bool isDirect() const { return direct_ != nullptr; }
    // Stations and addresses put into the catalogue as they came.
    int directStations() const { return directStations_; }
    int directAddresses() const { return directAddresses_; }

    void add(M3uEntry&& entry) {
        ++entries_;
        if (reserved_.contains(entry.name)) {
            reservedLeftOut_.add(entry.name);
            return;
        }
        if (direct_) {
            addDirect(std::move(entry));
            return;
        }
        auto station = urlCounts_.find(entry.name);
        if (station == urlCounts_.end()) {
            if (stationsLeftOut_.contains(entry.name)) {
                ++entriesOfStationsLeftOut_;
                return;
            }
            const int index = catalogue_.FindStation(entry.name);
            if (index != Catalogue::NotFound) {
                station = urlCounts_.insert(entry.name, catalogue_.station(index).urlCount());
            } else if (stationCount_ < limits_.stations) {
                ++stationCount_;
                station = urlCounts_.insert(entry.name, 0);
            } else {
                leaveOutStation(entry.name);
                return;
            }
        }
        if (*station >= Station::MaxUrls) {
            addressesLeftOut_.add(entry.name);
            return;
        }
        if (addressCount_ >= limits_.addresses) {
            ++addressesBeyondTotal_;
            return;
        }
        ++*station;
        ++addressCount_;
        accepted_.push_back(
            {station.key(), StreamAddress(std::move(entry.address), shared(entry.headers)),
             std::move(entry.group), std::move(entry.tags), std::move(entry.catchup)});
    }

    qsizetype entries() const { return entries_; }
    // Taken from the front while the catalogue fills, so that an entry's memory goes as its
    // station's comes.
    std::deque<Accepted>& accepted() { return accepted_; }
    // Stations the entries taken create.
    int newStations() const { return stationCount_ - firstStationCount_; }
    LeftOut& addressesLeftOut() { return addressesLeftOut_; }

    // The items of the report about what was left out.
    QStringList leftOutItems() const {
        QStringList items;
        if (stationsLeftOutCount_ > 0) {
            QStringList names;
            for (const QString& name : firstStationsLeftOut_) {
                names.append(quoted(name));
            }
            const QString count = stationsLeftOutCount_ >= MaxCountedNames
                                      ? u"More than %1 stations"_s.arg(MaxCountedNames)
                                      : plural(stationsLeftOutCount_, u"station"_s, u"stations"_s);
            items.append(u"%1 beyond the first %2 left out (%3): %4%5"_s.arg(
                count, QString::number(limits_.stations),
                plural(entriesOfStationsLeftOut_, u"entry"_s, u"entries"_s), names.join(u", "_s),
                stationsLeftOutCount_ > names.size() ? u", ..."_s : QString()));
        }
        if (addressesBeyondTotal_ > 0) {
            items.append(u"%1 beyond the first %2 of the list left out"_s.arg(
                plural(addressesBeyondTotal_, u"address"_s, u"addresses"_s),
                QString::number(limits_.addresses)));
        }
        for (const QString& name : addressesLeftOut_.names()) {
            items.append(u"%1: %2 beyond the first %3 left out"_s.arg(
                quoted(name), plural(addressesLeftOut_.entries(name), u"address"_s, u"addresses"_s),
                QString::number(Station::MaxUrls)));
        }
        for (const QString& name : reservedLeftOut_.names()) {
            items.append(u"%1 is the name of a locked station: %2 left out"_s.arg(
                quoted(name), plural(reservedLeftOut_.entries(name), u"entry"_s, u"entries"_s)));
        }
        return items;
    }

private:
    void addDirect(M3uEntry&& entry) {
        const int index = direct_->FindStation(entry.name);
        if (index == Catalogue::NotFound) {
            if (stationsLeftOut_.contains(entry.name)) {
                ++entriesOfStationsLeftOut_;
                return;
            }
            if (stationCount_ >= limits_.stations) {
                leaveOutStation(entry.name);
                return;
            }
        } else if (direct_->station(index).urlCount() >= Station::MaxUrls) {
            addressesLeftOut_.add(entry.name);
            return;
        }
        if (addressCount_ >= limits_.addresses) {
            ++addressesBeyondTotal_;
            return;
        }
        ++addressCount_;
        const StreamAddress address(std::move(entry.address), shared(entry.headers));
        if (direct_->AddStreamUrl(entry.name, address, entry.group, entry.tags, entry.catchup) ==
            Catalogue::AddResult::CreatedStation) {
            ++stationCount_;
            ++directStations_;
        }
        ++directAddresses_;
    }

    // One copy of each set of headers, however many addresses ask for it.
    HttpHeaders shared(const HttpHeaders& headers) {
        if (headers.isEmpty()) {
            return headers;
        }
        const auto known = headerSets_.constFind(headers);
        if (known != headerSets_.cend()) {
            return *known;
        }
        headerSets_.insert(headers);
        return headers;
    }

    void leaveOutStation(const QString& name) {
        ++entriesOfStationsLeftOut_;
        if (stationsLeftOutCount_ >= MaxCountedNames) {
            return;
        }
        stationsLeftOut_.insert(name);
        ++stationsLeftOutCount_;
        if (firstStationsLeftOut_.size() < MaxNames) {
            firstStationsLeftOut_.append(name);
        }
    }

    const Catalogue& catalogue_;
    Catalogue* const direct_;
    int directStations_ = 0;
    int directAddresses_ = 0;
    const QSet<QString> reserved_;
    const RegistrationLimits limits_;
    const int firstStationCount_;
    int stationCount_;
    int addressCount_;
    qsizetype addressesBeyondTotal_ = 0;
    qsizetype entries_ = 0;
    QHash<QString, int> urlCounts_; // addresses per station that takes entries, when kept aside
    std::deque<Accepted> accepted_; // kept aside
    QSet<HttpHeaders> headerSets_;

    QSet<QString> stationsLeftOut_;
    QStringList firstStationsLeftOut_;
    qsizetype stationsLeftOutCount_ = 0;
    qsizetype entriesOfStationsLeftOut_ = 0;
    LeftOut addressesLeftOut_;
    LeftOut reservedLeftOut_;
};

namespace {

PlaylistReport rejected(const QString& source, const QString& reason) {
    PlaylistReport report;
    report.rejection = reason;
    report.message = u"The playlist %1 cannot be used: %2.\n\nThe built-in stations are shown "
                     u"instead."_s.arg(quoted(source), reason);
    return report;
}

PlaylistReport rejected(const PlaylistData& data, const QString& reason) {
    return rejected(data.source, reason);
}

QString leftOutMessage(const QString& source, QStringList items, qsizetype moreItems) {
    if (items.size() > MaxItems) {
        moreItems += items.size() - MaxItems;
        items.resize(MaxItems);
    }
    QString text = u"Not all of the playlist %1 could be used:\n"_s.arg(quoted(source));
    for (const QString& item : std::as_const(items)) {
        text += u"\n- "_s + item;
    }
    if (moreItems > 0) {
        text += u"\n- ... and %1 more"_s.arg(moreItems);
    }
    return text;
}

} // namespace

PlaylistReport registerPlaylist(const PlaylistData& data, Catalogue& catalogue,
                                const QStringList& reservedNames) {
    if (!data.error.isEmpty()) {
        return rejected(data, data.error);
    }
    if (data.bytes.size() > MaxPlaylistBytes) {
        return rejected(data, playlistTooLarge(data.bytes.size()));
    }
    if (data.bytes.isEmpty()) {
        return rejected(data, u"it is empty"_s);
    }
    const PlaylistText text = decodePlaylistText(data.bytes);
    if (!text.rejection.isEmpty()) {
        return rejected(data, text.rejection);
    }

    EntryRegistration registration(catalogue, reservedNames);
    const M3uResult parsed = parseM3u(text.text, data.location, [&registration](M3uEntry&& entry) {
        registration.add(std::move(entry));
    });
    if (!parsed.rejection.isEmpty()) {
        return rejected(data, parsed.rejection);
    }
    QStringList problems;
    if (text.windows1252) {
        problems.append(u"it is not UTF-8 text: it was read as Windows-1252 (Western European)"_s);
    }
    if (text.nulLines > 0) {
        problems.append(
            u"%1 with NUL bytes skipped"_s.arg(plural(text.nulLines, u"line"_s, u"lines"_s)));
    }
    problems += parsed.problems;
    return registration.finish(data.source, parsed.guideAddresses, problems,
                               parsed.problemCount - parsed.problems.size());
}

EntryRegistration::EntryRegistration(Catalogue& catalogue, const QStringList& reservedNames,
                                     RegistrationLimits limits)
    : catalogue_(catalogue), plan_(std::make_unique<Plan>(catalogue, reservedNames, limits)) {}

EntryRegistration::~EntryRegistration() {
    // Entries the catalogue took as they came go again when the list was never finished: a
    // rejected list leaves nothing behind.
    if (plan_->isDirect() && !finished_) {
        catalogue_ = Catalogue();
    }
}

void EntryRegistration::add(M3uEntry&& entry) {
    plan_->add(std::move(entry));
}

qsizetype EntryRegistration::entries() const {
    return plan_->entries();
}

PlaylistReport EntryRegistration::finish(const QString& source, const QStringList& guideAddresses,
                                         const QStringList& problems, qsizetype moreProblems) {
    Plan& plan = *plan_;
    if (plan.entries() == 0) {
        return rejected(source, u"it holds no station entries"_s);
    }
    if (plan.isDirect() ? plan.directAddresses() == 0 : plan.accepted().empty()) {
        return rejected(source, u"none of its entries can be used (%1)"_s.arg(
                                    plan.leftOutItems().join(u"; "_s)));
    }

    finished_ = true;
    PlaylistReport report;
    report.accepted = true;
    report.stations = plan.directStations();
    report.addresses = plan.directAddresses();
    catalogue_.setGuideAddresses(guideAddresses);
    if (!plan.isDirect()) {
        catalogue_.reserve(catalogue_.StationCount() + plan.newStations());
    }
    for (auto& accepted = plan.accepted(); !accepted.empty(); accepted.pop_front()) {
        const Accepted& entry = accepted.front();
        const QString& name = entry.name;
        switch (
            catalogue_.AddStreamUrl(name, entry.address, entry.group, entry.tags, entry.catchup)) {
        case Catalogue::AddResult::CreatedStation:
            ++report.stations;
            ++report.addresses;
            break;
        case Catalogue::AddResult::Added:
            ++report.addresses;
            break;
        case Catalogue::AddResult::StationFull:
            plan.addressesLeftOut().add(name);
            break;
        }
    }

    QStringList items = plan.leftOutItems();
    items += problems;
    if (!items.isEmpty()) {
        report.message = leftOutMessage(source, items, moreProblems);
    }
    return report;
}

} // namespace orvanto
