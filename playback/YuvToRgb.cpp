#include "playback/YuvToRgb.h"

#include "playback/FrameFormat.h"

#include <algorithm>

namespace orvanto {

bool YuvToRgb::usesHdCoefficients(const FrameFormat& format) {
    return format.height > 576;
}

YuvToRgb YuvToRgb::forFormat(const FrameFormat& format) {
    // Luma weights of red and blue; green's follows.
    const bool hd = usesHdCoefficients(format);
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
    const std::array<float, 3> red{ys, 0.0f, cs * rv};
    const std::array<float, 3> green{ys, -cs * bu * kb / kg, -cs * rv * kr / kg};
    const std::array<float, 3> blue{ys, cs * bu, 0.0f};
    std::copy(red.begin(), red.end(), conversion.matrix.begin());
    std::copy(green.begin(), green.end(), conversion.matrix.begin() + 3);
    std::copy(blue.begin(), blue.end(), conversion.matrix.begin() + 6);
    return conversion;
}

} // namespace orvanto
