#pragma once

#include "alarm/AlarmBinder.h"
#include "alarm/AlarmClock.h"
#include "alarm/FormAlarmView.h"
#include "core/Clock.h"
#include "core/QtTicker.h"

namespace orvanto {

class FailoverPlayer;
class FormControls;
class MediaPlayer;

// The alarm as the program runs it: the system clock, `Timer2` (1 s) and `Timer3` (2 s), the
// window's controls and the installed or built sound file (SoundFile). Build it once the window's
// controls exist; it must not outlive the window, the player or the failover player.
class AlarmWiring {
public:
    AlarmWiring(FormControls& form, MediaPlayer& player, FailoverPlayer& failover);

    AlarmClock& alarm() { return alarm_; }

private:
    SystemClock clock_;
    QtTicker watchTicker_{1000};
    QtTicker ringTicker_{2000};
    FormAlarmView view_;
    AlarmClock alarm_;
    AlarmBinder binder_;
};

} // namespace orvanto
