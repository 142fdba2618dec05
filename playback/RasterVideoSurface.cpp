#include "playback/RasterVideoSurface.h"

#include "playback/YuvToRgb.h"

#include <QImage>
#include <QPainter>
#include <vector>

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
    painter.fillRect(rect(), Qt::black);
    const QRect picture = pictureRect();
    const qreal ratio = devicePixelRatioF();
    const QRect shown =
        picture.intersected(QRect(0, 0, qRound(width() * ratio), qRound(height() * ratio)));
    if (shown.isEmpty()) {
        return;
    }
    const FrameFormat& format = frame_.format();
    const YuvToRgb colours = YuvToRgb::forFormat(format);
    // The sample under each device pixel's centre.
    std::vector<int> columns(size_t(shown.width()));
    for (int x = 0; x < shown.width(); ++x) {
        const double at = (x + shown.left() - picture.left() + 0.5) / picture.width();
        columns[size_t(x)] = std::clamp(int(at * format.width), 0, format.width - 1);
    }
    QImage image(shown.size(), QImage::Format_RGB32);
    for (int y = 0; y < shown.height(); ++y) {
        const double at = (y + shown.top() - picture.top() + 0.5) / picture.height();
        const int row = std::clamp(int(at * format.height), 0, format.height - 1);
        const int chromaRow = row >> format.chromaShiftY;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            const int column = columns[size_t(x)];
            const int chromaColumn = column >> format.chromaShiftX;
            line[x] = colours.convert(frame_.sample(0, column, row),
                                      frame_.sample(1, chromaColumn, chromaRow),
                                      frame_.sample(2, chromaColumn, chromaRow));
        }
    }
    image.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(shown.topLeft()) / ratio, image);
}

} // namespace orvanto
