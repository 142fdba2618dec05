#pragma once

// The viewer assembled as the program assembles it, on the real window with the built-in
// stations, but with a fake player, hand-driven tickers and clock, a scripted password prompt
// and recorded messages and opened addresses.

#include "alarm/AlarmBinder.h"
#include "alarm/AlarmClock.h"
#include "alarm/FormAlarmView.h"
#include "catalogue/Catalogue.h"
#include "lock/AdultButtons.h"
#include "lock/ParentalLock.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "shortcuts/WebShortcuts.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingUrlOpener.h"
#include "support/ScriptedPasswordPrompt.h"
#include "window/Form1.h"
#include "window/FormControls.h"
#include "window/StationPages.h"

#include <QAbstractButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace orvanto::test {

inline QString s(const char* text) {
    return QString::fromUtf8(text);
}

class ViewerTest : public ::testing::Test {
protected:
    // In the order of the program's composition root: window, load, gate, shortcuts, alarm,
    // then the binders.
    ViewerTest() {
        form = std::make_unique<Form1>(catalogue, failover, player, nullptr);
        form->load(builtinStationRegistrations());
        lock = std::make_unique<ParentalLock>(prompt, messages, failover);
        shortcuts = std::make_unique<WebShortcuts>(opener, messages);
        alarmView = std::make_unique<FormAlarmView>(controls());
        alarm = std::make_unique<AlarmClock>(*alarmView, clock, watch, ring, player,
                                             AlarmClock::defaultSoundPath(),
                                             [this] { failover.standDown(); });
        alarmBinder = std::make_unique<AlarmBinder>(controls(), *alarm);
        unbound = BindAdultButtons(controls(), *lock) + BindWebShortcuts(controls(), *shortcuts);
        form->show();
        QObject::connect(&failover, &FailoverPlayer::statusTextChanged,
                         [this](const QString& text) { statusTexts << text; });
    }

    FormControls& controls() const { return form->controls(); }
    QWidget* control(const QString& name) const { return controls().control(name); }
    QWidget* control(const char* name) const { return control(s(name)); }
    QWidget* control(const char* array, int index) const {
        return controls().control(s(array), index);
    }
    void click(QWidget* widget) const { QTest::mouseClick(widget, Qt::LeftButton); }
    void click(const char* name) const { click(control(name)); }
    void click(const char* array, int index) const { click(control(array, index)); }

    // Whether a real click at the widget's centre reaches it (no other control covers it).
    bool reachable(QWidget* widget) const {
        QWidget* hit = form->childAt(widget->mapTo(form.get(), widget->rect().center()));
        return hit != nullptr && (hit == widget || widget->isAncestorOf(hit));
    }

    QString firstAddress(const QString& station) const {
        const int index = catalogue.FindStation(station);
        return index == Catalogue::NotFound ? QString() : catalogue.station(index).StreamUrls[0];
    }

    // Plays the station of button `index` on the shown page until the failover player accepts
    // it.
    void playStationOfButton(int index) {
        player.stateOnOpen = PlayState::Playing;
        click("sender_waehlen", index);
        failoverTicker.tickUntilStopped(100);
        ASSERT_TRUE(failover.StationPlaying());
    }

    QStringList statusTexts; // of the failover player, for Label29
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker failoverTicker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, failoverTicker, messages};
    ScriptedPasswordPrompt prompt;
    RecordingUrlOpener opener;
    FakeClock clock;
    ManualTicker watch; // Timer2
    ManualTicker ring;  // Timer3

    std::unique_ptr<Form1> form;
    std::unique_ptr<ParentalLock> lock;
    std::unique_ptr<WebShortcuts> shortcuts;
    std::unique_ptr<FormAlarmView> alarmView;
    std::unique_ptr<AlarmClock> alarm;
    std::unique_ptr<AlarmBinder> alarmBinder;
    QStringList unbound;
};

} // namespace orvanto::test
