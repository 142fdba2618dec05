#pragma once

#include <QString>
#include <array>

namespace orvanto {

// What a control of the main window is for. The logic speaks of roles; the layout table keeps
// the controls' original names, and controlName() maps one to the other in one place.
enum class ControlRole {
    StatusLabel,       // under the player: the failover player's progress
    StripCutOffLabel,  // " <-": cuts off the remote-control strip
    StripRestoreLabel, // " ->": restores it
    FullScreenLabel,   // " Othoni"
    ClockLabel,
    DateLabel,
    StationPanel,    // the frame holding the station buttons
    StationButtons,  // array: the 18 station buttons
    PageOptions,     // array: the page options 0..4 and the alarm page 5
    PageCaptions,    // array: the captions beside the page options
    AlarmIndicator,  // "Alarme ON"
    AlarmStopButton, // "STOP"
    AlarmHourBox,
    AlarmMinuteBox,
    AlarmOnOffBox,
    AlarmPicture,
};

// The control's name in the layout table.
QString controlName(ControlRole role);

// The controls of the alarm page, shown instead of the station panel.
inline constexpr std::array AlarmPageControls = {
    ControlRole::AlarmHourBox,
    ControlRole::AlarmMinuteBox,
    ControlRole::AlarmOnOffBox,
    ControlRole::AlarmPicture,
};

} // namespace orvanto
