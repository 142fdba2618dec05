#include "alarm/FormAlarmView.h"

#include "window/FormControls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QSignalBlocker>
#include <QWidget>

namespace orvanto {

namespace {
const QString kPageOptionArray = QStringLiteral("Option1");
} // namespace

QString alarmControlName(AlarmControl control) {
    switch (control) {
    case AlarmControl::Label3:
        return QStringLiteral("Label3");
    case AlarmControl::Label5:
        return QStringLiteral("Label5");
    case AlarmControl::Label15:
        return QStringLiteral("Label15");
    case AlarmControl::Command34:
        return QStringLiteral("Command34");
    case AlarmControl::Combo1:
        return QStringLiteral("Combo1");
    case AlarmControl::Combo2:
        return QStringLiteral("Combo2");
    case AlarmControl::Check1:
        return QStringLiteral("Check1");
    case AlarmControl::Picture1:
        return QStringLiteral("Picture1");
    }
    return {};
}

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

void FormAlarmView::setControlVisible(AlarmControl control, bool visible) {
    if (QWidget* widget = form_.control(alarmControlName(control))) {
        widget->setVisible(visible);
    }
}

void FormAlarmView::unselectPageOption(int index) {
    auto* option = qobject_cast<QAbstractButton*>(form_.control(kPageOptionArray, index));
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
    if (QWidget* option = form_.control(kPageOptionArray, index)) {
        option->setEnabled(enabled);
    }
}

QString FormAlarmView::boxText(AlarmControl control) const {
    if (auto* box = qobject_cast<QComboBox*>(form_.control(alarmControlName(control)))) {
        return box->currentText();
    }
    return {};
}

QString FormAlarmView::hourText() const {
    return boxText(AlarmControl::Combo1);
}

QString FormAlarmView::minuteText() const {
    return boxText(AlarmControl::Combo2);
}

} // namespace orvanto
