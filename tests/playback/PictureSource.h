#pragma once

// Pictures handed to a frame exchange as libVLC's video thread hands them: a format first, then
// buffers locked, written, unlocked and said to be due. Each picture's samples are its number, so
// that a test can tell which picture it is looking at.

#include "playback/FrameExchange.h"

#include <cstring>

namespace orvanto::test {

class PictureSource {
public:
    PictureSource(FrameExchange& frames, const FrameFormat& format) : frames_(frames) {
        frames_.configure(format);
        format_ = format;
    }

    struct Locked {
        void* id = nullptr;
        std::array<uchar*, FrameFormat::Planes> planes{};
    };

    // Locks a buffer and writes picture `number` into it (every sample of every plane).
    Locked lockAndWrite(int number) {
        Locked locked;
        locked.id = frames_.lock(locked.planes);
        for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
            if (locked.planes[size_t(plane)]) {
                std::memset(locked.planes[size_t(plane)], number & 0xFF,
                            size_t(format_.planeBytes(plane)));
            }
        }
        return locked;
    }
    void unlockAndShow(const Locked& locked) {
        frames_.unlock(locked.id);
        frames_.display(locked.id);
    }
    // One picture from start to end.
    void decode(int number) { unlockAndShow(lockAndWrite(number)); }

    // Which picture a frame holds: its first sample.
    static int numberOf(const VideoFrame& frame) { return frame.isNull() ? -1 : frame.plane(0)[0]; }

private:
    FrameExchange& frames_;
    FrameFormat format_;
};

// A format as libVLC's decoder would offer it.
inline FrameFormat formatOf(const char* fourcc, int width, int height) {
    return *FrameFormat::negotiate(QByteArray(fourcc), width, height);
}

} // namespace orvanto::test
