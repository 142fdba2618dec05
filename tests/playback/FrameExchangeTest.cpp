// How decoded pictures are laid out and handed from libVLC's video thread to the window: the
// formats asked for, which buffer the decoder gets, which picture the window gets, and that the
// two never share a buffer.

#include "playback/FrameExchange.h"

#include "PictureSource.h"

#include <QSignalSpy>
#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <thread>

using namespace orvanto;
using namespace orvanto::test;

TEST(FrameFormat, PlanarKindsAreTakenAsTheyComeAndOthersAskedForAsI420) {
    const FrameFormat jpeg = formatOf("J420", 64, 48);
    EXPECT_EQ(jpeg.fourcc, "J420");
    EXPECT_TRUE(jpeg.fullRange);
    EXPECT_EQ(jpeg.chromaShiftX, 1);
    EXPECT_EQ(jpeg.chromaShiftY, 1);
    const FrameFormat four22 = formatOf("I422", 64, 48);
    EXPECT_EQ(four22.chromaShiftY, 0);
    EXPECT_EQ(four22.planeHeight(1), 48);
    EXPECT_EQ(formatOf("I444", 64, 48).planeWidth(2), 64);
    // Packed, semi-planar, swapped and hardware kinds: libVLC converts them to I420 for us.
    for (const char* other : {"NV12", "YV12", "RV32", "VAOP", "VDV0", "I0AL"}) {
        const FrameFormat format = formatOf(other, 64, 48);
        EXPECT_EQ(format.fourcc, "I420") << other;
        EXPECT_FALSE(format.fullRange) << other;
    }
}

TEST(FrameFormat, RowsAreAlignedAndOddSizesKeepTheirLastChromaSample) {
    const FrameFormat format = formatOf("I420", 33, 17);
    EXPECT_EQ(format.planeWidth(0), 33);
    EXPECT_EQ(format.planeWidth(1), 17); // 33 luma columns need 17 chroma columns
    EXPECT_EQ(format.planeHeight(2), 9);
    for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
        EXPECT_EQ(format.pitches[size_t(plane)] % FrameFormat::Alignment, 0);
        EXPECT_GE(format.pitches[size_t(plane)], format.planeWidth(plane));
        EXPECT_GE(format.lines[size_t(plane)], format.planeHeight(plane));
    }
    EXPECT_EQ(format.bufferBytes(), 64 * 32 + 2 * 32 * 32);
}

TEST(FrameFormat, EmptyAndOversizedPicturesAreRefused) {
    EXPECT_FALSE(FrameFormat::negotiate("I420", 0, 48));
    EXPECT_FALSE(FrameFormat::negotiate("I420", 64, 0));
    EXPECT_FALSE(FrameFormat::negotiate("I420", FrameFormat::MaxSide + 1, 16));
    EXPECT_FALSE(FrameFormat::negotiate("I420", 4097, 4097)); // beyond MaxPixels
    EXPECT_TRUE(FrameFormat::negotiate("I420", 3840, 2160));
}

class FrameExchangeTest : public ::testing::Test {
protected:
    FrameExchange frames;
};

TEST_F(FrameExchangeTest, BeforeAnyFormatTheDecoderGetsNoBufferAndTheWindowNoPicture) {
    std::array<uchar*, FrameFormat::Planes> planes{};
    planes.fill(reinterpret_cast<uchar*>(&planes));
    EXPECT_EQ(frames.lock(planes), nullptr);
    EXPECT_EQ(planes[0], nullptr);
    frames.display(nullptr);
    EXPECT_TRUE(frames.takeNewest().isNull());
    EXPECT_FALSE(frames.isActive());
}

TEST_F(FrameExchangeTest, TheWindowTakesTheNewestPictureDueAndOneNotificationUntilItDoes) {
    QSignalSpy changed(&frames, &FrameExchange::changed);
    PictureSource decoder(frames, formatOf("I420", 64, 48));
    const auto first = decoder.lockAndWrite(1);
    const auto second = decoder.lockAndWrite(2);
    decoder.unlockAndShow(first);
    decoder.unlockAndShow(second);
    decoder.decode(3);
    EXPECT_EQ(changed.count(), 1) << "one notification on its way at a time";

    const VideoFrame newest = frames.takeNewest();
    EXPECT_EQ(PictureSource::numberOf(newest), 3);
    EXPECT_EQ(newest.number(), 3u);
    EXPECT_TRUE(frames.takeNewest().isNull()) << "nothing new since";
    decoder.decode(4);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(PictureSource::numberOf(frames.takeNewest()), 4);
}

TEST_F(FrameExchangeTest, APictureDecodedButNeverDueIsNotShown) {
    PictureSource decoder(frames, formatOf("I420", 64, 48));
    decoder.decode(1);
    const auto dropped = decoder.lockAndWrite(2);
    frames.unlock(dropped.id); // libVLC found it too late: unlocked, never displayed
    EXPECT_EQ(PictureSource::numberOf(frames.takeNewest()), 1);
}

TEST_F(FrameExchangeTest, TheDecoderNeverWritesIntoAPictureTheWindowHolds) {
    PictureSource decoder(frames, formatOf("I420", 64, 48));
    decoder.decode(1);
    const VideoFrame shown = frames.takeNewest();
    for (int number = 2; number < 40; ++number) {
        // The decoder holds two buffers at most, as libVLC does.
        const auto a = decoder.lockAndWrite(number);
        const auto b = decoder.lockAndWrite(number + 100);
        EXPECT_NE(a.planes[0], shown.plane(0));
        EXPECT_NE(b.planes[0], shown.plane(0));
        decoder.unlockAndShow(a);
        decoder.unlockAndShow(b);
        if (number % 3 == 0) {
            frames.takeNewest(); // taken and let go at once
        }
    }
    EXPECT_EQ(PictureSource::numberOf(shown), 1) << "the picture on show stayed as it was";
}

TEST_F(FrameExchangeTest, WhileTheWindowHoldsAPictureAndOneIsDueTheDecoderStillGetsTwoBuffers) {
    PictureSource decoder(frames, formatOf("I420", 64, 48));
    decoder.decode(1);
    const VideoFrame shown = frames.takeNewest();
    decoder.decode(2); // due, not taken yet
    const auto a = decoder.lockAndWrite(3);
    const auto b = decoder.lockAndWrite(4);
    EXPECT_EQ(PictureSource::numberOf(frames.takeNewest()), 2) << "the picture due kept its buffer";
    decoder.unlockAndShow(a);
    decoder.unlockAndShow(b);
    EXPECT_EQ(PictureSource::numberOf(frames.takeNewest()), 4);
}

TEST_F(FrameExchangeTest, WithEveryBufferBusyAPictureIsDroppedRatherThanWaitedFor) {
    PictureSource decoder(frames, formatOf("I420", 64, 48));
    decoder.decode(1);
    const VideoFrame first = frames.takeNewest();
    decoder.decode(2);
    const VideoFrame second = frames.takeNewest();
    decoder.decode(3); // due
    const auto a = decoder.lockAndWrite(4);
    const auto b = decoder.lockAndWrite(5); // every buffer is busy: the picture due gives way
    decoder.unlockAndShow(a);
    decoder.unlockAndShow(b);
    EXPECT_EQ(PictureSource::numberOf(frames.takeNewest()), 5);
    EXPECT_EQ(PictureSource::numberOf(first), 1);
    EXPECT_EQ(PictureSource::numberOf(second), 2);
}

TEST_F(FrameExchangeTest, APictureOutlivesTheEndOfItsVideoAndTheNextFormat) {
    PictureSource decoder(frames, formatOf("I420", 64, 48));
    decoder.decode(7);
    const VideoFrame kept = frames.takeNewest();
    const quint64 generation = frames.generation();
    frames.unconfigure();
    EXPECT_FALSE(frames.isActive());
    EXPECT_TRUE(frames.takeNewest().isNull());
    PictureSource next(frames, formatOf("I420", 1280, 720));
    EXPECT_EQ(frames.generation(), generation + 1);
    next.decode(8);
    EXPECT_EQ(kept.format().width, 64);
    EXPECT_EQ(PictureSource::numberOf(kept), 7);
    EXPECT_EQ(frames.takeNewest().format().width, 1280);
}

TEST_F(FrameExchangeTest, AShapeFoundForAnEarlierVideoIsNotTakenForTheNext) {
    PictureSource decoder(frames, formatOf("I420", 64, 48));
    const quint64 earlier = frames.generation();
    PictureSource next(frames, formatOf("I420", 64, 48));
    frames.setShape(earlier, {QSize(64, 48), QSize(16, 11)});
    EXPECT_FALSE(frames.shape().isValid());
    frames.setShape(frames.generation(), {QSize(60, 48), QSize(4, 3)});
    EXPECT_EQ(frames.shape().visible, QSize(60, 48));
    EXPECT_EQ(frames.shape().sampleAspect, QSize(4, 3));
}

// libVLC's video thread and the window's at once: every picture the window takes is whole (one
// picture's samples throughout), and the numbers it sees only grow.
TEST_F(FrameExchangeTest, TwoThreadsNeverSeeATornPicture) {
    const FrameFormat format = formatOf("I420", 320, 240);
    constexpr int Pictures = 3000;
    std::atomic<bool> done{false};
    std::thread decoder([&] {
        PictureSource source(frames, format);
        for (int number = 1; number <= Pictures; ++number) {
            source.decode(number % 250 + 1);
        }
        done = true;
    });
    int taken = 0;
    quint64 last = 0;
    while (!done || taken == 0) {
        const VideoFrame frame = frames.takeNewest();
        if (frame.isNull()) {
            std::this_thread::yield();
            continue;
        }
        ++taken;
        EXPECT_GT(frame.number(), last);
        last = frame.number();
        const int number = PictureSource::numberOf(frame);
        for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
            const uchar* samples = frame.plane(plane);
            const int bytes = format.planeBytes(plane);
            ASSERT_EQ(std::count(samples, samples + bytes, uchar(number)), bytes)
                << "picture " << frame.number() << " plane " << plane;
        }
    }
    decoder.join();
    EXPECT_GT(taken, 0);
}
