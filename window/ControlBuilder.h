#pragma once

#include "window/ControlDesign.h"

#include <QFont>
#include <span>

class QWidget;

namespace orvanto {

class WindowControls;

// The font of a face of the layout, at its pixel size. Missing families fall back through the
// style hint to the nearest installed one.
QFont layoutFont(ControlDesign::Font face, bool bold = false, bool italic = false);

// Creates every control of `layout` on the window of `controls` and registers it there. The
// media player area is made by the caller and handed in as `player`.
void buildControls(std::span<const ControlDesign> layout, WindowControls& controls,
                   QWidget* player);

} // namespace orvanto
