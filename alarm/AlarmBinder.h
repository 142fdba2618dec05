#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace orvanto {

class AlarmClock;
class FormControls;

// Connects the main window's alarm controls to the alarm: fills the hour and minute boxes and
// takes the clicks on the on/off box, on the indicator label and on "STOP".
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
