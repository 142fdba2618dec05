#pragma once

#include "playback/RgbPicture.h"
#include "playback/VideoSurface.h"

#include <QWidget>

namespace orvanto {

// Draws the pictures without a GPU: each picture is converted to RGB and scaled to the size it
// is shown in (only the device pixels it covers).
class RasterVideoSurface final : public QWidget, public VideoSurface {
    Q_OBJECT
public:
    explicit RasterVideoSurface(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    QWidget* widget() override { return this; }
    void present(const VideoFrame& frame, const PictureLayout& layout) override;
    QRect pictureRect() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VideoFrame frame_;
    PictureLayout layout_;
    RgbScaler scaler_;
};

} // namespace orvanto
