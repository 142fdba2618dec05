#include "ScreenPixels.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace orvanto::test::pixels {

QImage grabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

namespace {

template <typename Visit> void forEach(const QImage& image, const QRect& area, Visit visit) {
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x) {
            visit(x, y, line[x]);
        }
    }
}

} // namespace

QRect bounds(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& matches) {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    forEach(image, area, [&](int x, int y, QRgb pixel) {
        if (matches(pixel)) {
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    });
    return left > right ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

int count(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& matches) {
    int n = 0;
    forEach(image, area, [&](int, int, QRgb pixel) { n += matches(pixel) ? 1 : 0; });
    return n;
}

bool isMagenta(QRgb pixel) {
    return qRed(pixel) > 170 && qGreen(pixel) < 90 && qBlue(pixel) > 170;
}

bool isYellow(QRgb pixel) {
    return qRed(pixel) > 170 && qGreen(pixel) > 170 && qBlue(pixel) < 90;
}

bool isWindowBackground(QRgb pixel) {
    return (pixel & 0xFFFFFF) == 0x80FFFF;
}

bool isLight(QRgb pixel) {
    return qRed(pixel) > 180 && qGreen(pixel) > 180 && qBlue(pixel) > 180;
}

QRect testCard(const QImage& image, const QRect& area) {
    const QRect card = bounds(image, area, isTestCard);
    if (card.height() < 4) {
        return {};
    }
    // Magenta fills the top half, yellow the bottom half (a row of blend between them).
    QRect top = card;
    top.setBottom(card.top() + card.height() / 2 - 2);
    QRect bottom = card;
    bottom.setTop(card.top() + card.height() / 2 + 1);
    const int topMagenta = count(image, top, isMagenta);
    const int bottomYellow = count(image, bottom, isYellow);
    const bool upright = topMagenta > top.width() * top.height() * 9 / 10 &&
                         bottomYellow > bottom.width() * bottom.height() * 9 / 10;
    return upright ? card : QRect();
}

} // namespace orvanto::test::pixels
