#pragma once

#include "window/ControlRole.h"

#include <QString>

namespace orvanto {

// What the alarm changes in, and reads from, the main window.
class AlarmView {
public:
    virtual ~AlarmView() = default;

    // Brings the window back to its normal state: neither minimised nor maximised.
    virtual void restoreWindow() = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual void setWidthTwips(int twips) = 0;
    virtual void setControlVisible(ControlRole control, bool visible) = 0;

    // Page option `index`: clears its selection without raising its click, and
    // enables or disables it.
    virtual void unselectPageOption(int index) = 0;
    virtual void setPageOptionEnabled(int index, bool enabled) = 0;

    // The texts of the hour box and the minute box, as typed or chosen.
    virtual QString hourText() const = 0;
    virtual QString minuteText() const = 0;
};

} // namespace orvanto
