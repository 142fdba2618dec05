#include "lock/AdultButtons.h"

#include "lock/ParentalLock.h"
#include "window/FormControls.h"

#include <QAbstractButton>

namespace orvanto {

QStringList BindAdultButtons(const FormControls& controls, ParentalLock& lock) {
    QStringList unbound;
    for (const AdultButton& entry : AdultButtons) {
        const QString control = entry.control;
        auto* button = qobject_cast<QAbstractButton*>(controls.control(control));
        if (button == nullptr) {
            unbound.append(control);
            continue;
        }
        QObject::connect(
            button, &QAbstractButton::clicked, button,
            [&lock, station = QString(entry.station)] { lock.OpenAdultStation(station); });
    }
    return unbound;
}

} // namespace orvanto
