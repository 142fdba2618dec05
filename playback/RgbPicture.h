#pragma once

#include "playback/FrameExchange.h"

#include <QImage>
#include <QRect>

namespace orvanto {

// A decoded picture turned into RGB on the CPU at the size it is shown in, for drawing without
// a GPU: only the device pixels that show it are computed, each from the samples under its
// centre, in integers (a few table look-ups a pixel).
//
// `picture` is where the whole picture goes, `shown` the part of it to make (both in device
// pixels of the same surface); the image returned is `shown`'s size, null when there is
// nothing to show.
QImage rgbPicture(const VideoFrame& frame, const QRect& picture, const QRect& shown);

} // namespace orvanto
