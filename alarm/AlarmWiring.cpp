#include "alarm/AlarmWiring.h"

#include "playback/FailoverPlayer.h"

namespace orvanto {

AlarmWiring::AlarmWiring(FormControls& form, MediaPlayer& player, FailoverPlayer& failover)
    : view_(form), alarm_(view_, clock_, watchTicker_, ringTicker_, player,
                          AlarmClock::defaultSoundPath(), [&failover] { failover.standDown(); }),
      binder_(form, alarm_) {}

} // namespace orvanto
