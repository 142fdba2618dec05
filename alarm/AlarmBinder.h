#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace orvanto {

class AlarmClock;
class FormControls;

// Connects the main window's alarm controls to the alarm: fills the hour and minute boxes
// (`Combo1`, `Combo2`) and takes the clicks on the on/off box `Check1`, on the indicator label
// `Label15` and on "STOP" (`Command34`).
class AlarmBinder final : public QObject {
    Q_OBJECT
public:
    AlarmBinder(FormControls& form, AlarmClock& alarm, QObject* parent = nullptr);
    ~AlarmBinder() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AlarmClock& alarm_;
    QPointer<QWidget> indicator_;
};

} // namespace orvanto
