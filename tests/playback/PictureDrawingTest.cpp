// Where a picture goes on its screen (zoom, proportions, the samples' shape) and the colours the
// CPU makes of its samples.

#include "PictureSource.h"
#include "playback/RgbPicture.h"
#include "playback/VideoPlacement.h"

#include <QColor>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;

namespace {

PictureLayout layoutOf(QSize visible, VideoZoom zoom = VideoZoom::Fit,
                       AspectRatio ratio = AspectRatio::Default, QSize sampleAspect = {}) {
    PictureLayout layout;
    layout.visible = visible;
    layout.zoom = zoom;
    layout.ratio = ratio;
    layout.sampleAspect = sampleAspect;
    return layout;
}

} // namespace

TEST(PicturePlacement, FittedThePictureKeepsItsProportionsAndIsCentred) {
    // The player: as wide as it is, black above and below.
    EXPECT_EQ(placePicture(layoutOf({64, 48}), {329, 300}), QRect(0, 26, 329, 247));
    // A wide screen: as high as it is, black left and right.
    EXPECT_EQ(placePicture(layoutOf({64, 48}), {1280, 720}), QRect(160, 0, 960, 720));
    EXPECT_EQ(placePicture(layoutOf({1920, 1080}), {1280, 1024}), QRect(0, 152, 1280, 720));
}

TEST(PicturePlacement, ZoomedThePictureIsItsSizeTimesTheFactorAndMayOverflow) {
    EXPECT_EQ(placePicture(layoutOf({640, 360}, VideoZoom::Half), {329, 300}),
              QRect(4, 60, 320, 180));
    EXPECT_EQ(placePicture(layoutOf({64, 48}, VideoZoom::Original), {329, 300}),
              QRect(132, 126, 64, 48));
    EXPECT_EQ(placePicture(layoutOf({320, 240}, VideoZoom::Double), {329, 300}),
              QRect(-155, -90, 640, 480));
}

TEST(PicturePlacement, AChosenAspectReplacesTheStreamsOwnAndTheSamplesShape) {
    EXPECT_EQ(
        placePicture(layoutOf({64, 48}, VideoZoom::Double, AspectRatio::SixteenNine), {329, 300})
            .size(),
        QSize(171, 96));
    EXPECT_EQ(
        placePicture(layoutOf({1920, 1080}, VideoZoom::Fit, AspectRatio::FourThree, QSize(4, 3)),
                     {400, 300}),
        QRect(0, 0, 400, 300));
}

TEST(PicturePlacement, SamplesThatAreNotSquareShapeThePicture) {
    // PAL DVD, 16:9: 720 x 576 samples 64:45 wide.
    EXPECT_EQ(
        placePicture(layoutOf({720, 576}, VideoZoom::Original, AspectRatio::Default, QSize(64, 45)),
                     {2000, 2000})
            .size(),
        QSize(1024, 576));
    // HDV: 1440 x 1080 samples 4:3 wide.
    EXPECT_EQ(
        placePicture(layoutOf({1440, 1080}, VideoZoom::Fit, AspectRatio::Default, QSize(4, 3)),
                     {1920, 1200}),
        QRect(0, 60, 1920, 1080));
}

TEST(PicturePlacement, NothingIsPlacedWithoutAPictureOrARoom) {
    EXPECT_TRUE(placePicture(layoutOf({}), {329, 300}).isNull());
    EXPECT_TRUE(placePicture(layoutOf({64, 48}), {0, 300}).isNull());
}

namespace {

// A picture of one colour, each plane filled with its sample; the rows' padding holds
// `padding` (never picture).
FrameExchange* exchangeFor(const FrameFormat& format, int y, int u, int v, int padding,
                           FrameExchange& frames) {
    frames.configure(format);
    std::array<uchar*, FrameFormat::Planes> planes{};
    void* id = frames.lock(planes);
    const int samples[] = {y, u, v};
    for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
        for (int row = 0; row < format.lines[size_t(plane)]; ++row) {
            uchar* line = planes[size_t(plane)] + row * format.pitches[size_t(plane)];
            for (int x = 0; x < format.pitches[size_t(plane)]; ++x) {
                const bool picture =
                    x < format.planeWidth(plane) && row < format.planeHeight(plane);
                line[x] = uchar(picture ? samples[plane] : padding);
            }
        }
    }
    frames.unlock(id);
    frames.display(id);
    return &frames;
}

QColor colourOf(const char* fourcc, int height, int y, int u, int v) {
    FrameExchange frames;
    exchangeFor(formatOf(fourcc, 16, height), y, u, v, 0, frames);
    const QRect whole(0, 0, 16, height);
    return rgbPicture(frames.takeNewest(), whole, whole).pixelColor(whole.center());
}

bool near(const QColor& colour, int r, int g, int b) {
    return std::abs(colour.red() - r) <= 3 && std::abs(colour.green() - g) <= 3 &&
           std::abs(colour.blue() - b) <= 3;
}

std::string text(const QColor& colour) {
    return colour.name().toStdString();
}

} // namespace

TEST(PictureColours, StudioAndFullRangeReachBlackAndWhite) {
    EXPECT_TRUE(near(colourOf("I420", 48, 16, 128, 128), 0, 0, 0));
    EXPECT_TRUE(near(colourOf("I420", 48, 235, 128, 128), 255, 255, 255));
    EXPECT_TRUE(near(colourOf("I420", 48, 0, 128, 128), 0, 0, 0)) << "below black is black";
    EXPECT_TRUE(near(colourOf("J420", 48, 0, 128, 128), 0, 0, 0));
    EXPECT_TRUE(near(colourOf("J420", 48, 255, 128, 128), 255, 255, 255));
    EXPECT_TRUE(near(colourOf("J420", 48, 128, 128, 128), 128, 128, 128));
}

TEST(PictureColours, StandardDefinitionAndHdUseTheirOwnCoefficients) {
    // Pure red in each: BT.601 (81, 90, 240) and BT.709 (63, 102, 240), studio range.
    const QColor sd = colourOf("I420", 576, 81, 90, 240);
    EXPECT_TRUE(near(sd, 255, 0, 0)) << text(sd);
    const QColor hd = colourOf("I420", 720, 63, 102, 240);
    EXPECT_TRUE(near(hd, 255, 0, 0)) << text(hd);
    // The test card's magenta and yellow, full range.
    EXPECT_TRUE(near(colourOf("J420", 48, 105, 212, 235), 255, 0, 255));
    EXPECT_TRUE(near(colourOf("J420", 48, 226, 1, 149), 255, 255, 0));
}

TEST(PictureColours, EachPixelTakesTheSampleUnderItAndThePaddingNeverShows) {
    // 70 x 38: rows are 96 bytes with 26 of padding; the left half red, the right half blue.
    const FrameFormat format = formatOf("I420", 70, 38);
    FrameExchange frames;
    exchangeFor(format, 0, 0, 0, 255, frames);
    VideoFrame frame = frames.takeNewest();
    auto* y = const_cast<uchar*>(frame.plane(0));
    auto* u = const_cast<uchar*>(frame.plane(1));
    auto* v = const_cast<uchar*>(frame.plane(2));
    for (int row = 0; row < 38; ++row) {
        for (int x = 0; x < 70; ++x) {
            y[row * format.pitches[0] + x] = x < 35 ? 81 : 41;
        }
    }
    for (int row = 0; row < 19; ++row) {
        for (int x = 0; x < 35; ++x) {
            const bool left = x < 17;
            u[row * format.pitches[1] + x] = left ? 90 : 240;
            v[row * format.pitches[2] + x] = left ? 240 : 110;
        }
    }
    for (const QSize& size : {QSize(35, 19), QSize(70, 38), QSize(210, 114), QSize(333, 97)}) {
        const QImage image =
            rgbPicture(frame, QRect(QPoint(0, 0), size), QRect(QPoint(0, 0), size));
        ASSERT_EQ(image.size(), size);
        int wrong = 0;
        for (int row = 0; row < size.height(); ++row) {
            for (int x = 0; x < size.width(); ++x) {
                // Away from the middle, where samples of both halves meet.
                const double at = (x + 0.5) / size.width();
                if (std::abs(at - 0.5) < 0.04) {
                    continue;
                }
                const QColor colour = image.pixelColor(x, row);
                const bool red = colour.red() > 200 && colour.blue() < 60;
                const bool blue = colour.blue() > 200 && colour.red() < 60;
                wrong += (at < 0.5 ? red : blue) ? 0 : 1;
            }
        }
        EXPECT_EQ(wrong, 0) << size.width() << "x" << size.height();
    }
}

TEST(PictureColours, OnlyThePartShownIsMade) {
    const FrameFormat format = formatOf("I420", 64, 48);
    FrameExchange frames;
    exchangeFor(format, 81, 90, 240, 0, frames);
    const VideoFrame frame = frames.takeNewest();
    // At 200 % in a smaller room: the picture overflows it on every side.
    const QRect picture(-32, -24, 128, 96);
    const QImage image = rgbPicture(frame, picture, QRect(0, 0, 64, 48));
    EXPECT_EQ(image.size(), QSize(64, 48));
    EXPECT_TRUE(rgbPicture(frame, picture, QRect()).isNull());
    EXPECT_TRUE(rgbPicture(VideoFrame(), picture, QRect(0, 0, 64, 48)).isNull());
}
