#include "playback/FrameFormat.h"

namespace orvanto {

namespace {

struct Kind {
    const char* fourcc;
    int shiftX;
    int shiftY;
    bool fullRange;
};

// The planar 8-bit kinds drawn as they come (YV12, with its chroma planes the other way round,
// is asked for as I420 instead).
constexpr Kind kKinds[] = {
    {"I420", 1, 1, false}, {"J420", 1, 1, true},  {"I422", 1, 0, false},
    {"J422", 1, 0, true},  {"I444", 0, 0, false}, {"J444", 0, 0, true},
};

int aligned(int value) {
    return (value + FrameFormat::Alignment - 1) / FrameFormat::Alignment * FrameFormat::Alignment;
}

} // namespace

int FrameFormat::planeWidth(int plane) const {
    return plane == 0 ? width : (width + (1 << chromaShiftX) - 1) >> chromaShiftX;
}

int FrameFormat::planeHeight(int plane) const {
    return plane == 0 ? height : (height + (1 << chromaShiftY) - 1) >> chromaShiftY;
}

int FrameFormat::bufferBytes() const {
    int bytes = 0;
    for (int plane = 0; plane < Planes; ++plane) {
        bytes += planeBytes(plane);
    }
    return bytes;
}

std::optional<FrameFormat> FrameFormat::negotiate(const QByteArray& offered, int width,
                                                  int height) {
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide ||
        qint64(width) * height > MaxPixels) {
        return std::nullopt;
    }
    const Kind* kind = &kKinds[0];
    for (const Kind& candidate : kKinds) {
        if (offered == candidate.fourcc) {
            kind = &candidate;
        }
    }
    FrameFormat format;
    format.fourcc = kind->fourcc;
    format.width = width;
    format.height = height;
    format.chromaShiftX = kind->shiftX;
    format.chromaShiftY = kind->shiftY;
    format.fullRange = kind->fullRange;
    for (int plane = 0; plane < Planes; ++plane) {
        format.pitches[plane] = aligned(format.planeWidth(plane));
        format.lines[plane] = aligned(format.planeHeight(plane));
    }
    return format;
}

} // namespace orvanto
