#include "WindowTestSupport.h"
#include "window/ClockText.h"

#include <QRegularExpression>

namespace orvanto::test {
namespace {

TEST(StationPages, NumbersPagesInRegistrationOrder) {
    Catalogue catalogue;
    StationPages pages(catalogue);
    EXPECT_EQ(pages.build(testStations(60)), 4);
    EXPECT_EQ(catalogue.station(18).Page, 0);
    EXPECT_EQ(catalogue.station(19).Page, 1);
    EXPECT_EQ(catalogue.station(60).Page, 3);
    EXPECT_EQ(catalogue.station(61).Page, Station::NoPage); // ADULT 1
    EXPECT_EQ(pages.stationsOn(3).size(), 6);
    EXPECT_TRUE(pages.stationsOn(4).isEmpty());
}

TEST(StationPages, StationsBeyondTheLastPageGetNone) {
    Catalogue catalogue;
    StationPages pages(catalogue);
    EXPECT_EQ(pages.build(testStations(100)), StationPages::PageCount);
    EXPECT_EQ(catalogue.station(90).Page, 4);
    EXPECT_EQ(catalogue.station(91).Page, Station::NoPage);
    EXPECT_EQ(pages.stationsOn(4).first(), stationName(73));
    EXPECT_EQ(pages.stationsOn(4).last(), stationName(90));
}

TEST(StationPages, EmptyCatalogueUsesNoPage) {
    Catalogue catalogue;
    StationPages pages(catalogue);
    EXPECT_EQ(pages.build({}), 0);
    EXPECT_TRUE(pages.choose(0).stationPanel);
    EXPECT_TRUE(pages.choose(0).stations.isEmpty());
}

TEST(StationPages, ChoicesShowPanelOrAlarmPage) {
    Catalogue catalogue;
    StationPages pages(catalogue);
    pages.build(testStations(40));
    const StationPages::View page2 = pages.choose(2);
    EXPECT_TRUE(page2.stationPanel);
    EXPECT_FALSE(page2.alarmControls);
    EXPECT_EQ(page2.stations,
              QStringList({stationName(37), stationName(38), stationName(39), stationName(40)}));
    const StationPages::View alarm = pages.choose(StationPages::AlarmPage);
    EXPECT_FALSE(alarm.stationPanel);
    EXPECT_TRUE(alarm.alarmControls);
    EXPECT_TRUE(alarm.stations.isEmpty());
}

// Next and previous channel, as the desktop's media keys step through the pages.
TEST(StationPages, NeighboursGoRoundThePagesInTheirOrder) {
    Catalogue catalogue;
    StationPages pages(catalogue);
    EXPECT_EQ(pages.neighbour(stationName(1), 1), QString()) << "no pages, no neighbour";
    pages.build(testStations(20));
    EXPECT_EQ(pages.neighbour(stationName(1), 1), stationName(2));
    EXPECT_EQ(pages.neighbour(stationName(18), 1), stationName(19)) << "onto the next page";
    EXPECT_EQ(pages.neighbour(stationName(20), 1), stationName(1));
    EXPECT_EQ(pages.neighbour(stationName(1), -1), stationName(20));
    // From a channel the pages do not show (a locked one, nothing yet): the first or the last.
    EXPECT_EQ(pages.neighbour(QStringLiteral("ADULT 3"), 1), stationName(1));
    EXPECT_EQ(pages.neighbour(QString(), -1), stationName(20));
    // Pinned channels are the pages then, in the order pinned.
    pages.showFavourites({stationName(7), stationName(3)});
    EXPECT_EQ(pages.neighbour(stationName(7), 1), stationName(3));
    EXPECT_EQ(pages.neighbour(stationName(3), 1), stationName(7));
    EXPECT_EQ(pages.neighbour(stationName(5), 1), stationName(7));
}

TEST(ClockText, DropsTheTimeZoneName) {
    EXPECT_EQ(ClockText::format(QLocale(QLocale::German, QLocale::Germany)), s("HH:mm:ss"));
    EXPECT_EQ(ClockText::format(QLocale(QLocale::English, QLocale::UnitedStates)), s("h:mm:ss AP"));
    EXPECT_EQ(ClockText::text(QTime(14, 5, 9), QLocale(QLocale::German, QLocale::Germany)),
              s("14:05:09"));
    EXPECT_EQ(ClockText::text(QTime(7, 5, 9), QLocale(QLocale::German, QLocale::Germany)),
              s("07:05:09"));
}

// Zones come first or last, bracketed or after a comma; quoted text keeps its letters.
TEST(ClockText, NoLocaleKeepsAZoneOrItsBrackets) {
    const QRegularExpression leftovers(s("\\(\\)|\\[\\]|,$|^\\s|\\s$"));
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                          QLocale::AnyTerritory)) {
        const QString format = ClockText::format(locale);
        QString unquoted = format;
        unquoted.remove(QRegularExpression(s("'[^']*'")));
        EXPECT_FALSE(unquoted.contains(QLatin1Char('t'))) << format.toStdString();
        EXPECT_FALSE(leftovers.match(format).hasMatch()) << format.toStdString();
        EXPECT_TRUE(format.contains(QLatin1Char('s'))) << format.toStdString();
    }
    EXPECT_EQ(ClockText::format(QLocale(QLocale::French, QLocale::Canada)),
              s("HH 'h' mm 'min' ss 's'"));
}

} // namespace
} // namespace orvanto::test
