#pragma once

#include "window/WindowStrip.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orvanto {

class AlarmView;
class Clock;
class MediaPlayer;
class Ticker;

// The daily alarm: armed with the on/off box, it compares the wall clock's hour and minute
// with the texts of the hour and minute boxes once a second (`Timer2`). At the matching minute
// it brings the window back and shows the alarm controls, and from then on rings the sound
// file through the player every 2 seconds (`Timer3`) until it is stopped or disarmed.
//
// Holds no widgets: the window is reached through an AlarmView, time through a Clock, and the
// two timers are tickers that tests advance by hand.
class AlarmClock {
public:
    enum class State { Idle, Armed, Ringing };

    static constexpr int FiringWidthTwips = WindowStrip::AlarmWidth;
    static constexpr int IndicatorWidthTwips = WindowStrip::WideWidth;
    static constexpr int RingVolume = 100;

    // `watchTicker` ticks every second (`Timer2`), `ringTicker` every 2 seconds (`Timer3`).
    // `beforeRing` runs before each ring takes over the player; it makes the failover player
    // stand down so that the ring is not taken for a broken stream.
    AlarmClock(AlarmView& view, const Clock& clock, Ticker& watchTicker, Ticker& ringTicker,
               MediaPlayer& player, QString soundPath, std::function<void()> beforeRing = {});
    ~AlarmClock();

    AlarmClock(const AlarmClock&) = delete;
    AlarmClock& operator=(const AlarmClock&) = delete;

    // The on/off box was clicked; `armed` is its new value.
    void onOnOffClicked(bool armed);
    // The "Alarme ON" indicator was clicked: opens the alarm controls.
    void onIndicatorClicked();
    // "STOP" was clicked: ends the ringing; the alarm stays armed for the next day.
    void onStopClicked();

    // One tick of each timer (normally delivered by the tickers).
    void onWatchTick();
    void onRingTick();

    State state() const { return state_; }
    const QString& soundPath() const { return soundPath_; }

    // The installed or built sound file (see SoundFile); reports on standard error when none
    // is found.
    static QString defaultSoundPath();
    // The entries of the hour box (0 to 23) and of the minute box (0 to 55 in steps of 5),
    // without leading zeros.
    static QStringList hourItems();
    static QStringList minuteItems();

private:
    struct Minute {
        QDate date;
        int hour = 0;
        int minute = 0;
        bool operator==(const Minute&) const = default;
    };

    void fire();
    void showAlarmControls();
    void setFirstPageOptionsEnabled(bool enabled);

    AlarmView& view_;
    const Clock& clock_;
    Ticker& watchTicker_;
    Ticker& ringTicker_;
    MediaPlayer& player_;
    QString soundPath_;
    std::function<void()> beforeRing_;

    State state_ = State::Idle;
    // The minute in which the user stopped the ringing; it does not fire again in it.
    std::optional<Minute> stoppedIn_;
};

} // namespace orvanto
