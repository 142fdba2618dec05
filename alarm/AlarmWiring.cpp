#include "alarm/AlarmWiring.h"

#include "playback/FailoverPlayer.h"

namespace orvanto {

AlarmWiring::AlarmWiring(FormControls& form, MediaPlayer& player, FailoverPlayer& failover,
                         Timing timing, const QString& soundPath)
    : view_(form), alarm_(view_, timing.clock, timing.watch, timing.ring, player, soundPath,
                          [&failover] { failover.standDown(); }),
      binder_(form, alarm_) {}

} // namespace orvanto
