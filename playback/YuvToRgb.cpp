#include "playback/YuvToRgb.h"

#include "playback/FrameFormat.h"

#include <algorithm>

namespace orvanto {

YuvToRgb YuvToRgb::forFormat(const FrameFormat& format) {
    // Luma weights of red and blue; green's follows.
    const bool hd = format.height > 576;
    const float kr = hd ? 0.2126f : 0.299f;
    const float kb = hd ? 0.0722f : 0.114f;
    const float kg = 1.0f - kr - kb;
    // Studio range puts black at 16 and white at 235 (chroma 16 to 240).
    const float ys = format.fullRange ? 1.0f : 255.0f / 219.0f;
    const float cs = format.fullRange ? 1.0f : 255.0f / 224.0f;
    YuvToRgb conversion;
    conversion.offset = {format.fullRange ? 0.0f : 16.0f / 255.0f, 128.0f / 255.0f,
                         128.0f / 255.0f};
    const float rv = 2.0f * (1.0f - kr);
    const float bu = 2.0f * (1.0f - kb);
    conversion.matrix = {
        ys,
        0.0f,
        cs * rv, //
        ys,
        -cs * bu * kb / kg,
        -cs * rv * kr / kg, //
        ys,
        cs * bu,
        0.0f, //
    };
    return conversion;
}

QRgb YuvToRgb::convert(int y, int u, int v) const {
    const float yy = y / 255.0f - offset[0];
    const float uu = u / 255.0f - offset[1];
    const float vv = v / 255.0f - offset[2];
    const auto channel = [&](int row) {
        const float value = matrix[size_t(row * 3)] * yy + matrix[size_t(row * 3 + 1)] * uu +
                            matrix[size_t(row * 3 + 2)] * vv;
        return int(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
    };
    return qRgb(channel(0), channel(1), channel(2));
}

} // namespace orvanto
