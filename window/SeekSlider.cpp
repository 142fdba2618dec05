#include "window/SeekSlider.h"

#include <QSlider>
#include <QTimer>

namespace orvanto {

QSlider* makeSeekSlider(QWidget* parent, const QString& objectName, const QString& accessibleName,
                        std::function<void(int value)> seek) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(objectName);
    slider->setAccessibleName(accessibleName);
    slider->setFocusPolicy(Qt::TabFocus);
    QObject::connect(slider, &QSlider::sliderReleased, slider,
                     [slider, seek] { seek(slider->value()); });
    QObject::connect(slider, &QSlider::actionTriggered, slider, [slider, seek](int action) {
        if (action != QAbstractSlider::SliderMove) {
            // The value moves by the action after this signal.
            QTimer::singleShot(0, slider, [slider, seek] { seek(slider->value()); });
        }
    });
    return slider;
}

} // namespace orvanto
