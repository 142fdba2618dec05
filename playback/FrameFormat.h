#pragma once

#include <QByteArray>
#include <array>
#include <optional>

namespace orvanto {

// The layout of a decoded picture in memory: three planes of 8-bit samples (Y, U, V), the
// chroma planes subsampled by 2 across, down, both or neither. The decoder writes such pictures
// as they are; only the screen converts them to RGB.
struct FrameFormat {
    static constexpr int Planes = 3;
    static constexpr int MaxSide = 8192;          // pixels across or down
    static constexpr int MaxPixels = 4096 * 4096; // a picture no larger than this is drawn
    static constexpr int Alignment = 32;          // bytes: pitches, lines and planes

    QByteArray fourcc; // what the decoder is asked for: "I420", "J422", ...
    int width = 0;     // the picture's size in the planes
    int height = 0;
    int chromaShiftX = 1; // log2 of the chroma subsampling across and down
    int chromaShiftY = 1;
    bool fullRange = false;            // samples use 0-255 (JPEG) rather than 16-235
    std::array<int, Planes> pitches{}; // bytes a row, per plane
    std::array<int, Planes> lines{};   // rows allocated, per plane

    int planeWidth(int plane) const;
    int planeHeight(int plane) const;
    int planeBytes(int plane) const { return pitches[plane] * lines[plane]; }
    int bufferBytes() const;

    // The layout to ask the decoder for, for pictures it offers as `offered` (a four-character
    // code) of `width` x `height`: the same when it is planar 8-bit YUV of a kind drawn here,
    // else 4:2:0 (the decoder then converts). Nothing for sizes beyond the bounds above.
    static std::optional<FrameFormat> negotiate(const QByteArray& offered, int width, int height);

    friend bool operator==(const FrameFormat&, const FrameFormat&) = default;
};

} // namespace orvanto
