#include "playback/RgbPicture.h"

#include "playback/YuvToRgb.h"

#include <algorithm>
#include <cstdlib>

extern "C" {
#include <libswscale/swscale.h>
}

namespace orvanto {

namespace {

// Rows of the images made here start at multiples of this many bytes, as libswscale's SIMD
// code wants them (it warns and goes slower otherwise).
constexpr int RowAlignment = 64;
// The first sample of a part of the picture is taken at a multiple of this many samples, so
// that every plane's rows start aligned too.
constexpr int CropStep = 32;

AVPixelFormat sourceFormat(const FrameFormat& format) {
    if (format.chromaShiftX == 0) {
        return AV_PIX_FMT_YUV444P;
    }
    return format.chromaShiftY == 0 ? AV_PIX_FMT_YUV422P : AV_PIX_FMT_YUV420P;
}

// QImage's RGB32 in memory: blue, green, red, then 0xff.
constexpr AVPixelFormat ImageFormat =
    Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;

QImage alignedImage(QSize size) {
    const qsizetype stride =
        (qsizetype(size.width()) * 4 + RowAlignment - 1) / RowAlignment * RowAlignment;
    void* memory = std::aligned_alloc(RowAlignment, size_t(stride * size.height()));
    if (!memory) {
        return {};
    }
    return QImage(
        static_cast<uchar*>(memory), size.width(), size.height(), stride, QImage::Format_RGB32,
        [](void* data) { std::free(data); }, memory);
}

// Of a picture `length` device pixels long that shows `samples` samples, the device pixels from
// `first` on, `count` of them: which samples lie under them (from a multiple of `startStep` on,
// to the end or a multiple of `endStep`), and which device pixels those samples cover.
struct Span {
    int firstSample = 0;
    int samples = 0;
    int firstPixel = 0; // of the picture
    int pixels = 0;
};

Span spanOf(int first, int count, int length, int samples, int startStep, int endStep) {
    const auto pixelAt = [&](qint64 sample) {
        return int((sample * length * 2 + samples) / (2 * qint64(samples))); // rounded
    };
    qint64 from = qint64(first) * samples / length;
    qint64 to = (qint64(first + count) * samples + length - 1) / length;
    from = from / startStep * startStep;
    to = std::min<qint64>((to + endStep - 1) / endStep * endStep, samples);
    Span span;
    span.firstSample = int(from);
    span.samples = int(to - from);
    span.firstPixel = pixelAt(from);
    span.pixels = (to == samples ? length : pixelAt(to)) - span.firstPixel;
    return span;
}

} // namespace

RgbScaler::~RgbScaler() {
    sws_freeContext(context_);
}

QImage RgbScaler::scale(const VideoFrame& frame, const QRect& picture, const QRect& shown) {
    if (frame.isNull() || picture.isEmpty() || shown.isEmpty() || !picture.contains(shown)) {
        return {};
    }
    const FrameFormat& format = frame.format();
    // All of the planes is picture: libVLC scales what it decodes to the buffers it asked for.
    const QSize samples(format.width, format.height);
    const Span across = spanOf(shown.left() - picture.left(), shown.width(), picture.width(),
                               samples.width(), CropStep, 1 << format.chromaShiftX);
    const Span down = spanOf(shown.top() - picture.top(), shown.height(), picture.height(),
                             samples.height(), 1 << format.chromaShiftY, 1 << format.chromaShiftY);
    if (across.samples <= 0 || down.samples <= 0 || across.pixels <= 0 || down.pixels <= 0) {
        return {};
    }
    context_ = sws_getCachedContext(context_, across.samples, down.samples, sourceFormat(format),
                                    across.pixels, down.pixels, ImageFormat, SWS_BILINEAR, nullptr,
                                    nullptr, nullptr);
    if (!context_) {
        colouredFor_ = nullptr;
        return {};
    }
    const bool hd = YuvToRgb::usesHdCoefficients(format);
    if (colouredFor_ != context_ || hd != hd_ || format.fullRange != fullRange_) {
        sws_setColorspaceDetails(context_, sws_getCoefficients(hd ? SWS_CS_ITU709 : SWS_CS_ITU601),
                                 format.fullRange ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                 0, 1 << 16, 1 << 16);
        colouredFor_ = context_;
        hd_ = hd;
        fullRange_ = format.fullRange;
    }

    const uchar* planes[FrameFormat::Planes];
    int pitches[FrameFormat::Planes];
    for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
        const int shiftX = plane == 0 ? 0 : format.chromaShiftX;
        const int shiftY = plane == 0 ? 0 : format.chromaShiftY;
        pitches[plane] = format.pitches[size_t(plane)];
        planes[plane] = frame.plane(plane) +
                        qsizetype(down.firstSample >> shiftY) * pitches[plane] +
                        (across.firstSample >> shiftX);
    }
    QImage image = alignedImage(QSize(across.pixels, down.pixels));
    if (image.isNull()) {
        return {};
    }
    uchar* out[] = {image.bits()};
    const int outPitch[] = {int(image.bytesPerLine())};
    sws_scale(context_, planes, pitches, 0, down.samples, out, outPitch);
    // The part shown, where the samples taken reach beyond it.
    const QRect made(picture.topLeft() + QPoint(across.firstPixel, down.firstPixel), image.size());
    return made == shown ? image : image.copy(shown.translated(-made.topLeft()));
}

QImage rgbPicture(const VideoFrame& frame, const QRect& picture, const QRect& shown) {
    RgbScaler scaler;
    return scaler.scale(frame, picture, shown);
}

} // namespace orvanto
