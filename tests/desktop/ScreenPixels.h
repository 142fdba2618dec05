#pragma once

#include <QImage>
#include <QRect>
#include <functional>

namespace orvanto::test::pixels {

// What the X server's screen shows now, whichever desktop drew it.
QImage grabScreen();

// The smallest rectangle holding every pixel of `image` inside `area` that `matches` accepts;
// a null rectangle when there is none.
QRect bounds(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& matches);
// How many pixels of `image` inside `area` `matches` accepts.
int count(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& matches);

// The test card's two colours, as any YUV conversion (full or studio range, either matrix)
// shows them, and the window's own background colour.
bool isMagenta(QRgb pixel);
bool isYellow(QRgb pixel);
inline bool isTestCard(QRgb pixel) {
    return isMagenta(pixel) || isYellow(pixel);
}
bool isWindowBackground(QRgb pixel);
bool isLight(QRgb pixel); // menus, boxes: near white or light grey

// The test card as the screen shows it inside `area`: its bounds when it is the right way up
// (magenta above yellow), else a null rectangle.
QRect testCard(const QImage& image, const QRect& area);

} // namespace orvanto::test::pixels
