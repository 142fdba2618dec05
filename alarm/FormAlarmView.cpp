#include "alarm/FormAlarmView.h"

#include "window/FormControls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QSignalBlocker>
#include <QWidget>

namespace orvanto {

void FormAlarmView::restoreWindow() {
    QWidget* window = form_.window();
    if (window == nullptr) {
        return;
    }
    const Qt::WindowStates odd = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (window->windowState().testAnyFlags(odd)) {
        window->showNormal();
    }
}

void FormAlarmView::setCaption(const QString& caption) {
    if (QWidget* window = form_.window()) {
        window->setWindowTitle(caption);
    }
}

void FormAlarmView::setWidthTwips(int twips) {
    form_.setWidthTwips(twips);
}

void FormAlarmView::setControlVisible(ControlRole control, bool visible) {
    if (QWidget* widget = form_.control(control)) {
        widget->setVisible(visible);
    }
}

void FormAlarmView::unselectPageOption(int index) {
    auto* option = qobject_cast<QAbstractButton*>(form_.control(ControlRole::PageOptions, index));
    if (option == nullptr || !option->isChecked()) {
        return;
    }
    // The selected button of an exclusive set refuses to be cleared, so the exclusivity is
    // lifted for the moment. Blocking the button's signals keeps the change from looking like
    // a choice of page.
    const QSignalBlocker blocker(option);
    QButtonGroup* group = option->group();
    if (group != nullptr && group->exclusive()) {
        group->setExclusive(false);
        option->setChecked(false);
        group->setExclusive(true);
    } else if (option->autoExclusive()) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    } else {
        option->setChecked(false);
    }
}

void FormAlarmView::setPageOptionEnabled(int index, bool enabled) {
    if (QWidget* option = form_.control(ControlRole::PageOptions, index)) {
        option->setEnabled(enabled);
    }
}

QString FormAlarmView::boxText(ControlRole control) const {
    if (auto* box = qobject_cast<QComboBox*>(form_.control(control))) {
        return box->currentText();
    }
    return {};
}

QString FormAlarmView::hourText() const {
    return boxText(ControlRole::AlarmHourBox);
}

QString FormAlarmView::minuteText() const {
    return boxText(ControlRole::AlarmMinuteBox);
}

} // namespace orvanto
