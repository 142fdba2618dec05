#pragma once

#include <QPixmap>

namespace orvanto::Pictures {

// The program's icon: a computer monitor, 32 x 32, in the sixteen classic colours.
QPixmap monitorIcon();
// The picture on the alarm page, 153 x 150: a television set on the air.
QPixmap liveTvPicture();

} // namespace orvanto::Pictures
