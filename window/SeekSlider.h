#pragma once

#include <QString>
#include <functional>

class QSlider;
class QWidget;

namespace orvanto {

// A horizontal slider to seek with: `seek` is called with its value when a drag ends, and at
// once for a step of the keyboard or a click beside the handle, never during a drag (while
// isSliderDown(), what shows the slider's value is left alone by its owner).
QSlider* makeSeekSlider(QWidget* parent, const QString& objectName, const QString& accessibleName,
                        std::function<void(int value)> seek);

} // namespace orvanto
