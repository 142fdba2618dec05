#include "alarm/AlarmBinder.h"

#include "alarm/AlarmClock.h"
#include "window/FormControls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QMouseEvent>
#include <QWidget>

namespace orvanto {

AlarmBinder::AlarmBinder(FormControls& form, AlarmClock& alarm, QObject* parent)
    : QObject(parent), alarm_(alarm) {
    // Without leading zeros, as the alarm compares the texts.
    if (auto* hours = qobject_cast<QComboBox*>(form.control(ControlRole::AlarmHourBox))) {
        hours->addItems(AlarmClock::hourItems());
    }
    if (auto* minutes = qobject_cast<QComboBox*>(form.control(ControlRole::AlarmMinuteBox))) {
        minutes->addItems(AlarmClock::minuteItems());
    }
    if (auto* onOff = qobject_cast<QAbstractButton*>(form.control(ControlRole::AlarmOnOffBox))) {
        connect(onOff, &QAbstractButton::clicked, this,
                [this, onOff] { alarm_.onOnOffClicked(onOff->isChecked()); });
    }
    if (auto* stop = qobject_cast<QAbstractButton*>(form.control(ControlRole::AlarmStopButton))) {
        connect(stop, &QAbstractButton::clicked, this, [this] { alarm_.onStopClicked(); });
    }
    // A label has no click of its own: a left-button release over it counts as one.
    indicator_ = form.control(ControlRole::AlarmIndicator);
    if (indicator_) {
        indicator_->installEventFilter(this);
    }
}

AlarmBinder::~AlarmBinder() {
    if (indicator_) {
        indicator_->removeEventFilter(this);
    }
}

bool AlarmBinder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == indicator_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            indicator_->rect().contains(mouse->position().toPoint())) {
            alarm_.onIndicatorClicked();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvanto
