// The alarm and the failover player sharing one media player.

#include "AlarmTestForm.h"
#include "alarm/AlarmClock.h"
#include "alarm/AlarmWiring.h"
#include "alarm/FormAlarmView.h"
#include "catalogue/Catalogue.h"
#include "core/Clock.h"
#include "core/QtTicker.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

const QString kStation = QStringLiteral("Alpha TV");
const QString kStationUrl = QStringLiteral("http://tv.example.com/alpha");

struct PlaybackRig {
    explicit PlaybackRig(QString soundPath)
        : sound(std::move(soundPath)),
          alarm(view, clock, watch, ring, player, sound, [this] { failover.standDown(); }) {
        catalogue.AddStreamUrl(kStation, kStationUrl);
        QObject::connect(&failover, &FailoverPlayer::statusTextChanged,
                         [this](const QString& text) { statusTexts << text; });
    }

    // The station is chosen and accepted after its five playing ticks.
    void playStation() {
        player.stateOnOpen = PlayState::Playing;
        failover.SelectStation(kStation, 0);
        failoverTicker.tickUntilStopped(10);
        ASSERT_TRUE(failover.StationPlaying());
    }

    void fireAt(QTime time) {
        form.combo1->setEditText(QString::number(time.hour()));
        form.combo2->setEditText(QString::number(time.minute()));
        clock.set(time);
        alarm.onOnOffClicked(true);
        watch.tick();
        ASSERT_EQ(alarm.state(), AlarmClock::State::Ringing);
    }

    // URLs the player was given after the first ring.
    QStringList urlsFromFirstRing() const {
        const qsizetype first = player.openedUrls.indexOf(sound);
        return first < 0 ? QStringList() : player.openedUrls.mid(first);
    }

    QString sound;
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker failoverTicker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, failoverTicker, messages};
    AlarmTestForm form;
    FormAlarmView view{form};
    FakeClock clock;
    ManualTicker watch;
    ManualTicker ring;
    AlarmClock alarm;
    QStringList statusTexts;
};

TEST(AlarmPlayback, RingOverAPlayingStationIsNotTakenForABrokenStream) {
    PlaybackRig rig(QStringLiteral("/opt/orvanto/Cuckoo.wav"));
    rig.playStation();
    rig.fireAt(QTime(6, 45));
    // The sound opens through the usual non-playing states before it plays.
    rig.player.stateOnOpen = PlayState::Transitioning;
    rig.ring.tick();
    rig.player.setState(PlayState::Playing);
    rig.ring.tick();
    rig.player.setState(PlayState::Playing);
    rig.player.setState(PlayState::Ready); // the sound has ended
    rig.failoverTicker.tickUntilStopped(100);

    EXPECT_EQ(rig.player.openedUrls.last(), rig.sound);
    EXPECT_FALSE(rig.urlsFromFirstRing().contains(kStationUrl));
    EXPECT_FALSE(rig.statusTexts.contains(QStringLiteral("abbruch")));
    EXPECT_FALSE(rig.failover.StationPlaying());
    EXPECT_FALSE(rig.failover.isTrying());
    EXPECT_TRUE(rig.messages.messages.empty());

    // Stopping the alarm leaves the player quiet; the station is not restarted either.
    rig.alarm.onStopClicked();
    EXPECT_EQ(rig.player.playState(), PlayState::Stopped);
    EXPECT_EQ(rig.player.openedUrls.last(), rig.sound);
}

TEST(AlarmPlayback, AMissingSoundFileKeepsRinging) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PlaybackRig rig(dir.filePath(QStringLiteral("Cuckoo.wav"))); // no such file
    rig.playStation();
    rig.fireAt(QTime(0, 0));
    rig.player.stateOnOpen = PlayState::Ready; // the player cannot open it
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(rig.ring.tick());
    }
    EXPECT_EQ(rig.urlsFromFirstRing(), QStringList(5, rig.sound));
    EXPECT_TRUE(AlarmTestForm::shown(rig.form.command34));
    EXPECT_FALSE(rig.statusTexts.contains(QStringLiteral("abbruch")));
    EXPECT_TRUE(rig.messages.messages.empty());
}

// The program's own assembly: real timers and clock, the window's controls, the sound file
// beside the executable.
TEST(AlarmPlayback, TheProgramsAlarmAnswersTheWindowsControls) {
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker failoverTicker;
    RecordingMessageSink messages;
    FailoverPlayer failover(catalogue, player, failoverTicker, messages);
    AlarmTestForm form;
    SystemClock clock;
    QtTicker watch(1000);
    QtTicker ring(2000);
    AlarmWiring wiring(form, player, failover, {clock, watch, ring},
                       AlarmClock::defaultSoundPath());
    EXPECT_TRUE(wiring.alarm().soundPath().endsWith(QStringLiteral("/Cuckoo.wav")));

    form.check1->click();
    EXPECT_EQ(wiring.alarm().state(), AlarmClock::State::Armed);
    EXPECT_TRUE(AlarmTestForm::shown(form.label15));
    form.check1->click();
    EXPECT_EQ(wiring.alarm().state(), AlarmClock::State::Idle);
    EXPECT_FALSE(AlarmTestForm::shown(form.label15));
}

} // namespace
} // namespace orvanto::test
