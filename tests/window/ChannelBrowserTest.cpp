#include "window/ChannelBrowser.h"

#include "WindowTestSupport.h"
#include "playback/PlayState.h"
#include "window/ChannelListModel.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

namespace orvanto::test {
namespace {

// A list of 200 channels in two groups ("Even", "Odd"), each with three addresses; the locked
// stations follow it.
StationRegistrations bigList() {
    StationRegistrations registrations = testStations(0);
    registrations.regular = [](Catalogue& c) {
        for (int k = 1; k <= 200; ++k) {
            const QString group = k % 2 == 0 ? s("Even") : s("Odd");
            for (int a = 1; a <= 3; ++a) {
                c.AddStreamUrl(stationName(k),
                               QStringLiteral("http://s%1.example.com/%2").arg(k).arg(a), group);
            }
        }
    };
    return registrations;
}

class ChannelBrowserTest : public WindowTest {
protected:
    void SetUp() override {
        makeForm();
        form->load(bigList());
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
        browser = form->channelBrowser();
        ASSERT_NE(browser, nullptr);
        search = browser->findChild<QLineEdit*>(s("channelSearch"));
        groups = browser->findChild<QComboBox*>(s("channelGroup"));
        list = browser->findChild<QTableView*>(s("channelList"));
        ASSERT_TRUE(search && groups && list);
    }

    QStringList listed() const {
        QStringList names;
        for (int row = 0; row < browser->model().rowCount(); ++row) {
            names << browser->model().stationName(row);
        }
        return names;
    }
    QStringList shownButtons() const {
        QStringList names;
        for (int i = 0; i < StationPages::ButtonCount; ++i) {
            if (!stationButton(i)->isHidden()) {
                names << stationButton(i)->text();
            }
        }
        return names;
    }
    void pin(const QString& name) {
        QTest::keyClicks(search, name);
        browser->findChild<QPushButton*>(s("channelPin"))->click();
        search->clear();
    }

    ChannelBrowser* browser = nullptr;
    QLineEdit* search = nullptr;
    QComboBox* groups = nullptr;
    QTableView* list = nullptr;
};

TEST_F(ChannelBrowserTest, ListsEveryChannelOfTheListButNoLockedStation) {
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(browser->model().rowCount(), 200);
    EXPECT_EQ(listed().last(), stationName(200));
    EXPECT_FALSE(listed().contains(s("ADULT 1")));
    const QModelIndex last = browser->model().index(199, ChannelListModel::GroupColumn);
    EXPECT_EQ(last.data().toString(), s("Even"));
    EXPECT_EQ(last.siblingAtColumn(ChannelListModel::AddressesColumn).data().toInt(), 3);
    // The pages keep their limit of 90.
    EXPECT_EQ(catalogue.station(90).Page, 4);
    EXPECT_EQ(catalogue.station(91).Page, Station::NoPage);
}

TEST_F(ChannelBrowserTest, ALongListShowsAtOnceAndIsSearchableAsSoonAsTyped) {
    constexpr int Count = ChannelFilter::FoldAtOnce + 2 * ChannelListModel::FoldPerTurn + 5;
    catalogue = Catalogue(); // as a list opened in place of the one on show
    form->reload({[](Catalogue& c) {
                      for (int i = 1; i <= Count; ++i) {
                          c.AddStreamUrl(s("Long %1").arg(i), s("http://tv.example.com/%1").arg(i),
                                         i % 2 ? s("Long odd") : s("Long even"));
                      }
                  },
                  {}});
    EXPECT_EQ(browser->model().rowCount(), Count);
    EXPECT_FALSE(browser->model().filter().isComplete());
    EXPECT_EQ(groups->findData(s("Long odd")), -1) << "the groups come once all is read";
    // The last one, far beyond what was folded at once, is found by the first keystrokes.
    QTest::keyClicks(search, s("long %1").arg(Count));
    EXPECT_EQ(listed(), QStringList{s("Long %1").arg(Count)});
    EXPECT_TRUE(browser->model().filter().isComplete());
    EXPECT_FALSE(groups->isHidden());
    EXPECT_GE(groups->findData(s("Long odd")), 1);
    EXPECT_GE(groups->findData(s("Long even")), 1);

    // Left alone, the names are folded a part on each turn of the event loop.
    catalogue = Catalogue();
    form->reload({[](Catalogue& c) {
                      for (int i = 1; i <= Count; ++i) {
                          c.AddStreamUrl(s("Other %1").arg(i), s("http://tv.example.com/%1").arg(i),
                                         s("Long one"));
                      }
                  },
                  {}});
    ASSERT_FALSE(browser->model().filter().isComplete());
    QSignalSpy complete(&browser->model(), &ChannelListModel::filterComplete);
    ASSERT_TRUE(complete.wait(5000));
    EXPECT_TRUE(browser->model().filter().isComplete());
    EXPECT_GE(groups->findData(s("Long one")), 1);
}

TEST_F(ChannelBrowserTest, TypingAndTheGroupBoxFilterAsOneGoes) {
    QTest::keyClicks(search, s("s19"));
    EXPECT_EQ(listed(),
              (QStringList{s("S19"), s("S190"), s("S191"), s("S192"), s("S193"), s("S194"),
                           s("S195"), s("S196"), s("S197"), s("S198"), s("S199")}));
    groups->setCurrentIndex(groups->findText(s("Even")));
    EXPECT_EQ(listed(), (QStringList{s("S190"), s("S192"), s("S194"), s("S196"), s("S198")}));
    QTest::keyClick(search, Qt::Key_Backspace);
    EXPECT_EQ(listed().size(), 5 + 50); // S10, S12, ..., S18 and S100, S102, ..., S198
    groups->setCurrentIndex(0);
    search->clear();
    EXPECT_EQ(browser->model().rowCount(), 200);
}

TEST_F(ChannelBrowserTest, EnterInTheSearchAndOnTheListPlaysFromTheFirstAddress) {
    QTest::keyClicks(search, s("s150"));
    QTest::keyClick(search, Qt::Key_Return);
    ASSERT_FALSE(player.openedUrls.isEmpty());
    EXPECT_EQ(player.openedUrls.last(), s("http://s150.example.com/1"));

    search->clear();
    QTest::keyClicks(search, s("s12"));
    QTest::keyClick(search, Qt::Key_Down); // S12 -> S120
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(player.openedUrls.last(), s("http://s120.example.com/1"));
    // The other candidates follow in order as each one fails.
    ticker.tickUntilStopped();
    EXPECT_EQ(player.openedUrls.mid(player.openedUrls.size() - 3),
              (QStringList{s("http://s120.example.com/1"), s("http://s120.example.com/2"),
                           s("http://s120.example.com/3")}));
}

// A list of channels: Home and End go to the first and the last one, in whatever column.
TEST_F(ChannelBrowserTest, HomeAndEndGoToTheFirstAndTheLastChannel) {
    const int rows = browser->model().rowCount();
    list->setFocus();
    list->setCurrentIndex(browser->model().index(5, 1));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), rows - 1);
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(list->currentIndex().row(), 0);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Home, Qt::ControlModifier); // as before, too
    EXPECT_EQ(list->currentIndex().row(), 0);
}

TEST_F(ChannelBrowserTest, DoubleClickPlaysTheChannel) {
    QTest::keyClicks(search, s("s77"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser));
    const QRect row = list->visualRect(browser->model().index(0, 0));
    ASSERT_TRUE(list->viewport()->rect().contains(row.center()));
    // As a window system delivers it: the second press comes with the double click.
    QWidget* viewport = list->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, row.center());
    QTest::mousePress(viewport, Qt::LeftButton, {}, row.center());
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, row.center(),
                            viewport->mapToGlobal(row.center()), Qt::LeftButton, Qt::LeftButton,
                            Qt::NoModifier);
    QApplication::sendEvent(viewport, &doubleClick);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, row.center());
    EXPECT_EQ(player.openedUrls, QStringList{s("http://s77.example.com/1")}); // once
}

TEST_F(ChannelBrowserTest, PinnedChannelsReplaceThePagesInTheUsersOrder) {
    QStringList announced;
    QObject::connect(form.get(), &Form1::favouritesChanged,
                     [&](const QStringList& names) { announced = names; });
    pin(s("S150"));
    pin(s("S3"));
    EXPECT_EQ(shownButtons(), (QStringList{s("S150"), s("S3")}));
    EXPECT_EQ(announced, (QStringList{s("S150"), s("S3")}));
    EXPECT_TRUE(control("Option1", 0)->isVisible());
    EXPECT_FALSE(control("Option1", 1)->isVisible());
    stationButton(0)->click();
    EXPECT_EQ(player.openedUrls.last(), s("http://s150.example.com/1"));

    // Pinning the same channel again takes it off; with none left the first stations return.
    pin(s("S150"));
    EXPECT_EQ(shownButtons(), (QStringList{s("S3")}));
    pin(s("S3"));
    EXPECT_EQ(shownButtons().size(), StationPages::ButtonCount);
    EXPECT_EQ(shownButtons().first(), stationName(1));
    EXPECT_TRUE(control("Option1", 4)->isVisible());
}

TEST_F(ChannelBrowserTest, FavouritesFillFivePagesAndStopAtNinety) {
    QStringList names;
    for (int k = 200; k > 100; --k) {
        names << stationName(k);
    }
    names.prepend(s("ADULT 1")); // a locked station never goes on a page
    names.prepend(s("No such channel"));
    form->setFavourites(names);
    EXPECT_EQ(form->favourites().names().size(), 90);
    qobject_cast<QRadioButton*>(control("Option1", 4))->click();
    const QStringList lastPage = shownButtons();
    EXPECT_EQ(lastPage.size(), StationPages::ButtonCount - 2);
    EXPECT_EQ(lastPage.last(), stationName(113));
    EXPECT_EQ(catalogue.station(catalogue.FindStation(s("ADULT 1"))).Page, Station::NoPage);
    // The browser says the pages are full.
    QTest::keyClicks(search, s("S5"));
    EXPECT_FALSE(browser->findChild<QPushButton*>(s("channelPin"))->isEnabled());
}

// The browser as the window with the keyboard (the offscreen platform does not switch by itself).
void makeActive(ChannelBrowser* browser) {
    QApplication::setActiveWindow(browser);
    ASSERT_TRUE(browser->isActiveWindow());
}

TEST_F(ChannelBrowserTest, EscapeAndCtrlWCloseItAndCtrlQQuits) {
    makeActive(browser);
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_FALSE(browser->isVisible());
    form->openChannelBrowser();
    makeActive(browser);
    QTest::keyClick(list, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(browser->isVisible());
    EXPECT_TRUE(form->isVisible());
    form->openChannelBrowser();
    makeActive(browser);
    QTest::keyClick(search, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible()) << "the viewer quits from the browser too";
}

TEST_F(ChannelBrowserTest, TheRowOfTheChannelThatPlaysShowsTheStreamsTitle) {
    ChannelListModel& model = browser->model();
    const auto nameCell = [&model](int row, int role = Qt::DisplayRole) {
        return model.data(model.index(row, ChannelListModel::NameColumn), role);
    };
    player.stateOnOpen = PlayState::Playing;
    failover.SelectStation(stationName(3), 0);
    player.setNowPlaying(s("Artist - Song"));
    EXPECT_EQ(nameCell(2).toString(), stationName(3) + s(" \u2014 Artist - Song"));
    EXPECT_EQ(nameCell(2, Qt::ToolTipRole).toString(), s("Artist - Song"));
    EXPECT_TRUE(nameCell(2, Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(nameCell(1).toString(), stationName(2));
    EXPECT_FALSE(nameCell(1, Qt::FontRole).isValid());
    // The same after the list is filtered and a new model shows it.
    QTest::keyClicks(search, stationName(3));
    EXPECT_EQ(nameCell(0).toString(), stationName(3) + s(" \u2014 Artist - Song"));

    player.setNowPlaying(QString());
    EXPECT_EQ(nameCell(0).toString(), stationName(3));
    EXPECT_TRUE(nameCell(0, Qt::FontRole).value<QFont>().bold()) << "it still plays";
    failover.SelectStation(stationName(4), 0);
    EXPECT_FALSE(nameCell(0, Qt::FontRole).isValid());
}

} // namespace
} // namespace orvanto::test

namespace orvanto::test {
namespace {

qint64 at(int hour, int minute) {
    return QDateTime(QDate(2024, 3, 4), QTime(hour, minute)).toSecsSinceEpoch();
}

QString clock(int hour, int minute) {
    return QTime(hour, minute).toString(s("HH:mm"));
}

class ChannelBrowserGuideTest : public ChannelBrowserTest {
protected:
    void SetUp() override {
        // Times as they read in Britain: 24 hours, no seconds.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        ChannelBrowserTest::SetUp();
        auto built = std::make_shared<GuideSchedule>(200);
        built->add(1, {{at(20, 0), at(20, 30), s("News")}, {at(20, 30), at(22, 0), s("Film")}});
        built->add(3, {{at(21, 0), at(21, 5), s("Weather")}});
        schedule = built;
        GuideStatus status;
        status.hasGuide = true;
        status.text = s("The guide of today matches 2 of 200 channels");
        browser->setGuideStatus(status);
        browser->setGuide(schedule, at(20, 10));
    }
    QString cell(int row, int column) const {
        return browser->model().index(row, column).data().toString();
    }
    void TearDown() override { QLocale::setDefault(locale); }
    QTextBrowser* day() const { return browser->findChild<QTextBrowser*>(s("channelDay")); }

    std::shared_ptr<const GuideSchedule> schedule;
    const QLocale locale; // the default before the test
};

TEST_F(ChannelBrowserTest, WithoutAGuideTheGuidesColumnsAndDayAreHidden) {
    EXPECT_TRUE(list->isColumnHidden(ChannelListModel::NowColumn));
    EXPECT_TRUE(list->isColumnHidden(ChannelListModel::NextColumn));
    EXPECT_FALSE(browser->findChild<QTextBrowser*>(s("channelDay"))->isVisible());
    EXPECT_FALSE(browser->findChild<QLabel*>(s("guideStatus"))->isVisible());
}

TEST_F(ChannelBrowserGuideTest, NowShowsTheTitleAndMinutesLeftAndNextItsStartTime) {
    EXPECT_FALSE(list->isColumnHidden(ChannelListModel::NowColumn));
    EXPECT_EQ(cell(0, ChannelListModel::NowColumn), s("News (20 min left)"));
    EXPECT_EQ(cell(0, ChannelListModel::NextColumn), clock(20, 30) + s(" Film"));
    EXPECT_EQ(cell(1, ChannelListModel::NowColumn), QString()); // not in the guide
    EXPECT_EQ(cell(2, ChannelListModel::NowColumn), QString()); // nothing on yet...
    EXPECT_EQ(cell(2, ChannelListModel::NextColumn), clock(21, 0) + s(" Weather")); // ...but next
    EXPECT_EQ(browser->findChild<QLabel*>(s("guideStatus"))->text(),
              s("The guide of today matches 2 of 200 channels"));
}

TEST_F(ChannelBrowserGuideTest, TheColumnsFollowTheTimeTheyAreGiven) {
    QSignalSpy changed(&browser->model(), &QAbstractItemModel::dataChanged);
    browser->setGuideTime(at(20, 29) + 30);
    EXPECT_EQ(cell(0, ChannelListModel::NowColumn), s("News (1 min left)"));
    browser->setGuideTime(at(20, 30));
    EXPECT_EQ(cell(0, ChannelListModel::NowColumn), s("Film (90 min left)"));
    EXPECT_EQ(cell(0, ChannelListModel::NextColumn), QString());
    browser->setGuideTime(at(21, 1));
    EXPECT_EQ(cell(2, ChannelListModel::NowColumn), s("Weather (4 min left)"));
    // One signal each time for the two columns of all rows, nothing per row.
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().column(), ChannelListModel::NowColumn);
    EXPECT_EQ(changed.at(0).at(1).toModelIndex().column(), ChannelListModel::NextColumn);
    EXPECT_EQ(changed.at(0).at(1).toModelIndex().row(), 199);
    // A filter keeps the columns right for the rows it leaves.
    QTest::keyClicks(search, s("S3"));
    EXPECT_EQ(browser->model().stationName(0), s("S3"));
    EXPECT_EQ(cell(0, ChannelListModel::NowColumn), s("Weather (4 min left)"));
}

TEST_F(ChannelBrowserGuideTest, ChoosingAChannelAsksForItsDayAndShowsItWithDescriptions) {
    QSignalSpy asked(browser, &ChannelBrowser::dayRequested);
    QTest::keyClicks(search, s("S3"));
    ASSERT_GE(asked.count(), 1);
    EXPECT_EQ(asked.last().at(0).toInt(), 3);
    Programme weather;
    weather.start = at(21, 0);
    weather.stop = at(21, 5);
    weather.title = s("Weather <live>");
    weather.description = s("Rain & sun.");
    weather.categories = {s("News")};
    // An answer for a channel no longer chosen is not shown.
    const QDate today = QDateTime::fromSecsSinceEpoch(at(21, 1)).date();
    browser->setDay(1, today, {weather}, at(21, 1));
    EXPECT_FALSE(day()->toPlainText().contains(s("Weather")));
    browser->setDay(3, today, {weather}, at(21, 1));
    const QString text = day()->toPlainText();
    EXPECT_TRUE(text.contains(s("S3"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(clock(21, 0) + s("–") + clock(21, 5) + s(" Weather <live>")))
        << qPrintable(text);
    EXPECT_TRUE(text.contains(s("Rain & sun."))) << qPrintable(text);
    EXPECT_TRUE(day()->isVisible());
    EXPECT_FALSE(day()->toHtml().contains(s("archive:"))) << "no archive: nothing to play";
}

// The past programmes the archive holds are links that play on Enter or a double click (not on
// a click alone); the one on now plays from its start; the days before and after are asked for
// as far as the archive reaches.
TEST_F(ChannelBrowserGuideTest, ThePastProgrammesOfTheArchivePlayOnEnterOrADoubleClick) {
    QSignalSpy asked(browser, &ChannelBrowser::dayRequested);
    QSignalSpy archived(browser, &ChannelBrowser::archiveRequested);
    QTest::keyClicks(search, s("S3"));
    ASSERT_GE(asked.count(), 1);
    EXPECT_EQ(asked.last().at(1).toInt(), 0) << "today first";
    std::vector<Programme> day3(3);
    day3[0].start = at(19, 0), day3[0].stop = at(20, 0), day3[0].title = s("Old news");
    day3[1].start = at(20, 0), day3[1].stop = at(21, 0), day3[1].title = s("Quiz");
    day3[2].start = at(21, 0), day3[2].stop = at(22, 0), day3[2].title = s("Film");
    const QDate today = QDateTime::fromSecsSinceEpoch(at(21, 1)).date();
    // The archive holds the quiz and the film, not the old news.
    browser->setDay(3, today, day3, at(21, 1), {false, true, true});
    const QString html = day()->toHtml();
    EXPECT_FALSE(html.contains(s("archive:0")));
    EXPECT_TRUE(html.contains(s("archive:1")));
    EXPECT_TRUE(html.contains(s("archive:2")));
    EXPECT_TRUE(day()->toPlainText().contains(s("From the start")));
    EXPECT_TRUE(day()->toPlainText().contains(s("▶ ") + clock(20, 0)));

    // Tab to the first link, Enter: the quiz; Tab again, Enter: the film from its start.
    browser->show();
    QApplication::setActiveWindow(browser);
    day()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return day()->hasFocus(); }));
    QTest::keyClick(day(), Qt::Key_Tab);
    QTest::keyClick(day(), Qt::Key_Return);
    ASSERT_EQ(archived.count(), 1);
    EXPECT_EQ(archived.last().at(0).toInt(), 3);
    EXPECT_EQ(archived.last().at(1).toInt(), 1);
    QTest::keyClick(day(), Qt::Key_Tab);
    QTest::keyClick(day(), Qt::Key_Return);
    ASSERT_EQ(archived.count(), 2);
    EXPECT_EQ(archived.last().at(1).toInt(), 2);

    // A click on the quiz's link only selects; a double click plays it.
    QTextCursor cursor = day()->document()->find(s("Quiz"));
    ASSERT_FALSE(cursor.isNull());
    const QPoint where = day()->cursorRect(cursor).center() - QPoint(8, 0);
    QTest::mouseClick(day()->viewport(), Qt::LeftButton, {}, where);
    EXPECT_EQ(archived.count(), 2);
    QTest::mouseDClick(day()->viewport(), Qt::LeftButton, {}, where);
    ASSERT_EQ(archived.count(), 3);
    EXPECT_EQ(archived.last().at(1).toInt(), 1);

    // The day before, as far back as the archive reaches (two days here), and back.
    browser->setDaysBack(2);
    auto* before = browser->findChild<QPushButton*>(s("dayBefore"));
    auto* after = browser->findChild<QPushButton*>(s("dayAfter"));
    ASSERT_TRUE(before && after);
    before->click();
    EXPECT_EQ(asked.last().at(1).toInt(), -1);
    before->click();
    EXPECT_EQ(asked.last().at(1).toInt(), -2);
    EXPECT_FALSE(before->isEnabled());
    const int count = static_cast<int>(asked.count());
    before->click();
    EXPECT_EQ(asked.count(), count);
    after->click();
    EXPECT_EQ(asked.last().at(1).toInt(), -1);
}

// Where recording is offered, the programmes not over yet have "Record", taken on Enter or a
// double click, as the archive's links are.
TEST_F(ChannelBrowserGuideTest, TheProgrammesNotOverYetOfferRecord) {
    QSignalSpy recorded(browser, &ChannelBrowser::recordRequested);
    QTest::keyClicks(search, s("S3"));
    std::vector<Programme> day3(3);
    day3[0].start = at(19, 0), day3[0].stop = at(20, 0), day3[0].title = s("Old news");
    day3[1].start = at(20, 0), day3[1].stop = at(21, 0), day3[1].title = s("Quiz");
    day3[2].start = at(21, 0), day3[2].stop = at(22, 0), day3[2].title = s("Film");
    const QDate today = QDateTime::fromSecsSinceEpoch(at(20, 30)).date();
    browser->setDay(3, today, day3, at(20, 30), {});
    EXPECT_FALSE(day()->toHtml().contains(s("record:"))) << "not offered";

    browser->setRecordingOffered(true);
    browser->setDay(3, today, day3, at(20, 30), {});
    const QString html = day()->toHtml();
    EXPECT_FALSE(html.contains(s("record:0"))) << "over";
    EXPECT_TRUE(html.contains(s("record:1"))) << "on now";
    EXPECT_TRUE(html.contains(s("record:2")));
    browser->setDay(3, today, day3, at(20, 30), {}, {false, false, true});
    EXPECT_FALSE(day()->toHtml().contains(s("record:2"))) << "scheduled already";
    EXPECT_TRUE(day()->toPlainText().contains(s("Film Scheduled")))
        << qPrintable(day()->toPlainText());
    browser->setDay(3, today, day3, at(20, 30), {});

    browser->show();
    QApplication::setActiveWindow(browser);
    day()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return day()->hasFocus(); }));
    QTest::keyClick(day(), Qt::Key_Tab);
    QTest::keyClick(day(), Qt::Key_Return);
    ASSERT_EQ(recorded.count(), 1);
    EXPECT_EQ(recorded.last().at(0).toInt(), 3);
    EXPECT_EQ(recorded.last().at(1).toInt(), 1);

    // The second "Record" is the film's.
    QTextCursor cursor = day()->document()->find(s("Record"));
    cursor = day()->document()->find(s("Record"), cursor);
    ASSERT_FALSE(cursor.isNull());
    const QPoint where = day()->cursorRect(cursor).center() - QPoint(8, 0);
    QTest::mouseDClick(day()->viewport(), Qt::LeftButton, {}, where);
    ASSERT_EQ(recorded.count(), 2);
    EXPECT_EQ(recorded.last().at(1).toInt(), 2);
}

} // namespace
} // namespace orvanto::test
