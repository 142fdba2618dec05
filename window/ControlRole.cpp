#include "window/ControlRole.h"

namespace orvanto {

QString controlName(ControlRole role) {
    const char* name = "";
    switch (role) {
    case ControlRole::StatusLabel:
        name = "Label29";
        break;
    case ControlRole::StripCutOffLabel:
        name = "Label5";
        break;
    case ControlRole::StripRestoreLabel:
        name = "Label3";
        break;
    case ControlRole::FullScreenLabel:
        name = "Label4";
        break;
    case ControlRole::ClockLabel:
        name = "Label7";
        break;
    case ControlRole::DateLabel:
        name = "Label6";
        break;
    case ControlRole::StationPanel:
        name = "sender_frame";
        break;
    case ControlRole::StationButtons:
        name = "sender_waehlen";
        break;
    case ControlRole::PageOptions:
        name = "Option1";
        break;
    case ControlRole::PageCaptions:
        name = "tv_label";
        break;
    case ControlRole::AlarmIndicator:
        name = "Label15";
        break;
    case ControlRole::AlarmStopButton:
        name = "Command34";
        break;
    case ControlRole::AlarmHourBox:
        name = "Combo1";
        break;
    case ControlRole::AlarmMinuteBox:
        name = "Combo2";
        break;
    case ControlRole::AlarmOnOffBox:
        name = "Check1";
        break;
    case ControlRole::AlarmPicture:
        name = "Picture1";
        break;
    }
    return QString::fromLatin1(name);
}

} // namespace orvanto
