#pragma once

#include "playback/FrameFormat.h"

#include <QObject>
#include <QSize>
#include <array>
#include <memory>

namespace orvanto {

// A decoded picture handed over for showing. Its planes stay as they are while any copy of the
// frame lives; the decoder writes into other buffers meanwhile.
class VideoFrame {
public:
    VideoFrame() = default;

    bool isNull() const { return !hold_; }
    const FrameFormat& format() const;
    const uchar* plane(int index) const;
    // Counts the pictures handed over by the exchange, from 1.
    quint64 number() const;
    // One sample of `plane` (0: Y, 1: U, 2: V) at column `x`, row `y` of that plane.
    int sample(int plane, int x, int y) const {
        return this->plane(plane)[y * format().pitches[plane] + x];
    }

private:
    friend class FrameExchange;
    struct Hold;
    std::shared_ptr<const Hold> hold_;
};

// Where the decoder's pictures meet the screen. The decoder (libVLC's video thread) asks for a
// format, then decodes into buffers it locks here, one picture after another, and says which
// one is due on the screen now; the viewer (on the GUI thread) takes the newest due picture
// whenever changed() tells it one came. A small pool of buffers keeps the two apart: neither
// side ever waits for the other, and the lock inside guards only the hand-over of a buffer (a
// few assignments), never a copy, an allocation or a call into libVLC.
class FrameExchange : public QObject {
    Q_OBJECT
public:
    // How many pictures the decoder may hold at once; two more are kept for the viewer (the
    // one due next and the one on show), and one spare.
    static constexpr int DecoderBuffers = 2;

    explicit FrameExchange(QObject* parent = nullptr);
    ~FrameExchange() override;

    // The decoder's side, from any one thread at a time.
    // Pictures of `format` follow (replacing any earlier format); false when refused.
    bool configure(const FrameFormat& format);
    // No more pictures until the next configure(): the video ended.
    void unconfigure();
    // A buffer to decode the next picture into: its planes, and the picture's id for unlock()
    // and display(); null before configure().
    void* lock(std::array<uchar*, FrameFormat::Planes>& planes);
    // The picture is decoded (it may be shown later, or dropped).
    void unlock(void* picture);
    // The picture is due on the screen now.
    void display(void* picture);

    // The viewer's side, on the GUI thread.
    // The newest picture due since the last call; a null frame when none came. Call it on each
    // changed(): until then no other changed() is sent.
    VideoFrame takeNewest();
    // Between configure() and unconfigure(): a video is on.
    bool isActive() const;
    // Counts configure(): the pictures of one format are one generation.
    quint64 generation() const;

    // What the engine found out about the current generation's pictures: the size of their
    // visible part and the shape of their samples (the decoder's buffers may be larger, and
    // their samples need not be square). Notified with changed().
    struct Shape {
        QSize visible;
        QSize sampleAspect;
        bool isValid() const { return !visible.isEmpty(); }
    };
    void setShape(quint64 generation, const Shape& shape);
    // The current generation's shape; invalid while nobody found it.
    Shape shape() const;

Q_SIGNALS:
    // A picture came, or the video ended. Emitted from the decoder's thread: connect queued. At
    // most one is on its way at a time: take what came with takeNewest() each time.
    void changed();

private:
    friend class VideoFrame;
    struct Pool;
    struct Core;
    void notify();

    std::shared_ptr<Core> core_;
};

} // namespace orvanto
