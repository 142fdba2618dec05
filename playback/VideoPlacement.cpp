#include "playback/VideoPlacement.h"

namespace orvanto {

namespace {

// Width over height of the picture as shown.
double proportions(const PictureLayout& layout) {
    switch (layout.ratio) {
    case AspectRatio::FourThree:
        return 4.0 / 3.0;
    case AspectRatio::SixteenNine:
        return 16.0 / 9.0;
    case AspectRatio::Default:
        break;
    }
    double ratio = double(layout.visible.width()) / layout.visible.height();
    if (!layout.sampleAspect.isEmpty()) {
        ratio *= double(layout.sampleAspect.width()) / layout.sampleAspect.height();
    }
    return ratio;
}

double zoomFactor(VideoZoom zoom) {
    switch (zoom) {
    case VideoZoom::Half:
        return 0.5;
    case VideoZoom::Double:
        return 2.0;
    case VideoZoom::Original:
    case VideoZoom::Fit:
        break;
    }
    return 1.0;
}

} // namespace

QRect placePicture(const PictureLayout& layout, const QSize& area) {
    if (layout.visible.isEmpty() || area.isEmpty()) {
        return {};
    }
    const double ratio = proportions(layout);
    QSizeF size;
    if (layout.zoom == VideoZoom::Fit) {
        size = QSizeF(area.width(), area.width() / ratio);
        if (size.height() > area.height()) {
            size = QSizeF(area.height() * ratio, area.height());
        }
    } else {
        const double height = layout.visible.height() * zoomFactor(layout.zoom);
        size = QSizeF(height * ratio, height);
    }
    const QSize pixels(std::max(1, qRound(size.width())), std::max(1, qRound(size.height())));
    return QRect(QPoint((area.width() - pixels.width()) / 2, (area.height() - pixels.height()) / 2),
                 pixels);
}

} // namespace orvanto
