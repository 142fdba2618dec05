#include "alarm/AlarmClock.h"

#include "AlarmTestForm.h"
#include "alarm/AlarmBinder.h"
#include "alarm/FormAlarmView.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

using State = AlarmClock::State;

const QString kSound = QStringLiteral("/opt/orvanto/Cuckoo.wav");
const QString kAlarme = QStringLiteral("Alarme");
const QString kUntouched = QStringLiteral("-");

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// The alarm over real widgets, a clock the test sets and timers the test ticks. Time moves
// in whole seconds; the ring timer ticks every second second after it was started.
struct AlarmRig {
    explicit AlarmRig(AlarmTestForm::Options options = AlarmTestForm::Options::InButtonGroup)
        : form(options) {
        form.window()->show();
    }

    void setBoxes(const QString& hour, const QString& minute) {
        form.combo1->setEditText(hour);
        form.combo2->setEditText(minute);
    }

    // Ticks Check1 as the user does, at the given time of day.
    void armAt(QTime time) {
        clock.set(time);
        form.check1->show();
        form.check1->click();
    }

    // One second of wall time: Timer3 ticks when its two seconds are up, then Timer2 ticks.
    // Returns whether that watch tick fired the alarm.
    bool second() {
        clock.advanceSeconds(1);
        if (ring.starts != ringStarts) {
            ringStarts = ring.starts;
            ringAge = 0;
        }
        if (ring.isRunning() && ++ringAge % 2 == 0) {
            ring.tick();
        }
        form.window()->setWindowTitle(kUntouched);
        watch.tick();
        return form.window()->windowTitle() == kAlarme;
    }

    // Runs until the clock shows `time` and returns how many watch ticks fired.
    int runUntil(QTime time) {
        int fired = 0;
        while (clock.currentTime() != time) {
            fired += second() ? 1 : 0;
        }
        return fired;
    }

    int rings() const { return static_cast<int>(player.openedUrls.count(kSound)); }

    AlarmTestForm form;
    FakeClock clock;
    ManualTicker watch;
    ManualTicker ring;
    FakePlayer player;
    FormAlarmView view{form};
    std::function<void()> beforeRing;
    AlarmClock alarm{view, clock, watch, ring, player, kSound, [this] {
                         if (beforeRing) {
                             beforeRing();
                         }
                     }};
    AlarmBinder binder{form, alarm};
    int ringStarts = 0;
    int ringAge = 0;
};

TEST(AlarmClock, FiresOnEveryTickOfTheMatchingMinuteAndRingsTwoSecondsLater) {
    AlarmRig rig;
    rig.setBoxes(s("7"), s("30"));
    rig.armAt(QTime(7, 29, 58));
    EXPECT_EQ(rig.alarm.state(), State::Armed);
    EXPECT_TRUE(AlarmTestForm::shown(rig.form.label15));

    EXPECT_FALSE(rig.second()); // 07:29:59
    ASSERT_TRUE(rig.second());  // 07:30:00
    EXPECT_EQ(rig.alarm.state(), State::Ringing);
    EXPECT_TRUE(rig.ring.isRunning());
    EXPECT_EQ(rig.rings(), 0);
    EXPECT_FALSE(AlarmTestForm::shown(rig.form.command34));

    EXPECT_TRUE(rig.second()); // 07:30:01: still nothing rang
    EXPECT_EQ(rig.rings(), 0);
    EXPECT_TRUE(rig.second()); // 07:30:02: the first ring
    EXPECT_EQ(rig.rings(), 1);
    EXPECT_EQ(rig.player.URL(), kSound);
    EXPECT_EQ(rig.player.volume(), AlarmClock::RingVolume);
    EXPECT_EQ(rig.player.stopCount, 1);
    EXPECT_TRUE(AlarmTestForm::shown(rig.form.command34));

    // Fires on each of the remaining ticks of the minute, then no more.
    EXPECT_EQ(rig.runUntil(QTime(7, 30, 59)), 57);
    EXPECT_FALSE(rig.second()); // 07:31:00
    EXPECT_EQ(rig.runUntil(QTime(7, 35, 0)), 0);
    // The repeated firings never held the ring timer back: it rang every 2 seconds.
    EXPECT_EQ(rig.ring.starts, 1);
    EXPECT_EQ(rig.rings(), (5 * 60) / 2);
    EXPECT_EQ(rig.alarm.state(), State::Ringing);
}

TEST(AlarmClock, FiringBringsTheAlarmPageBack) {
    AlarmRig rig;
    rig.setBoxes(s("7"), s("30"));
    rig.armAt(QTime(7, 29, 59));
    rig.form.label3->show();
    rig.form.label5->hide();
    ASSERT_TRUE(rig.second());
    EXPECT_EQ(rig.form.widthTwips(), AlarmClock::FiringWidthTwips);
    EXPECT_FALSE(AlarmTestForm::shown(rig.form.label3));
    EXPECT_TRUE(AlarmTestForm::shown(rig.form.label5));
    for (QWidget* w : std::initializer_list<QWidget*>{rig.form.combo1, rig.form.combo2,
                                                      rig.form.check1, rig.form.picture1}) {
        EXPECT_TRUE(AlarmTestForm::shown(w)) << w->objectName().toStdString();
    }
    EXPECT_FALSE(rig.form.option[0]->isChecked());
    EXPECT_FALSE(rig.form.option[0]->isEnabled());
    EXPECT_FALSE(rig.form.option[1]->isEnabled());
    EXPECT_TRUE(rig.form.option[2]->isEnabled());
}

TEST(AlarmClock, TextsThatAreNotTheExactHourOrMinuteNeverFire) {
    const std::pair<const char*, const char*> boxes[] = {
        {"07", "30"}, {" 7", "30"}, {"7 ", "30"},      {"", "30"},    {"seven", "30"},
        {"7", "030"}, {"7", ""},    {"7", "dreissig"}, {"7.0", "30"}, {"+7", "30"},
    };
    for (const auto& [hour, minute] : boxes) {
        AlarmRig rig;
        rig.setBoxes(s(hour), s(minute));
        rig.armAt(QTime(7, 29, 0));
        EXPECT_EQ(rig.runUntil(QTime(7, 32, 0)), 0) << '"' << hour << "\" \"" << minute << '"';
        EXPECT_EQ(rig.alarm.state(), State::Armed);
        EXPECT_FALSE(rig.ring.isRunning());
    }
}

TEST(AlarmClock, StartTextsFireAtMidnightAndTypedMinutesWork) {
    {
        AlarmRig rig; // boxes left at their start text "0"
        ASSERT_EQ(rig.form.combo1->currentText(), s("0"));
        rig.armAt(QTime(23, 59, 58));
        EXPECT_FALSE(rig.second());
        EXPECT_TRUE(rig.second()); // 00:00:00 the next day
    }
    {
        AlarmRig rig;
        rig.setBoxes(s("13"), s("7")); // not on the list of five-minute steps
        rig.armAt(QTime(13, 6, 59));
        EXPECT_TRUE(rig.second());
    }
}

TEST(AlarmClock, ClearingTheBoxWhileRingingEndsTheRinging) {
    AlarmRig rig;
    rig.setBoxes(s("7"), s("30"));
    rig.armAt(QTime(7, 29, 59));
    rig.runUntil(QTime(7, 30, 10));
    ASSERT_EQ(rig.rings(), 5);
    const int stops = rig.player.stopCount;

    rig.form.check1->click();
    EXPECT_FALSE(rig.form.check1->isChecked());
    EXPECT_EQ(rig.alarm.state(), State::Idle);
    EXPECT_FALSE(AlarmTestForm::shown(rig.form.command34));
    EXPECT_FALSE(AlarmTestForm::shown(rig.form.label15));
    EXPECT_FALSE(rig.watch.isRunning());
    EXPECT_FALSE(rig.ring.isRunning());
    EXPECT_EQ(rig.form.window()->windowTitle(), kAlarme);
    EXPECT_EQ(rig.runUntil(QTime(7, 31, 0)), 0);
    EXPECT_EQ(rig.rings(), 5);
    // The last sound plays out; the first two pages can be chosen again.
    EXPECT_EQ(rig.player.stopCount, stops);
    EXPECT_TRUE(rig.form.option[0]->isEnabled());
    EXPECT_TRUE(rig.form.option[1]->isEnabled());
}

TEST(AlarmClock, StopEndsTheRingingForTheMinuteAndTheAlarmFiresTheNextDay) {
    AlarmRig rig;
    rig.setBoxes(s("7"), s("30"));
    rig.armAt(QTime(7, 29, 59));
    rig.runUntil(QTime(7, 30, 4));
    ASSERT_TRUE(AlarmTestForm::shown(rig.form.command34));
    const int stops = rig.player.stopCount;

    rig.form.command34->click();
    EXPECT_EQ(rig.alarm.state(), State::Armed);
    EXPECT_EQ(rig.player.stopCount, stops + 1);
    EXPECT_FALSE(AlarmTestForm::shown(rig.form.command34));
    EXPECT_FALSE(rig.ring.isRunning());
    EXPECT_TRUE(rig.watch.isRunning());
    EXPECT_TRUE(rig.form.check1->isChecked());
    EXPECT_TRUE(AlarmTestForm::shown(rig.form.label15));
    EXPECT_TRUE(rig.form.option[0]->isEnabled());
    EXPECT_TRUE(rig.form.option[1]->isEnabled());

    const int rings = rig.rings();
    EXPECT_EQ(rig.runUntil(QTime(7, 31, 0)), 0);
    EXPECT_EQ(rig.rings(), rings);

    rig.clock.now = rig.clock.now.addDays(1);
    rig.clock.set(QTime(7, 29, 59));
    EXPECT_TRUE(rig.second());
    EXPECT_EQ(rig.alarm.state(), State::Ringing);
    rig.runUntil(QTime(7, 30, 2));
    EXPECT_EQ(rig.rings(), rings + 1);
}

TEST(AlarmClock, AWindowMinimisedDuringTheMinuteIsRestoredOnTheNextTick) {
    AlarmRig rig;
    rig.setBoxes(s("7"), s("30"));
    rig.armAt(QTime(7, 29, 59));
    rig.form.window()->showMaximized();
    ASSERT_TRUE(rig.second());
    EXPECT_FALSE(rig.form.window()->isMaximized());
    rig.form.window()->showMinimized();
    ASSERT_TRUE(rig.form.window()->isMinimized());
    rig.form.setWidthTwips(5030);
    ASSERT_TRUE(rig.second());
    EXPECT_FALSE(rig.form.window()->isMinimized());
    EXPECT_TRUE(rig.form.window()->isVisible());
    EXPECT_EQ(rig.form.widthTwips(), AlarmClock::FiringWidthTwips);
}

TEST(AlarmClock, SwitchingToAStationPageHidesTheBoxesButTheAlarmStillFires) {
    AlarmRig rig;
    rig.setBoxes(s("7"), s("30"));
    rig.armAt(QTime(7, 20, 0));
    for (QWidget* w : std::initializer_list<QWidget*>{rig.form.combo1, rig.form.combo2,
                                                      rig.form.check1, rig.form.picture1}) {
        w->hide(); // what choosing a station page does
    }
    EXPECT_EQ(rig.runUntil(QTime(7, 30, 0)), 1);
    for (QWidget* w : std::initializer_list<QWidget*>{rig.form.combo1, rig.form.combo2,
                                                      rig.form.check1, rig.form.picture1}) {
        EXPECT_TRUE(AlarmTestForm::shown(w)) << w->objectName().toStdString();
    }
}

TEST(AlarmClock, IndicatorClickOpensTheAlarmControls) {
    AlarmRig rig;
    rig.armAt(QTime(12, 0, 0));
    rig.form.check1->hide();
    rig.form.label3->show();
    rig.form.label5->hide();
    QTest::mouseClick(rig.form.label15, Qt::RightButton);
    EXPECT_EQ(rig.form.widthTwips(), 9600);

    QTest::mouseClick(rig.form.label15, Qt::LeftButton);
    EXPECT_EQ(rig.form.widthTwips(), AlarmClock::IndicatorWidthTwips);
    EXPECT_FALSE(AlarmTestForm::shown(rig.form.label3));
    EXPECT_TRUE(AlarmTestForm::shown(rig.form.label5));
    EXPECT_TRUE(AlarmTestForm::shown(rig.form.check1));
    EXPECT_TRUE(AlarmTestForm::shown(rig.form.combo1));
    EXPECT_FALSE(rig.form.option[0]->isChecked());
    EXPECT_TRUE(rig.form.option[0]->isEnabled());
    EXPECT_EQ(rig.alarm.state(), State::Armed);
}

// Clearing the selected page option must work whether the window keeps the options in a
// button group or relies on auto-exclusivity, must raise no click, and must leave the
// options exclusive afterwards.
TEST(AlarmClock, PageOptionsAreClearedWithoutAClick) {
    for (const auto options :
         {AlarmTestForm::Options::InButtonGroup, AlarmTestForm::Options::AutoExclusive}) {
        AlarmRig rig(options);
        QSignalSpy clicks(rig.form.option[0], &QAbstractButton::clicked);
        std::unique_ptr<QSignalSpy> groupClicks;
        if (rig.form.group != nullptr) {
            groupClicks = std::make_unique<QSignalSpy>(rig.form.group, &QButtonGroup::idClicked);
        }
        rig.setBoxes(s("7"), s("30"));
        rig.armAt(QTime(7, 29, 59));
        ASSERT_TRUE(rig.second());
        for (const QRadioButton* option : rig.form.option) {
            EXPECT_FALSE(option->isChecked());
        }
        EXPECT_EQ(clicks.count(), 0);
        if (groupClicks) {
            EXPECT_EQ(groupClicks->count(), 0);
        }
        rig.form.option[2]->click();
        rig.form.option[3]->click();
        EXPECT_FALSE(rig.form.option[2]->isChecked());
        EXPECT_TRUE(rig.form.option[3]->isChecked());
    }
}

} // namespace
} // namespace orvanto::test
