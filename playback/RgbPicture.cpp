#include "playback/RgbPicture.h"

#include "playback/YuvToRgb.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvanto {

namespace {

constexpr int Shift = 16; // fixed point: 16 bits of fraction

// What each 8-bit sample adds to each channel, in fixed point: rgb = y + the chroma terms.
struct Tables {
    std::array<int, 256> y{};
    std::array<int, 256> redV{};
    std::array<int, 256> greenU{};
    std::array<int, 256> greenV{};
    std::array<int, 256> blueU{};

    explicit Tables(const YuvToRgb& conversion) {
        const auto term = [](float factor, int sample, float offset) {
            return int(std::lround(factor * (float(sample) / 255.0f - offset) * 255.0f *
                                   float(1 << Shift)));
        };
        const auto& m = conversion.matrix;
        const auto& o = conversion.offset;
        for (int i = 0; i < 256; ++i) {
            y[size_t(i)] = term(m[0], i, o[0]) + (1 << (Shift - 1)); // rounds the sum
            redV[size_t(i)] = term(m[2], i, o[2]);
            greenU[size_t(i)] = term(m[4], i, o[1]);
            greenV[size_t(i)] = term(m[5], i, o[2]);
            blueU[size_t(i)] = term(m[7], i, o[1]);
        }
    }
};

inline uint channel(int fixed) {
    return uint(std::clamp(fixed >> Shift, 0, 255));
}

// The sample under the centre of each of `count` device pixels from `first` on, for a
// picture `length` pixels long showing `samples` samples.
std::vector<int> samplesUnder(int first, int count, int length, int samples) {
    std::vector<int> at(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const qint64 centre = 2 * qint64(first + i) + 1; // in half pixels
        at[size_t(i)] = std::clamp(int(centre * samples / (2 * qint64(length))), 0, samples - 1);
    }
    return at;
}

} // namespace

QImage rgbPicture(const VideoFrame& frame, const QRect& picture, const QRect& shown) {
    if (frame.isNull() || picture.isEmpty() || shown.isEmpty()) {
        return {};
    }
    const FrameFormat& format = frame.format();
    const Tables tables(YuvToRgb::forFormat(format));
    const std::vector<int> columns =
        samplesUnder(shown.left() - picture.left(), shown.width(), picture.width(), format.width);
    const std::vector<int> rows =
        samplesUnder(shown.top() - picture.top(), shown.height(), picture.height(), format.height);
    std::vector<int> chromaColumns(columns.size());
    std::transform(columns.begin(), columns.end(), chromaColumns.begin(),
                   [&](int column) { return column >> format.chromaShiftX; });

    QImage image(shown.size(), QImage::Format_RGB32);
    const uchar* planeY = frame.plane(0);
    const uchar* planeU = frame.plane(1);
    const uchar* planeV = frame.plane(2);
    for (int line = 0; line < shown.height(); ++line) {
        const int row = rows[size_t(line)];
        const uchar* y = planeY + qsizetype(row) * format.pitches[0];
        const qsizetype chromaRow = qsizetype(row >> format.chromaShiftY);
        const uchar* u = planeU + chromaRow * format.pitches[1];
        const uchar* v = planeV + chromaRow * format.pitches[2];
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(line));
        for (int x = 0; x < shown.width(); ++x) {
            const int luma = tables.y[y[columns[size_t(x)]]];
            const int cu = u[chromaColumns[size_t(x)]];
            const int cv = v[chromaColumns[size_t(x)]];
            out[x] = 0xFF000000u | channel(luma + tables.redV[size_t(cv)]) << 16 |
                     channel(luma + tables.greenU[size_t(cu)] + tables.greenV[size_t(cv)]) << 8 |
                     channel(luma + tables.blueU[size_t(cu)]);
        }
    }
    return image;
}

} // namespace orvanto
