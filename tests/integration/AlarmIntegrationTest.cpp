// The alarm on the real window: its page, its boxes, the page options and the shared player.

#include "ViewerFixture.h"
#include "window/PlayerArea.h"
#include "window/WindowControls.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>

namespace orvanto::test {
namespace {

const char* const kAlarmBoxes[] = {"Combo1", "Combo2", "Check1", "Picture1"};

class ViewerAlarm : public ViewerTest {
protected:
    QComboBox* box(const char* name) const { return qobject_cast<QComboBox*>(control(name)); }
    QRadioButton* option(int index) const {
        return qobject_cast<QRadioButton*>(control("Option1", index));
    }
    bool shown(const char* name) const { return control(name)->isVisible(); }
    bool boxesShown() const {
        return std::ranges::all_of(kAlarmBoxes, [this](const char* name) { return shown(name); });
    }
    bool anyBoxShown() const {
        return std::ranges::any_of(kAlarmBoxes, [this](const char* name) { return shown(name); });
    }

    // Replaces a box's text as a user does: into the box, select all, delete, type.
    void type(const char* name, const char* text) const {
        QApplication::setActiveWindow(form);
        box(name)->setFocus();
        QLineEdit* edit = box(name)->lineEdit();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, s(text));
    }

    // Opens the alarm page, sets 07:30 and ticks the on/off box.
    void armFor0730() {
        click("Option1", StationPages::AlarmPage);
        ASSERT_TRUE(boxesShown());
        ASSERT_FALSE(shown("sender_frame"));
        type("Combo1", "7");
        type("Combo2", "30");
        ASSERT_EQ(box("Combo1")->currentText(), s("7"));
        ASSERT_EQ(box("Combo2")->currentText(), s("30"));
        EXPECT_TRUE(reachable(control("Check1")));
        click("Check1");
        ASSERT_EQ(alarm->state(), AlarmClock::State::Armed);
        ASSERT_TRUE(shown("Label15"));
        EXPECT_TRUE(reachable(control("Label15")));
    }

    void tickAt(int hour, int minute, int second = 0) {
        clock.set(QTime(hour, minute, second));
        watch.tick();
    }
};

// Armed on the alarm page, then a station page is chosen (which hides the alarm boxes).
class ViewerAlarmFromPage : public ViewerAlarm, public ::testing::WithParamInterface<int> {};

TEST_P(ViewerAlarmFromPage, FiresRingsAndDisarmsThroughTheWindow) {
    armFor0730();
    click("Option1", GetParam());
    EXPECT_FALSE(anyBoxShown());
    EXPECT_TRUE(shown("sender_frame"));
    EXPECT_TRUE(shown("Label15"));

    tickAt(7, 29, 59);
    EXPECT_EQ(alarm->state(), AlarmClock::State::Armed);
    EXPECT_EQ(form->windowTitle(), s("Orvanto Live TV"));

    tickAt(7, 30);
    EXPECT_EQ(alarm->state(), AlarmClock::State::Ringing);
    EXPECT_EQ(form->windowTitle(), s("Alarme"));
    EXPECT_EQ(form->windowControls().widthTwips(), AlarmClock::FiringWidthTwips);
    EXPECT_TRUE(boxesShown());
    EXPECT_FALSE(shown("Label3"));
    EXPECT_TRUE(shown("Label5"));
    EXPECT_TRUE(shown("Label15"));
    for (int i : {0, 1}) {
        EXPECT_FALSE(option(i)->isEnabled()) << i;
        EXPECT_FALSE(option(i)->isChecked()) << i;
    }
    EXPECT_FALSE(shown("Command34"));

    ring.tick();
    EXPECT_TRUE(shown("Command34"));
    EXPECT_EQ(player.URL(), alarm->soundPath());
    EXPECT_EQ(player.volume(), AlarmClock::RingVolume);
    EXPECT_EQ(form->playerArea().volumeSlider()->value(), AlarmClock::RingVolume);

    click("Check1");
    EXPECT_EQ(alarm->state(), AlarmClock::State::Idle);
    EXPECT_FALSE(shown("Command34"));
    EXPECT_FALSE(shown("Label15"));
    EXPECT_EQ(form->windowTitle(), s("Alarme"));
    EXPECT_TRUE(option(0)->isEnabled());
    EXPECT_TRUE(option(1)->isEnabled());
    EXPECT_FALSE(ring.isRunning());
    EXPECT_FALSE(watch.isRunning());
}

INSTANTIATE_TEST_SUITE_P(StationPages, ViewerAlarmFromPage, ::testing::Values(0, 1, 2, 3));

TEST_F(ViewerAlarm, IndicatorOpensTheAlarmControlsOverAStationPage) {
    armFor0730();
    click("Option1", 0);
    ASSERT_FALSE(anyBoxShown());
    click("Label15");
    EXPECT_EQ(form->windowControls().widthTwips(), AlarmClock::IndicatorWidthTwips);
    EXPECT_TRUE(boxesShown());
    EXPECT_FALSE(shown("Label3"));
    EXPECT_TRUE(shown("Label5"));
    EXPECT_FALSE(option(0)->isChecked());
    EXPECT_TRUE(option(0)->isEnabled());
    EXPECT_EQ(alarm->state(), AlarmClock::State::Armed);
}

// A typed minute that begins a list entry ("2" of "20") stays what was typed.
TEST_F(ViewerAlarm, ListsHoldPlainNumbers) {
    auto* hours = box("Combo1");
    auto* minutes = box("Combo2");
    QStringList hourItems;
    for (int i = 0; i < hours->count(); ++i) {
        hourItems << hours->itemText(i);
    }
    QStringList minuteItems;
    for (int i = 0; i < minutes->count(); ++i) {
        minuteItems << minutes->itemText(i);
    }
    QStringList expectedHours;
    for (int h = 0; h <= 23; ++h) {
        expectedHours << QString::number(h);
    }
    EXPECT_EQ(hourItems, expectedHours);
    EXPECT_EQ(minuteItems, QStringList({s("0"), s("5"), s("10"), s("15"), s("20"), s("25"), s("30"),
                                        s("35"), s("40"), s("45"), s("50"), s("55")}));
    EXPECT_EQ(hours->currentText(), s("0"));
    EXPECT_EQ(minutes->currentText(), s("0"));
}

TEST_F(ViewerAlarm, BoxesTakeTheTextAsTyped) {
    click("Option1", StationPages::AlarmPage);
    for (const char* minute : {"7", "1", "2", "4", "05", ""}) {
        type("Combo2", minute);
        EXPECT_EQ(box("Combo2")->currentText(), s(minute)) << minute;
    }
    for (const char* hour : {"1", "2", "07"}) {
        type("Combo1", hour);
        EXPECT_EQ(box("Combo1")->currentText(), s(hour)) << hour;
    }

    type("Combo1", "7");
    type("Combo2", "2");
    click("Check1");
    tickAt(7, 20);
    EXPECT_EQ(alarm->state(), AlarmClock::State::Armed);
    tickAt(7, 2);
    EXPECT_EQ(alarm->state(), AlarmClock::State::Ringing);
}

TEST_F(ViewerAlarm, RingOverAnAcceptedStationIsNotTakenForABreak) {
    playStationOfButton(0);
    const QString stationAddress = player.URL();
    armFor0730();
    tickAt(7, 30);
    statusTexts.clear();
    const qsizetype before = player.openedUrls.size();

    // The sound opens through the usual non-playing states, plays, and ends.
    player.stateOnOpen = PlayState::Transitioning;
    ring.tick();
    player.setState(PlayState::Playing);
    failoverTicker.tickUntilStopped(100);
    ring.tick();
    player.setState(PlayState::Playing);
    player.setState(PlayState::Ready);
    failoverTicker.tickUntilStopped(100);

    EXPECT_EQ(player.openedUrls.mid(before), QStringList(2, alarm->soundPath()));
    EXPECT_FALSE(statusTexts.contains(s("abbruch")));
    EXPECT_NE(qobject_cast<QLabel*>(control("Label29"))->text(), s("abbruch"));
    EXPECT_FALSE(failover.isTrying());
    EXPECT_TRUE(messages.messages.empty());

    // STOP quiets the player; the station is not restarted, but a new choice plays.
    click("Command34");
    EXPECT_EQ(alarm->state(), AlarmClock::State::Armed);
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    EXPECT_EQ(player.URL(), alarm->soundPath());
    EXPECT_TRUE(option(0)->isEnabled());
    click("Option1", 0);
    playStationOfButton(0);
    EXPECT_EQ(player.URL(), stationAddress);
}

} // namespace
} // namespace orvanto::test
