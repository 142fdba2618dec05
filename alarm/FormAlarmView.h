#pragma once

#include "alarm/AlarmView.h"

namespace orvanto {

class FormControls;

// The alarm's view of the main window, over its controls by name. A control the window lacks
// is skipped; a missing hour or minute box reads as empty and so never matches.
class FormAlarmView final : public AlarmView {
public:
    explicit FormAlarmView(FormControls& form) : form_(form) {}

    void restoreWindow() override;
    void setCaption(const QString& caption) override;
    void setWidthTwips(int twips) override;
    void setControlVisible(ControlRole control, bool visible) override;
    void unselectPageOption(int index) override;
    void setPageOptionEnabled(int index, bool enabled) override;
    QString hourText() const override;
    QString minuteText() const override;

private:
    QString boxText(ControlRole control) const;

    FormControls& form_;
};

} // namespace orvanto
