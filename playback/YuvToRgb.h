#pragma once

#include <array>

namespace orvanto {

struct FrameFormat;

// The conversion from a picture's YUV samples to RGB: rgb = matrix * (yuv - offset), with
// samples and results from 0 to 1. Pictures taller than standard definition use the HD
// (BT.709) coefficients, others the SD (BT.601) ones, as players do when a stream does not say.
struct YuvToRgb {
    std::array<float, 9> matrix{}; // row-major: R, G, B rows over Y, U, V columns
    std::array<float, 3> offset{};

    static YuvToRgb forFormat(const FrameFormat& format);
    // Whether `format`'s pictures take the HD coefficients.
    static bool usesHdCoefficients(const FrameFormat& format);
};

} // namespace orvanto
