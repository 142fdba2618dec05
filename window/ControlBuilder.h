#pragma once

#include "window/ControlDesign.h"

#include <QFont>
#include <QList>
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

// Gives the controls of `names` their accessible names.
void nameControls(std::span<const ControlName> names, const WindowControls& controls);

// Puts the controls of `order` in that Tab order, `playerControls` where the player stands, and
// returns the chain.
QList<QWidget*> tabChain(std::span<const ControlRef> order, const WindowControls& controls,
                         const QList<QWidget*>& playerControls);

} // namespace orvanto
