#pragma once

#include <QString>

namespace orvanto {

// The main window's controls that the alarm shows or hides.
enum class AlarmControl {
    Label3,    // " ->": restores the remote-control strip
    Label5,    // " <-": cuts off the remote-control strip
    Label15,   // "Alarme ON": the armed indicator
    Command34, // "STOP"
    Combo1,    // alarm hour
    Combo2,    // alarm minute
    Check1,    // on/off
    Picture1,
};

// The control's name in the main window.
QString alarmControlName(AlarmControl control);

// What the alarm changes in, and reads from, the main window.
class AlarmView {
public:
    virtual ~AlarmView() = default;

    // Brings the window back to its normal state: neither minimised nor maximised.
    virtual void restoreWindow() = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual void setWidthTwips(int twips) = 0;
    virtual void setControlVisible(AlarmControl control, bool visible) = 0;

    // Page option `Option1`(index): clears its selection without raising its click, and
    // enables or disables it.
    virtual void unselectPageOption(int index) = 0;
    virtual void setPageOptionEnabled(int index, bool enabled) = 0;

    // The texts of the hour box (`Combo1`) and the minute box (`Combo2`), as typed or chosen.
    virtual QString hourText() const = 0;
    virtual QString minuteText() const = 0;
};

} // namespace orvanto
