#pragma once

#include "playback/VideoFit.h"

#include <QRect>
#include <QSize>

namespace orvanto {

// How a picture is laid out on its screen.
struct PictureLayout {
    QSize visible;      // the picture's size in samples
    QSize sampleAspect; // the shape of a sample (empty: square)
    VideoZoom zoom = VideoZoom::Fit;
    AspectRatio ratio = AspectRatio::Default;
};

// Where the picture goes on a screen of `area` pixels (device pixels: on a scaled screen, one
// sample at 100 % covers one of them): centred, its width given by its proportions (the
// stream's own, or the chosen ones) at the height the zoom gives it, fitted whole inside the
// area for Fit, in whole pixels. It may overflow the area at 100 and 200 %.
QRect placePicture(const PictureLayout& layout, const QSize& area);

} // namespace orvanto
