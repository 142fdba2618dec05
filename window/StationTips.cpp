#include "window/StationTips.h"

#include "window/StationButtonCaption.h"

#include <QAbstractButton>
#include <QHelpEvent>
#include <QToolTip>

namespace orvanto {

void StationTips::watch(QAbstractButton* button) {
    button->installEventFilter(this);
}

bool StationTips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip || !provider_) {
        return QObject::eventFilter(watched, event);
    }
    auto* button = static_cast<QAbstractButton*>(watched);
    const QString tip = provider_(StationButtonCaption::toName(button->text()));
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, button);
    }
    return true;
}

} // namespace orvanto
