#pragma once

#include "playback/FrameExchange.h"

#include <QImage>
#include <QRect>

struct SwsContext;

namespace orvanto {

// Decoded pictures turned into RGB on the CPU at the size they are shown in, for drawing
// without a GPU: libswscale converts and scales them (bilinear, with its SIMD code), only the
// samples under the part shown. One scaler serves one surface: it keeps its conversion set up
// for as long as the pictures and the room keep their sizes.
class RgbScaler {
public:
    RgbScaler() = default;
    ~RgbScaler();
    RgbScaler(const RgbScaler&) = delete;
    RgbScaler& operator=(const RgbScaler&) = delete;

    // `picture` is where the whole picture goes, `shown` the part of it to make (both in device
    // pixels of the same surface); the image returned is `shown`'s size, null when there is
    // nothing to show.
    QImage scale(const VideoFrame& frame, const QRect& picture, const QRect& shown);

private:
    SwsContext* context_ = nullptr;
    SwsContext* colouredFor_ = nullptr; // the context whose colours were set last, and how
    bool hd_ = false;
    bool fullRange_ = false;
};

// The same with a scaler of its own.
QImage rgbPicture(const VideoFrame& frame, const QRect& picture, const QRect& shown);

} // namespace orvanto
