#pragma once

// The viewer assembled by the program's own composition, on the real window with the built-in
// stations, but with a fake player, hand-driven tickers and clock, a scripted password prompt,
// fake address probes and recorded messages and opened addresses.

#include "alarm/AlarmClock.h"
#include "app/Viewer.h"
#include "catalogue/Catalogue.h"
#include "check/ListCheck.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "playback/Recorder.h"
#include "playback/StreamPlayer.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/FakeProbe.h"
#include "support/FakeSteadyClock.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingUrlOpener.h"
#include "support/ScriptedPasswordPrompt.h"
#include "window/Form1.h"
#include "window/FormControls.h"
#include "window/StationPages.h"

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace orvanto::test {

inline QString s(const char* text) {
    return QString::fromUtf8(text);
}

// The program's composition with fakes for every collaborator, not started yet; `Recording`:
// with the window's recording and the scheduled recordings (on a recorder over the player's
// rules, which records nothing, and a schedule ticker the test ticks).
template <bool Recording> class ViewerRigOf : public ::testing::Test {
protected:
    FakePlayer player;
    ManualTicker failoverTicker;
    RecordingMessageSink messages;
    ScriptedPasswordPrompt prompt;
    RecordingUrlOpener opener;
    FakeClock clock;
    ManualTicker watch; // Timer2
    ManualTicker ring;  // Timer3
    FakeProbes probes;
    ManualTicker checkTicker;
    FakeSteadyClock steady;
    ListCheck listCheck{probes.factory(), checkTicker, steady, clock, CheckRun::Options{}};
    QTemporaryDir cache;
    ManualTicker recordWatchdog;
    StreamPlayer recordStreams{recordWatchdog, steady};
    Recorder recorder{recordStreams};
    ManualTicker scheduleTicker;

    Viewer viewer{ViewerServices{
        .player = player,
        .videoWidget = nullptr,
        .attemptTicker = failoverTicker,
        .messages = messages,
        .prompt = prompt,
        .opener = opener,
        .clock = clock,
        .alarmWatch = watch,
        .alarmRing = ring,
        .alarmSound = AlarmClock::defaultSoundPath(),
        .listCheck = listCheck,
        .checkCacheDir = cache.path(),
        .guideCacheDir = cache.filePath(s("guides")),
        .recorder = Recording ? &recorder : nullptr,
        .scheduleTicker = Recording ? &scheduleTicker : nullptr,
    }};
    Catalogue& catalogue = viewer.catalogue();
    FailoverPlayer& failover = viewer.failover();
};

using ViewerRig = ViewerRigOf<false>;

class ViewerTest : public ViewerRig {
protected:
    // The program's own composition, on the built-in stations.
    ViewerTest() {
        viewer.start(builtinStationRegistrations());
        form = &viewer.form();
        alarm = &viewer.alarm();
        unbound = viewer.unboundControls();
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
        QWidget* hit = form->childAt(widget->mapTo(form, widget->rect().center()));
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
    Form1* form = nullptr;
    AlarmClock* alarm = nullptr;
    QStringList unbound;
};

} // namespace orvanto::test
