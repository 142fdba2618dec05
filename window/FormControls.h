#pragma once

#include "window/ControlRole.h"

#include <QString>

class QWidget;

namespace orvanto {

// Access to the main window's controls by their names, for the parts that drive controls of
// their own (lock, alarm, shortcuts). Positions and sizes are in twips; 15 twips are one
// device-independent pixel.
class FormControls {
public:
    virtual ~FormControls() = default;

    // A single control by name ("Command34", "Label15"), or nullptr.
    virtual QWidget* control(const QString& name) const = 0;
    // An element of a control array ("Option1", 5), or nullptr.
    virtual QWidget* control(const QString& arrayName, int index) const = 0;

    // The same by role.
    QWidget* control(ControlRole role) const { return control(controlName(role)); }
    QWidget* control(ControlRole array, int index) const {
        return control(controlName(array), index);
    }

    // The window itself.
    virtual QWidget* window() const = 0;
    // The window's width: its outer width where the platform reports a frame, else its
    // client width.
    virtual int widthTwips() const = 0;
    virtual void setWidthTwips(int twips) = 0;
};

inline constexpr int TwipsPerPixel = 15;

} // namespace orvanto
