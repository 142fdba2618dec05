#pragma once

#include "alarm/AlarmBinder.h"
#include "alarm/AlarmClock.h"
#include "alarm/FormAlarmView.h"

namespace orvanto {

class Clock;
class FailoverPlayer;
class FormControls;
class MediaPlayer;
class Ticker;

// The alarm on the window: its view of the window's controls, the alarm clock on the given
// clock and tickers, and the bindings of its controls. Build it once the window's controls
// exist; it must not outlive the window, the player, the failover player or its timing.
class AlarmWiring {
public:
    // The program hands in the system clock, `Timer2` (1 s) and `Timer3` (2 s).
    struct Timing {
        const Clock& clock;
        Ticker& watch;
        Ticker& ring;
    };

    AlarmWiring(FormControls& form, MediaPlayer& player, FailoverPlayer& failover, Timing timing,
                const QString& soundPath);
    AlarmClock& alarm() { return alarm_; }
    FormAlarmView& view() { return view_; }

private:
    FormAlarmView view_;
    AlarmClock alarm_;
    AlarmBinder binder_;
};

} // namespace orvanto
