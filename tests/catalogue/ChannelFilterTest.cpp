#include "catalogue/ChannelFilter.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Favourites.h"

#include <gtest/gtest.h>

using orvanto::Catalogue;
using orvanto::ChannelFilter;
using orvanto::Favourites;
using orvanto::foldForSearch;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

std::vector<int> indices(std::initializer_list<int> list) {
    return list;
}

// Ten stations of mixed alphabets, accents and groups, then two that the filter is not given.
Catalogue mixedCatalogue() {
    Catalogue c;
    const char* rows[][2] = {
        {"SKAI", "Greece"},
        {"Ελληνικά Νέα", "Ελλάδα"},
        {"ΕΡΤ Ειδήσεις", "Ελλάδα"},
        {"Télé Québec", "Canada"},
        {"Ekathimerini Skai Radio", ""},
        {"ﬁlm+", "Movies"},
        {"Ｆｕｌｌｗｉｄｔｈ ＴＶ", ""},
        {"Μουσικός", "Music"},
        {"Straße TV", "Germany"},
        {"Plain", "Canada"},
        {"Hidden One", "Adult"},
        {"Hidden Two", "Adult"},
    };
    for (const auto& row : rows) {
        c.AddStreamUrl(s(row[0]), s("http://tv.example.com/") + s(row[0]), s(row[1]));
    }
    return c;
}

TEST(ChannelFilter, FoldingIgnoresCaseAndAccentsButKeepsAlphabetsApart) {
    EXPECT_EQ(foldForSearch(s("SKAI")), s("skai"));
    EXPECT_EQ(foldForSearch(s("Ελληνικά")), s("ελληνικα"));
    EXPECT_EQ(foldForSearch(s("ΕΛΛΗΝΙΚΆ")), s("ελληνικα"));
    EXPECT_EQ(foldForSearch(s("Télé Québec")), s("tele quebec"));
    // Final sigma and sigma are one letter to a searcher.
    EXPECT_EQ(foldForSearch(s("Μουσικός")), foldForSearch(s("ΜΟΥΣΙΚΟΣ")));
    // Latin "skai" does not find Greek "σκαι", nor the other way round.
    EXPECT_NE(foldForSearch(s("σκαι")), s("skai"));
    EXPECT_TRUE(foldForSearch(QString()).isEmpty());
}

TEST(ChannelFilter, FindsByAnyPartOfTheName) {
    const Catalogue c = mixedCatalogue();
    const ChannelFilter filter(c, 10);
    EXPECT_EQ(filter.size(), 10);
    EXPECT_EQ(filter.matches(s("skai")), indices({1, 5}));
    EXPECT_EQ(filter.matches(s("ελλη")), indices({2}));
    EXPECT_EQ(filter.matches(s("ΕΙΔΗΣ")), indices({3}));
    EXPECT_EQ(filter.matches(s("ειδήσεις")), indices({3}));
    EXPECT_EQ(filter.matches(s("quebec")), indices({4}));
    EXPECT_EQ(filter.matches(s("QUÉ")), indices({4}));
    EXPECT_EQ(filter.matches(s("film")), indices({6}));
    EXPECT_EQ(filter.matches(s("fullwidth")), indices({7}));
    EXPECT_EQ(filter.matches(s("μουσικος")), indices({8}));
    EXPECT_EQ(filter.matches(s("STRAßE")), indices({9}));
    EXPECT_EQ(filter.matches(s("ai r")), indices({5}));
    EXPECT_TRUE(filter.matches(s("nothing like it")).empty());
    EXPECT_TRUE(filter.matches(s("σκαι")).empty());
    EXPECT_EQ(filter.matches(QString()).size(), 10u);
}

TEST(ChannelFilter, StationsBeyondTheCountAreNeverListed) {
    // The locked stations follow the list in the catalogue; the filter must not reach them.
    const Catalogue c = mixedCatalogue();
    const ChannelFilter filter(c, 10);
    EXPECT_TRUE(filter.matches(s("hidden")).empty());
    EXPECT_FALSE(filter.groups().contains(s("Adult")));
    EXPECT_TRUE(filter.matches(QString(), s("Adult")).empty());

    EXPECT_EQ(ChannelFilter(c, 100).size(), 12);
    EXPECT_EQ(ChannelFilter(c, -1).size(), 0);
    EXPECT_EQ(ChannelFilter().matches(QString()).size(), 0u);
}

TEST(ChannelFilter, GroupsAreListedOnceSortedAndFilterWithTheName) {
    const Catalogue c = mixedCatalogue();
    const ChannelFilter filter(c, 10);
    EXPECT_EQ(filter.groups(), (QStringList{s("Canada"), s("Germany"), s("Greece"), s("Movies"),
                                            s("Music"), s("Ελλάδα")}));
    EXPECT_EQ(filter.matches(QString(), s("Canada")), indices({4, 10}));
    EXPECT_EQ(filter.matches(s("plain"), s("Canada")), indices({10}));
    EXPECT_TRUE(filter.matches(s("skai"), s("Canada")).empty());
    EXPECT_EQ(filter.matches(QString(), s("Ελλάδα")), indices({2, 3}));
    // Group names are matched exactly: no folding, no partial names.
    EXPECT_TRUE(filter.matches(QString(), s("canada")).empty());
    EXPECT_TRUE(filter.matches(QString(), s("No such group")).empty());
}

TEST(ChannelFilter, ALongListIsFoldedAPartAtATimeAndSearchesWhatIsFolded) {
    const Catalogue c = mixedCatalogue();
    ChannelFilter filter(c, 10, 4);
    EXPECT_FALSE(filter.isComplete());
    EXPECT_EQ(filter.size(), 10);
    EXPECT_TRUE(filter.groups().isEmpty()) << "groups are known once every station is read";
    EXPECT_EQ(filter.matches(s("")), indices({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(filter.matches(s("plain")), indices({})) << "station 10 is not folded yet";
    EXPECT_EQ(filter.matches(s("skai")), indices({1}));

    EXPECT_FALSE(filter.foldMore(4));
    EXPECT_TRUE(filter.foldMore(4));
    EXPECT_TRUE(filter.foldMore(4));
    EXPECT_TRUE(filter.isComplete());
    EXPECT_EQ(filter.matches(s("skai")), indices({1, 5}));
    EXPECT_EQ(filter.matches(s(""), s("Canada")), indices({4, 10}));
    EXPECT_EQ(filter.groups(), ChannelFilter(c, 10).groups());
}

TEST(Favourites, KeepTheUsersOrderWithoutRepeatsUpToNinety) {
    Favourites favourites({s("B"), s("A"), s("B"), QString(), s("C")});
    EXPECT_EQ(favourites.names(), (QStringList{s("B"), s("A"), s("C")}));
    EXPECT_FALSE(favourites.pin(s("A")));
    EXPECT_TRUE(favourites.unpin(s("A")));
    EXPECT_FALSE(favourites.unpin(s("A")));
    EXPECT_TRUE(favourites.pin(s("A")));
    EXPECT_EQ(favourites.names(), (QStringList{s("B"), s("C"), s("A")}));

    QStringList many;
    for (int i = 0; i < Favourites::Max + 5; ++i) {
        many << QString::number(i);
    }
    Favourites full(many);
    EXPECT_EQ(full.names().size(), Favourites::Max);
    EXPECT_TRUE(full.isFull());
    EXPECT_FALSE(full.pin(s("one more")));
    EXPECT_EQ(full.names().last(), QString::number(Favourites::Max - 1));
}

} // namespace
