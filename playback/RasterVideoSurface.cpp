#include "playback/RasterVideoSurface.h"

#include "playback/RgbPicture.h"

#include <QImage>
#include <QPainter>
#include <QRegion>

namespace orvanto {

RasterVideoSurface::RasterVideoSurface(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RasterVideoSurface::present(const VideoFrame& frame, const PictureLayout& layout) {
    frame_ = frame;
    layout_ = layout;
    update();
}

QRect RasterVideoSurface::pictureRect() const {
    if (frame_.isNull()) {
        return {};
    }
    const qreal ratio = devicePixelRatioF();
    return placePicture(layout_, QSize(qRound(width() * ratio), qRound(height() * ratio)));
}

void RasterVideoSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // In device pixels, where the picture is placed: on a scaled screen a picture pixel then
    // lands on a pixel of the screen, and the black around it meets it exactly.
    const qreal ratio = devicePixelRatioF();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    const QRect area(0, 0, qRound(width() * ratio), qRound(height() * ratio));
    const QRect picture = pictureRect();
    const QRect shown = picture.intersected(area);
    const QImage image = scaler_.scale(frame_, picture, shown);
    const QRegion black = image.isNull() ? QRegion(area) : QRegion(area).subtracted(shown);
    for (const QRect& bar : black) {
        painter.fillRect(bar, Qt::black);
    }
    if (!image.isNull()) {
        painter.drawImage(shown.topLeft(), image);
    }
}

} // namespace orvanto
