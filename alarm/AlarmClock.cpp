#include "alarm/AlarmClock.h"

#include "alarm/AlarmView.h"
#include "alarm/SoundFile.h"
#include "core/Clock.h"
#include "core/Ticker.h"
#include "playback/MediaPlayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

namespace orvanto {

namespace {
const QString kAlarmCaption = QStringLiteral("Alarme");

// Off by default; QT_LOGGING_RULES="orvanto.alarm.debug=true" shows where the sound was found.
Q_LOGGING_CATEGORY(lcAlarm, "orvanto.alarm", QtInfoMsg)

// The first two page options are taken out of use while the alarm rings.
constexpr int kFirstPageOptions[] = {0, 1};
} // namespace

AlarmClock::AlarmClock(AlarmView& view, const Clock& clock, Ticker& watchTicker, Ticker& ringTicker,
                       MediaPlayer& player, QString soundPath, std::function<void()> beforeRing)
    : view_(view), clock_(clock), watchTicker_(watchTicker), ringTicker_(ringTicker),
      player_(player), soundPath_(std::move(soundPath)), beforeRing_(std::move(beforeRing)) {}

AlarmClock::~AlarmClock() {
    watchTicker_.stop();
    ringTicker_.stop();
}

void AlarmClock::onOnOffClicked(bool armed) {
    if (armed) {
        // Ticking the box again while ringing leaves the ringing as it is.
        if (!watchTicker_.isRunning()) {
            watchTicker_.start([this] { onWatchTick(); });
        }
        view_.setControlVisible(ControlRole::AlarmIndicator, true);
        if (state_ == State::Idle) {
            state_ = State::Armed;
        }
        return;
    }
    // Disarming leaves the caption and whatever the player holds as they are.
    watchTicker_.stop();
    ringTicker_.stop();
    view_.setControlVisible(ControlRole::AlarmStopButton, false);
    view_.setControlVisible(ControlRole::AlarmIndicator, false);
    setFirstPageOptionsEnabled(true);
    state_ = State::Idle;
}

void AlarmClock::onIndicatorClicked() {
    view_.setWidthTwips(IndicatorWidthTwips);
    view_.setControlVisible(ControlRole::StripRestoreLabel, false);
    view_.setControlVisible(ControlRole::StripCutOffLabel, true);
    for (const int index : kFirstPageOptions) {
        view_.unselectPageOption(index);
    }
    showAlarmControls();
}

void AlarmClock::onStopClicked() {
    if (state_ != State::Ringing) {
        return;
    }
    ringTicker_.stop();
    player_.stop();
    view_.setControlVisible(ControlRole::AlarmStopButton, false);
    setFirstPageOptionsEnabled(true);
    stoppedIn_ =
        Minute{clock_.currentDate(), clock_.currentTime().hour(), clock_.currentTime().minute()};
    state_ = State::Armed;
}

void AlarmClock::onWatchTick() {
    if (state_ == State::Idle) {
        return;
    }
    // Hour and minute are compared as texts, exactly: "07" or " 7" never match 7. The minute
    // is read only when the hour matched, in a reading of its own.
    const int hour = clock_.currentTime().hour();
    if (QString::number(hour) != view_.hourText()) {
        return;
    }
    const int minute = clock_.currentTime().minute();
    if (QString::number(minute) != view_.minuteText()) {
        return;
    }
    if (stoppedIn_ && *stoppedIn_ == Minute{clock_.currentDate(), hour, minute}) {
        return; // the user stopped it in this very minute
    }
    fire();
}

// Runs on every tick of the matching minute, imposing the same state again each time.
void AlarmClock::fire() {
    view_.restoreWindow();
    view_.setCaption(kAlarmCaption);
    // An already running ring timer keeps its rhythm: restarting it every second would hold
    // the first ring back until the minute is over.
    if (!ringTicker_.isRunning()) {
        ringTicker_.start([this] { onRingTick(); });
    }
    view_.setWidthTwips(FiringWidthTwips);
    view_.setControlVisible(ControlRole::StripRestoreLabel, false);
    view_.setControlVisible(ControlRole::StripCutOffLabel, true);
    for (const int index : kFirstPageOptions) {
        view_.unselectPageOption(index);
    }
    showAlarmControls();
    setFirstPageOptionsEnabled(false);
    state_ = State::Ringing;
}

void AlarmClock::onRingTick() {
    if (state_ != State::Ringing) {
        return;
    }
    // The failover player must not take the stop and the new address for a broken stream.
    if (beforeRing_) {
        beforeRing_();
    }
    player_.setVolume(RingVolume);
    player_.stop();
    // A missing or unreadable file is the player's affair; the ring goes on regardless.
    player_.setURL(soundPath_);
    view_.setControlVisible(ControlRole::AlarmStopButton, true);
}

void AlarmClock::showAlarmControls() {
    for (const ControlRole control : AlarmPageControls) {
        view_.setControlVisible(control, true);
    }
}

void AlarmClock::setFirstPageOptionsEnabled(bool enabled) {
    for (const int index : kFirstPageOptions) {
        view_.setPageOptionEnabled(index, enabled);
    }
}

QString AlarmClock::defaultSoundPath() {
    const QString executableDir = QCoreApplication::applicationDirPath();
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    const QString path = SoundFile::find(executableDir, dataDirs);
    if (QFileInfo::exists(path)) {
        qCDebug(lcAlarm, "alarm sound: %s", qUtf8Printable(path));
    } else {
        qWarning("orvanto-tv: the alarm sound %s was found in none of: %s",
                 qUtf8Printable(SoundFile::FileName),
                 qUtf8Printable(SoundFile::candidates(executableDir, dataDirs).join(u", ")));
    }
    return path;
}

QStringList AlarmClock::hourItems() {
    QStringList items;
    for (int hour = 0; hour <= 23; ++hour) {
        items << QString::number(hour);
    }
    return items;
}

QStringList AlarmClock::minuteItems() {
    QStringList items;
    for (int minute = 0; minute <= 55; minute += 5) {
        items << QString::number(minute);
    }
    return items;
}

} // namespace orvanto
