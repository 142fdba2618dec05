#include "WindowTestSupport.h"
#include "playback/PlayState.h"
#include "window/ClockText.h"
#include "window/PlayerArea.h"

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace orvanto::test {
namespace {

class Form1Test : public WindowTest {
protected:
    void SetUp() override {
        startWith(60);
        form->show();
    }

    void choosePage(int option) {
        qobject_cast<QRadioButton*>(control("Option1", option))->click();
    }
    void clickLabel(const char* name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    QString caption(const char* name) const { return qobject_cast<QLabel*>(control(name))->text(); }

    QStringList shownStations() const {
        QStringList names;
        for (int i = 0; i < StationPages::ButtonCount; ++i) {
            if (!stationButton(i)->isHidden()) {
                names << stationButton(i)->text();
            }
        }
        return names;
    }

    static QStringList stations(int from, int to) {
        QStringList names;
        for (int k = from; k <= to; ++k) {
            names << stationName(k);
        }
        return names;
    }

    // Plays station k until the failover player accepts it.
    void playStation(int k) {
        player.stateOnOpen = PlayState::Playing;
        stationButton((k - 1) % StationPages::ButtonCount)->click();
        ticker.tickUntilStopped();
        ASSERT_TRUE(failover.StationPlaying());
    }
};

TEST_F(Form1Test, StartUpShowsFirstPageAndThePagesInUse) {
    EXPECT_EQ(form->windowTitle(), s("Orvanto Live TV"));
    EXPECT_EQ(shownStations(), stations(1, 18));
    for (int page = 0; page <= 3; ++page) {
        EXPECT_TRUE(shown("Option1", page)) << page;
        EXPECT_TRUE(shown("tv_label", page)) << page;
    }
    EXPECT_FALSE(shown("Option1", 4));
    EXPECT_FALSE(shown("tv_label", 4));
    EXPECT_TRUE(shown("Option1", 5));
    EXPECT_TRUE(qobject_cast<QRadioButton*>(control("Option1", 0))->isChecked());

    EXPECT_TRUE(shown("sender_frame"));
    EXPECT_EQ(control("sender_frame")->pos(), QPoint(336, 24));
    for (const char* alarm : {"Combo1", "Combo2", "Check1", "Picture1", "Label15", "Command34"}) {
        EXPECT_FALSE(shown(alarm)) << alarm;
    }
    EXPECT_EQ(form->windowControls().widthTwips(), 9600);
    EXPECT_EQ(form->windowControls().heightTwips(), 9300);
    EXPECT_EQ(caption("Label6"), QLocale().toString(QDate::currentDate(), s("dddd dd MMMM yyyy")));
}

TEST_F(Form1Test, PageOptionsSwitchTheStationButtons) {
    choosePage(3);
    EXPECT_EQ(shownStations(), stations(55, 60));
    for (int i = 6; i < StationPages::ButtonCount; ++i) {
        EXPECT_TRUE(stationButton(i)->isHidden()) << i;
    }
    choosePage(1);
    EXPECT_EQ(shownStations(), stations(19, 36));
    choosePage(0);
    EXPECT_EQ(shownStations(), stations(1, 18));
    EXPECT_TRUE(shown("sender_frame"));
}

TEST_F(Form1Test, AlarmPageReplacesTheStationPanelUntilAPageIsChosen) {
    choosePage(5);
    EXPECT_FALSE(shown("sender_frame"));
    for (const char* alarm : {"Combo1", "Combo2", "Check1", "Picture1"}) {
        EXPECT_TRUE(shown(alarm)) << alarm;
    }
    choosePage(2);
    EXPECT_TRUE(shown("sender_frame"));
    for (const char* alarm : {"Combo1", "Combo2", "Check1", "Picture1"}) {
        EXPECT_FALSE(shown(alarm)) << alarm;
    }
    EXPECT_EQ(shownStations(), stations(37, 54));
}

TEST_F(Form1Test, NoAdultStationOnAnyPage) {
    for (int page = 0; page < StationPages::PageCount; ++page) {
        choosePage(page);
        for (const QString& name : shownStations()) {
            EXPECT_FALSE(name.startsWith(s("ADULT"))) << page;
        }
    }
    EXPECT_EQ(catalogue.station(catalogue.FindStation(s("ADULT 1"))).Page, Station::NoPage);
    EXPECT_EQ(catalogue.StationCount(), 72);
}

TEST_F(Form1Test, StationButtonPlaysFromTheFirstAddress) {
    stationButton(3)->click();
    ASSERT_FALSE(player.openedUrls.isEmpty());
    EXPECT_EQ(player.openedUrls.last(), firstAddress(4));

    // On another page, and again for the station that is already playing.
    choosePage(2);
    playStation(37 + 4);
    EXPECT_EQ(failover.CurrentStation()->Name, stationName(41));
    player.openedUrls.clear();
    stationButton(4)->click();
    EXPECT_EQ(player.openedUrls, QStringList{firstAddress(41)});
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(Form1Test, StatusLabelFollowsTheFailoverPlayer) {
    stationButton(0)->click();
    EXPECT_TRUE(caption("Label29").startsWith(firstAddress(1)));
}

TEST_F(Form1Test, StripIsCutOffAndRestoredToItsOwnWidth) {
    auto& size = form->windowControls();
    EXPECT_EQ(size.widthTwips(), 9600);
    clickLabel("Label5");
    EXPECT_EQ(size.widthTwips(), 5030);
    EXPECT_FALSE(shown("Label5"));
    EXPECT_TRUE(shown("Label3"));
    clickLabel("Label3");
    EXPECT_EQ(size.widthTwips(), 8000);
    EXPECT_TRUE(shown("Label5"));
    EXPECT_FALSE(shown("Label3"));
    EXPECT_EQ(size.heightTwips(), 9300);
    // At 8000 the right-hand grid column and the alarm page option lie outside the window.
    EXPECT_GE(control("Command53")->geometry().left(), form->width());
    EXPECT_GE(control("Option1", 5)->geometry().left(), form->width());
    EXPECT_GE(control("Label8")->geometry().left(), form->width());
}

TEST_F(Form1Test, FullScreenWithNothingPlayingChangesNothing) {
    const QRect before = form->geometry();
    clickLabel("Label4");
    EXPECT_FALSE(player.isFullScreen());
    EXPECT_EQ(form->geometry(), before);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Form1Test, EscapeLeavesFullScreenOnly) {
    player.canFullScreen = true;
    clickLabel("Label4");
    ASSERT_TRUE(player.isFullScreen());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(player.isFullScreen());
    QTest::keyClick(form.get(), Qt::Key_Escape); // not in full screen: nothing happens
    EXPECT_FALSE(player.isFullScreen());
}

TEST_F(Form1Test, ClockShowsOraUntilItsFirstTick) {
    EXPECT_EQ(caption("Label7"), s("Ora"));
    auto* timer = form->findChild<QTimer*>(s("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    const QTime before = QTime::currentTime();
    QMetaObject::invokeMethod(timer, "timeout");
    const QString shownTime = caption("Label7");
    // The tick shows the time it ran at; allow for a second boundary in between.
    EXPECT_TRUE(shownTime == ClockText::text(before) ||
                shownTime == ClockText::text(QTime::currentTime()))
        << shownTime.toStdString();
}

TEST_F(Form1Test, TransportBarStopsAndPlaysTheLastAddressAgain) {
    playStation(2);
    PlayerArea& area = form->playerArea();
    area.stopButton()->click();
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    player.openedUrls.clear();
    area.playButton()->click();
    ASSERT_FALSE(player.openedUrls.isEmpty());
    EXPECT_EQ(player.openedUrls.first(), firstAddress(2));
    area.volumeSlider()->setValue(80);
    EXPECT_EQ(player.volume(), 80);
}

TEST_F(Form1Test, TransportBarPlaysTheLastAddressAgainWithItsHeaders) {
    HttpHeaders headers;
    headers.set(HttpHeaders::Header::Referer, s("https://site.example.com/"));
    player.setURL(StreamAddress(s("http://tv.example.com/live.m3u8"), headers));
    PlayerArea& area = form->playerArea();
    area.stopButton()->click();
    player.openedHeaders.clear();
    area.playButton()->click();
    ASSERT_EQ(player.openedHeaders.size(), 1);
    EXPECT_EQ(player.openedHeaders.first(), headers);
}

TEST_F(Form1Test, StopDuringAnAttemptEndsTheAttempt) {
    stationButton(0)->click(); // never plays: the fake stays in Transitioning
    ASSERT_TRUE(failover.isTrying());
    form->playerArea().stopButton()->click();
    EXPECT_FALSE(failover.isTrying());
    EXPECT_FALSE(ticker.tick());
    EXPECT_EQ(player.playState(), PlayState::Stopped);
}

TEST_F(Form1Test, ClosingDuringPlaybackStopsThePlayerAndEndsTheProgram) {
    playStation(1);
    const bool quitOnLast = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false); // the window must end the program itself
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(30000);
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    const int exitCode = QApplication::exec();
    watchdog.stop();
    QApplication::setQuitOnLastWindowClosed(quitOnLast);

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    EXPECT_FALSE(failover.StationPlaying());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(messages.messages.empty());
}

// The names Tab visits from the first page option, `count` presses (a combo box's text field
// counts as its box).
QStringList tabVisits(QWidget* from, int count) {
    from->setFocus(Qt::TabFocusReason);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->objectName().isEmpty() && focus->parentWidget()) {
            focus = focus->parentWidget();
        }
        names << (focus ? focus->objectName() : QString());
    }
    return names;
}

TEST_F(Form1Test, TabReachesTheTransportTheVolumeAndTheAlarmsBoxes) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const QStringList onPage = tabVisits(control("Option1", 0), 22);
    EXPECT_EQ(onPage.mid(0, 2), (QStringList{s("sender_waehlen(0)"), s("sender_waehlen(1)")}));
    EXPECT_EQ(onPage.mid(18, 4), (QStringList{s("transportPlay"), s("transportStop"), s("volume"),
                                              s("transportFullScreen")}));

    choosePage(StationPages::AlarmPage);
    const QStringList onAlarm = tabVisits(control("Option1", 5), 4);
    EXPECT_EQ(onAlarm, (QStringList{s("Combo1"), s("Combo2"), s("Check1"), s("transportPlay")}));
}

TEST_F(Form1Test, CtrlUpAndDownTurnTheVolumeByFiveAndTheSliderShowsIt) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QSlider* slider = form->playerArea().volumeSlider();
    slider->setFocus();
    ASSERT_EQ(player.volume(), 50);
    QTest::keyClick(slider, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(slider, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(player.volume(), 60) << "not the slider's own step";
    EXPECT_EQ(slider->value(), 60);
    stationButton(0)->setFocus();
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(stationButton(0), Qt::Key_Down, Qt::ControlModifier);
    }
    EXPECT_EQ(player.volume(), 0);
    EXPECT_EQ(slider->value(), 0);
}

TEST_F(Form1Test, TheStreamsTitleShowsOverTheStatusAndThePicture) {
    player.setNowPlaying(s("Artist - Song"));
    EXPECT_EQ(control("Label29")->toolTip(), s("Artist - Song"));
    EXPECT_EQ(form->playerArea().videoSurface()->toolTip(), s("Artist - Song"));
    player.setNowPlaying(QString());
    EXPECT_EQ(control("Label29")->toolTip(), QString());
}

class SmallCatalogueTest : public WindowTest {};

TEST_F(SmallCatalogueTest, FewStationsShowFewPageOptions) {
    startWith(20);
    EXPECT_TRUE(shown("Option1", 0));
    EXPECT_TRUE(shown("Option1", 1));
    for (int page = 2; page <= 4; ++page) {
        EXPECT_FALSE(shown("Option1", page)) << page;
        EXPECT_FALSE(shown("tv_label", page)) << page;
    }
}

// A button without a station could only answer that its channel does not exist: such buttons
// are hidden from the start, not only after the first page choice.
TEST_F(SmallCatalogueTest, ButtonsBeyondAShortFirstPageAreHiddenFromTheStart) {
    startWith(5);
    EXPECT_EQ(stationButton(4)->text(), stationName(5));
    EXPECT_TRUE(shown("sender_waehlen", 4));
    for (int i = 5; i < StationPages::ButtonCount; ++i) {
        EXPECT_TRUE(stationButton(i)->isHidden()) << i;
    }
    qobject_cast<QRadioButton*>(control("Option1", 0))->click();
    EXPECT_TRUE(stationButton(5)->isHidden());
    EXPECT_EQ(stationButton(4)->text(), stationName(5));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(SmallCatalogueTest, AmpersandsInStationNamesShowAndPlay) {
    makeForm();
    form->load({[](Catalogue& c) {
                    c.AddStreamUrl(s("Rock & Roll"), s("mms://rock.example.com/live"));
                    c.AddStreamUrl(s("A&&B"), s("mms://ab.example.com/live"));
                },
                [](Catalogue&) {}});
    EXPECT_EQ(stationButton(0)->text(), s("Rock && Roll")); // shows as "Rock & Roll"
    stationButton(0)->click();
    stationButton(1)->click();
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(player.openedUrls,
              (QStringList{s("mms://rock.example.com/live"), s("mms://ab.example.com/live")}));
}

} // namespace
} // namespace orvanto::test
