#include "catalogue/BuiltinStations.h"

#include "AddressKind.h"
#include "catalogue/Catalogue.h"
#include "catalogue/StationTable.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <utility>
#include <vector>

using orvanto::Catalogue;
using orvanto::Station;

namespace {

QString u(const char16_t* text) {
    return QString::fromUtf16(text);
}

// Every station in catalogue order with the kinds of its candidates ("2 asx" = two asx in a row).
struct ExpectedStation {
    const char16_t* name;
    const char* kinds;
};

constexpr ExpectedStation ExpectedStations[] = {
    {u"MAD TV", "mms, 2 asx, mms"},
    {u"NET", "mms, 2 mms-sid-asf, 7 mms-sid, asx, mms, 4 mms-rtp, asx"},
    {u"MEGA", "2 asx, mms, 2 mms-sid, mms, http-sid, mms-sid, 6 mms-rtp, 2 mms-sid, 2 http-sid, "
              "2 http-key-asf"},
    {u"MEGA 1", "http"},
    {u"Sport TV", "mms"},
    {u"OMEGA TV", "mms, 2 asx"},
    {u"ET1", "mms"},
    {u"ANTENA ", "asx, mms-sid, http-key, 4 mms, 6 mms-rtp, mms, mms-rtp, mms, http-key, 4 mms, "
                 "mms-rtp, mms-emptyq, mms-host, mms-sid, 13 mms, mms-rtp, asx"},
    {u"ET3", "mms-sid, mms-sid-asf, 6 mms, 6 mms-rtp"},
    {u"THRAKI NET", "mms, 3 asx"},
    {u"West TV", "mms"},
    {u"Delta TV", "asx"},
    {u"ALPHA", "mms, asx, 5 mms, mms-port, http-sid, asx, http-sid, http-wma, 7 asx"},
    {u"ERT WORLD", "http, 2 asx, 2 mms-sid, 10 mms-rtp, http-key, php"},
    {u"MEGA TV Cy", "asp"},
    {u"PIC 2 Cy", "asp"},
    {u"STAR Dramas TV", "http"},
    {u"ALTER", "http-key, mms, mms-sid, 5 mms, 4 mms-rtp, 3 asx, http-key"},
    {u"Helenic 1", "http"},
    {u"Nea TV kritis", "asx"},
    {u"BLUE SKY", "mms, asx-q, mms, asx, asx-q"},
    {u"ELLADA TV", "3 asx"},
    {u"Achaia News TV", "asx, mms"},
    {u"PLUS Schanel", "mms, asx"},
    {u"Hellenik TV", "http"},
    {u"SkySat Movies", "mms"},
    {u"MusicForce TV", "mms-port"},
    {u"Rage TV", "asx"},
    {u"SPORT TV  ORVANTO", "2 mms"},
    {u"Bouli Ellinon", "mms"},
    {u"Lamsi TV 1", "2 asx"},
    {u"Kriti TV", "mms"},
    {u"Kissamos TV", "asx"},
    {u"STAR", "asx, 6 mms, mms-rtp, asx"},
    {u"Max TV", "asx"},
    {u"TV 100", "http"},
    {u"TV MAGIC", "2 mms, 2 asx"},
    {u"Music force TV", "mms-port"},
    {u"Nees Gnorimies", "asx, mms-wma"},
    {u"Kontilies TV", "mms"},
    {u"Star Dramas", "http"},
    {u"4\u20AC Eklisia", "http, asx, mms"},
    {u"Bible Live", "2 asx"},
    {u"Aheloos TV", "2 asx"},
    {u"Nikea Eklisia", "asx, mms"},
    {u"Fos TV", "mms, asx"},
    {u"Discovering Orvanto", "mms-hostport"},
    {u"Lyxnos", "2 mms"},
    {u"Nea TV", "asx"},
    {u"RikSat Cyprus", "mms, asx, mms"},
    {u"ACHAIA TV", "asx"},
    {u"MEGA GR", "mms-hostport"},
    {u"ANT1 GR", "mms-hostport"},
    {u"ET1 GR", "mms-hostport"},
    {u"ALTER GR", "mms-hostport"},
    {u"ALFA GR", "mms-hostport"},
    {u"RIK SAT GR", "mms-hostport"},
    {u"ERT SAT GR", "mms-hostport"},
    {u"West TV Kozani", "mms, asx"},
    {u"NEA Tileorasi", "mms, http, asx"},
    {u"ADULT 1", "mms, http-port, mms-port"},
    {u"ADULT 2", "mms, http-port, mms"},
    {u"ADULT 3", "mms, php, mms-port"},
    {u"ADULT 4", "mms, php, mms"},
    {u"ADULT 5", "php, mms, asx"},
    {u"ADULT 6", "mms, mms-port, mms"},
    {u"ADULT 7", "mms, mms-port, mms"},
    {u"ADULT 8", "mms, mms-port, mms"},
    {u"ADULT 9", "mms, mms-port, mms"},
    {u"ADULT 10", "mms, mms-port, mms"},
    {u"ADULT 11", "mms, mms-port, mms"},
    {u"ADULT 12", "mms, mms-port, mms"},
};

// A candidate: station name and its candidate number counted from 1.
using Position = std::pair<QString, int>;
using Group = std::set<Position>;

// Every set of candidates that hold one and the same address, within a station or across stations.
const std::set<Group>& expectedSharedAddresses() {
    static const std::set<Group> groups = [] {
        const std::vector<std::vector<std::pair<const char16_t*, int>>> lists = {
            {{u"ALPHA", 1}, {u"ALPHA", 3}},
            {{u"ALPHA", 2}, {u"ALPHA", 14}},
            {{u"ALPHA", 17}, {u"ALPHA", 18}},
            {{u"ALPHA", 10}, {u"ALPHA", 19}},
            {{u"ANTENA ", 4}, {u"ANTENA ", 18}},
            {{u"ANTENA ", 5}, {u"ANTENA ", 19}},
            {{u"ANTENA ", 6}, {u"ANTENA ", 20}},
            {{u"ANTENA ", 7}, {u"ANTENA ", 21}},
            {{u"ANTENA ", 8}, {u"ANTENA ", 22}},
            {{u"ANTENA ", 14}, {u"ANTENA ", 31}},
            {{u"ALTER", 2}, {u"ALTER", 7}},
            {{u"BLUE SKY", 2}, {u"BLUE SKY", 5}},
            {{u"ELLADA TV", 1}, {u"ELLADA TV", 2}},
            {{u"Lyxnos", 1}, {u"Lyxnos", 2}},
            {{u"RikSat Cyprus", 1}, {u"RikSat Cyprus", 3}},
            {{u"Sport TV", 1},
             {u"SPORT TV  ORVANTO", 1},
             {u"SPORT TV  ORVANTO", 2},
             {u"TV MAGIC", 1},
             {u"TV MAGIC", 2}},
            {{u"MEGA 1", 1}, {u"Helenic 1", 1}, {u"Hellenik TV", 1}},
            {{u"STAR Dramas TV", 1}, {u"Star Dramas", 1}},
            {{u"MusicForce TV", 1}, {u"Music force TV", 1}},
            {{u"West TV", 1}, {u"West TV Kozani", 1}},
            {{u"ACHAIA TV", 1}, {u"Achaia News TV", 1}},
            {{u"SkySat Movies", 1}, {u"MEGA", 3}},
            {{u"MEGA", 1}, {u"PLUS Schanel", 2}},
            {{u"ADULT 3", 2}, {u"ADULT 4", 2}},
            {{u"ADULT 1", 3}, {u"ADULT 8", 2}},
            {{u"ADULT 7", 2}, {u"ADULT 10", 2}},
            {{u"ADULT 8", 1}, {u"ADULT 9", 1}},
        };
        std::set<Group> result;
        for (const auto& list : lists) {
            Group group;
            for (const auto& [name, candidate] : list) {
                group.insert({u(name), candidate});
            }
            result.insert(group);
        }
        return result;
    }();
    return groups;
}

// "mms, 2 asx" -> {"mms", "asx", "asx"}
QStringList expandKinds(const char* kinds) {
    QStringList result;
    for (const QString& item : QString::fromLatin1(kinds).split(QStringLiteral(", "))) {
        const QStringList words = item.split(QLatin1Char(' '));
        const int repeat = words.size() == 2 ? words.front().toInt() : 1;
        for (int i = 0; i < repeat; ++i) {
            result.append(words.back());
        }
    }
    return result;
}

QStringList kindsOf(const Station& station) {
    QStringList result;
    for (int i = 0; i <= station.LastUrlIndex; ++i) {
        result.append(addresskind::kindOf(station.StreamUrls[static_cast<size_t>(i)]));
    }
    return result;
}

class BuiltinStations : public ::testing::Test {
protected:
    BuiltinStations() {
        orvanto::RegisterStations(catalogue);
        orvanto::RegisterAdultStations(catalogue);
    }

    const Station& named(const char16_t* name) const {
        const int index = catalogue.FindStation(u(name));
        EXPECT_NE(index, Catalogue::NotFound) << QString::fromUtf16(name).toStdString();
        return catalogue.station(index == Catalogue::NotFound ? 1 : index);
    }

    QString url(const char16_t* name, int candidate) const {
        return named(name).StreamUrls[static_cast<size_t>(candidate - 1)];
    }

    Catalogue catalogue;
};

TEST(BuiltinStationCounts, RegularThenAdultStations) {
    Catalogue c;
    orvanto::RegisterStations(c);
    EXPECT_EQ(c.StationCount(), 60);
    EXPECT_EQ(c.urlCount(), 238);
    EXPECT_EQ(static_cast<int>(orvanto::RegularStationTable().size()), 238);
    orvanto::RegisterAdultStations(c);
    EXPECT_EQ(c.StationCount(), 72);
    EXPECT_EQ(c.urlCount(), 274);
    EXPECT_EQ(static_cast<int>(orvanto::AdultStationTable().size()), 36);
}

TEST_F(BuiltinStations, NamesOrderCountsAndKindsOfEveryStation) {
    ASSERT_EQ(catalogue.StationCount(), static_cast<int>(std::size(ExpectedStations)));
    int index = 1;
    for (const ExpectedStation& expected : ExpectedStations) {
        const Station& station = catalogue.station(index);
        SCOPED_TRACE(
            QStringLiteral("station %1 %2").arg(index).arg(u(expected.name)).toStdString());
        EXPECT_EQ(station.Name, u(expected.name));
        EXPECT_EQ(kindsOf(station), expandKinds(expected.kinds));
        EXPECT_LE(station.urlCount(), Station::MaxUrls);
        ++index;
    }
    EXPECT_EQ(named(u"ANTENA ").urlCount(), 40);
    EXPECT_EQ(named(u"NET").urlCount(), 17);
    EXPECT_EQ(named(u"ALPHA").urlCount(), 19);
    EXPECT_EQ(named(u"MEGA").urlCount(), 20);
}

TEST_F(BuiltinStations, SecondRunsOfNetAndAlphaFollowPic2Cy) {
    std::vector<std::pair<QString, std::vector<QString>>> runs;
    for (const orvanto::StationUrl& row : orvanto::RegularStationTable()) {
        if (runs.empty() || runs.back().first != u(row.name)) {
            runs.push_back({u(row.name), {}});
        }
        runs.back().second.push_back(u(row.url));
    }
    ASSERT_EQ(runs.size(), 62u);
    EXPECT_EQ(runs[15].first, u(u"PIC 2 Cy"));
    ASSERT_EQ(runs[16].first, u"NET");
    ASSERT_EQ(runs[17].first, u"ALPHA");
    EXPECT_EQ(runs[18].first, u(u"STAR Dramas TV"));
    ASSERT_EQ(runs[16].second.size(), 1u);
    ASSERT_EQ(runs[17].second.size(), 3u);
    EXPECT_EQ(url(u"NET", 17), runs[16].second[0]);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(url(u"ALPHA", 17 + i), runs[17].second[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(catalogue.FindStation(u(u"NET")), 2);
    EXPECT_EQ(catalogue.FindStation(u(u"ALPHA")), 13);
}

TEST_F(BuiltinStations, ListedRepeatsAndSharesHoldAndNoOthers) {
    std::map<QString, Group> holders;
    for (const Station& station : catalogue) {
        for (int i = 0; i <= station.LastUrlIndex; ++i) {
            holders[station.StreamUrls[static_cast<size_t>(i)]].insert({station.Name, i + 1});
        }
    }
    std::set<Group> shared;
    for (const auto& [address, group] : holders) {
        if (group.size() > 1) {
            shared.insert(group);
        }
    }
    EXPECT_EQ(shared, expectedSharedAddresses());
    // Differs from the first candidate only by a trailing blank, so it is no repeat.
    EXPECT_EQ(url(u"MAD TV", 4), url(u"MAD TV", 1) + QLatin1Char(' '));
}

TEST_F(BuiltinStations, NamesCountEveryCharacter) {
    EXPECT_EQ(catalogue.FindStation(u(u"ANTENA")), Catalogue::NotFound);
    EXPECT_EQ(catalogue.FindStation(u(u"SPORT TV ORVANTO")), Catalogue::NotFound);
    EXPECT_EQ(catalogue.FindStation(u(u"4E Eklisia")), Catalogue::NotFound);
    EXPECT_EQ(catalogue.FindStation(u(u"4\u20AC Eklisia")), 42);
    const std::pair<const char16_t*, const char16_t*> lookAlikes[] = {
        {u"MusicForce TV", u"Music force TV"},
        {u"STAR Dramas TV", u"Star Dramas"},
        {u"Nea TV", u"Nea TV kritis"},
        {u"Achaia News TV", u"ACHAIA TV"},
        {u"West TV", u"West TV Kozani"},
        {u"ET1", u"ET1 GR"},
        {u"MEGA", u"MEGA 1"},
        {u"STAR", u"STAR Dramas TV"},
    };
    for (const auto& [first, second] : lookAlikes) {
        const int a = catalogue.FindStation(u(first));
        const int b = catalogue.FindStation(u(second));
        EXPECT_NE(a, Catalogue::NotFound);
        EXPECT_NE(b, Catalogue::NotFound);
        EXPECT_NE(a, b);
    }
}

TEST_F(BuiltinStations, TokensHaveTheirFormAndLength) {
    int sids = 0;
    int keys = 0;
    for (const Station& station : catalogue) {
        for (int i = 0; i <= station.LastUrlIndex; ++i) {
            const QString address = station.StreamUrls[static_cast<size_t>(i)];
            SCOPED_TRACE(address.toStdString());
            if (address.contains(QStringLiteral("sid="))) {
                const QString sid = addresskind::sidOf(address);
                EXPECT_TRUE(addresskind::isSidForm(sid));
                EXPECT_GE(sid.size(), 41);
                EXPECT_LE(sid.size(), 46);
                ++sids;
            }
            if (address.contains(QStringLiteral("key="))) {
                const QString value = addresskind::keyOf(address);
                const QString suffix = QStringLiteral("%26MSWMExt=.asf");
                const QString key = value.endsWith(suffix) ? value.chopped(suffix.size()) : value;
                EXPECT_TRUE(addresskind::isDoubleEncodedBase64(key));
                // Within 152..172 characters with or without the .asf suffix.
                EXPECT_GE(key.size(), 152);
                EXPECT_LE(value.size(), 172);
                ++keys;
            }
            const QString kind = addresskind::kindOf(address);
            if (kind.contains(QStringLiteral("rtp"))) {
                EXPECT_FALSE(address.contains(QLatin1Char('?')));
            }
        }
    }
    EXPECT_EQ(sids, 26);
    EXPECT_EQ(keys, 7);
}

TEST_F(BuiltinStations, EveryHostIsAReservedExampleName) {
    for (const Station& station : catalogue) {
        for (int i = 0; i <= station.LastUrlIndex; ++i) {
            const QString address = station.StreamUrls[static_cast<size_t>(i)];
            EXPECT_TRUE(addresskind::isReservedExampleHost(addresskind::split(address).host))
                << address.toStdString();
        }
    }
}

TEST_F(BuiltinStations, AddressesOfUnusualShape) {
    const addresskind::Parts et1 = addresskind::split(url(u"ET1", 1));
    EXPECT_EQ(et1.scheme, u(u"MMS"));
    EXPECT_EQ(et1.path, et1.path.toUpper());
    EXPECT_NE(et1.path, et1.path.toLower());

    EXPECT_EQ(addresskind::split(url(u"NET", 3)).port, u(u"80"));

    const QString ertPhp = url(u"ERT WORLD", 17);
    EXPECT_TRUE(ertPhp.contains(QStringLiteral("/../")));
    EXPECT_TRUE(addresskind::split(ertPhp).query.startsWith(QStringLiteral("id_canale=")));

    std::set<QString> hosts;
    std::set<QString> ports;
    for (const char16_t* name : {u"MEGA GR", u"ANT1 GR", u"ET1 GR", u"ALTER GR", u"ALFA GR",
                                 u"RIK SAT GR", u"ERT SAT GR"}) {
        const addresskind::Parts parts = addresskind::split(url(name, 1));
        hosts.insert(parts.host);
        ports.insert(parts.port);
    }
    EXPECT_EQ(hosts.size(), 1u);
    EXPECT_EQ(ports.size(), 7u);
}

TEST_F(BuiltinStations, AdultStationsFollowTheRegularOnes) {
    std::set<QString> firstHosts;
    for (int n = 1; n <= 12; ++n) {
        const int index = 60 + n;
        const Station& station = catalogue.station(index);
        EXPECT_EQ(station.Name, QStringLiteral("ADULT %1").arg(n));
        EXPECT_EQ(station.urlCount(), 3);
        EXPECT_EQ(station.Page, Station::NoPage);
        for (int i = 0; i < 3; ++i) {
            const QString address = station.StreamUrls[static_cast<size_t>(i)];
            if (addresskind::kindOf(address).endsWith(QStringLiteral("-port"))) {
                EXPECT_EQ(addresskind::split(address).path, u(u"/")) << address.toStdString();
            }
        }
        if (n != 5) {
            firstHosts.insert(addresskind::split(station.StreamUrls[0]).host);
        }
    }
    ASSERT_EQ(firstHosts.size(), 1u);
    EXPECT_NE(addresskind::split(url(u"ADULT 5", 1)).host, *firstHosts.begin());
    EXPECT_TRUE(addresskind::split(url(u"ADULT 5", 1)).query.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(addresskind::split(url(u"ADULT 5", 1)).query.startsWith(QStringLiteral("id=")));
}

} // namespace
