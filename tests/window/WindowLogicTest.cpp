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
