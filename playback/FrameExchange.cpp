#include "playback/FrameExchange.h"

#include <cstdlib>
#include <mutex>
#include <vector>

namespace orvanto {

namespace {

enum class State : quint8 {
    Free,
    Filling, // locked by the decoder
    Filled,  // decoded, not (yet) due
    Due,     // the newest picture due, not taken yet
    Shown,   // taken by the viewer
};

struct FreeMemory {
    void operator()(uchar* memory) const { std::free(memory); }
};

} // namespace

struct FrameExchange::Pool {
    struct Buffer {
        std::array<uchar*, FrameFormat::Planes> planes{};
        State state = State::Free;
        quint64 locked = 0; // when it was locked last: the oldest abandoned one goes first
    };

    FrameFormat format;
    std::unique_ptr<uchar, FreeMemory> memory;
    std::vector<Buffer> buffers; // the last one is the spare, never shown
    quint64 locks = 0;

    static std::shared_ptr<Pool> make(const FrameFormat& format) {
        constexpr int count = DecoderBuffers + 3;
        const size_t bytes = size_t(format.bufferBytes());
        auto pool = std::make_shared<Pool>();
        pool->format = format;
        pool->memory.reset(
            static_cast<uchar*>(std::aligned_alloc(FrameFormat::Alignment, bytes * count)));
        if (!pool->memory) {
            return nullptr;
        }
        pool->buffers.resize(count);
        uchar* next = pool->memory.get();
        for (Buffer& buffer : pool->buffers) {
            for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
                buffer.planes[plane] = next;
                next += format.planeBytes(plane);
            }
        }
        return pool;
    }

    int spare() const { return int(buffers.size()) - 1; }

    Buffer* at(void* picture) {
        const qintptr index = reinterpret_cast<qintptr>(picture) - 1;
        return index >= 0 && index < spare() ? &buffers[size_t(index)] : nullptr;
    }
};

struct FrameExchange::Core {
    mutable std::mutex mutex;
    std::shared_ptr<Pool> pool; // null while no video is on
    int due = -1;               // the buffer due, not taken yet
    bool notified = false;      // a changed() is on its way
    quint64 pictures = 0;
    quint64 generation = 0;
    Shape shape;
    quint64 shapeGeneration = 0;
};

struct VideoFrame::Hold {
    std::shared_ptr<FrameExchange::Core> core;
    std::shared_ptr<FrameExchange::Pool> pool;
    int index = 0;
    quint64 number = 0;

    ~Hold() {
        const std::lock_guard lock(core->mutex);
        auto& buffer = pool->buffers[size_t(index)];
        if (buffer.state == State::Shown) {
            buffer.state = State::Free;
        }
    }
};

const FrameFormat& VideoFrame::format() const {
    return hold_->pool->format;
}

const uchar* VideoFrame::plane(int index) const {
    return hold_->pool->buffers[size_t(hold_->index)].planes[size_t(index)];
}

quint64 VideoFrame::number() const {
    return hold_ ? hold_->number : 0;
}

FrameExchange::FrameExchange(QObject* parent) : QObject(parent), core_(std::make_shared<Core>()) {}

FrameExchange::~FrameExchange() = default;

bool FrameExchange::configure(const FrameFormat& format) {
    std::shared_ptr<Pool> pool = Pool::make(format); // allocated outside the lock
    std::shared_ptr<Pool> old;
    {
        const std::lock_guard lock(core_->mutex);
        old = std::move(core_->pool); // freed outside the lock, unless a frame still holds it
        core_->pool = pool;
        core_->due = -1;
        ++core_->generation;
    }
    return pool != nullptr;
}

void FrameExchange::unconfigure() {
    std::shared_ptr<Pool> old;
    {
        const std::lock_guard lock(core_->mutex);
        old = std::move(core_->pool);
        core_->due = -1;
    }
    notify();
}

void* FrameExchange::lock(std::array<uchar*, FrameFormat::Planes>& planes) {
    const std::lock_guard lock(core_->mutex);
    Pool* pool = core_->pool.get();
    if (!pool) {
        planes = {};
        return nullptr;
    }
    // A free buffer; else the oldest the decoder filled and dropped; else the one due but not
    // taken (the picture decoded now replaces it); else the spare, whose picture is dropped.
    int chosen = -1;
    for (int i = 0; i < pool->spare() && chosen < 0; ++i) {
        chosen = pool->buffers[size_t(i)].state == State::Free ? i : -1;
    }
    for (int i = 0; i < pool->spare() && chosen < 0; ++i) {
        if (pool->buffers[size_t(i)].state == State::Filled) {
            chosen = i;
        }
    }
    if (chosen < 0 && core_->due >= 0) {
        chosen = std::exchange(core_->due, -1);
    }
    if (chosen < 0) {
        chosen = pool->spare();
    } else {
        pool->buffers[size_t(chosen)].state = State::Filling;
        pool->buffers[size_t(chosen)].locked = ++pool->locks;
    }
    planes = pool->buffers[size_t(chosen)].planes;
    return reinterpret_cast<void*>(qintptr(chosen) + 1);
}

void FrameExchange::unlock(void* picture) {
    const std::lock_guard lock(core_->mutex);
    if (Pool* pool = core_->pool.get()) {
        if (Pool::Buffer* buffer = pool->at(picture); buffer && buffer->state == State::Filling) {
            buffer->state = State::Filled;
        }
    }
}

void FrameExchange::display(void* picture) {
    {
        const std::lock_guard lock(core_->mutex);
        Pool* pool = core_->pool.get();
        Pool::Buffer* buffer = pool ? pool->at(picture) : nullptr;
        if (!buffer || (buffer->state != State::Filling && buffer->state != State::Filled)) {
            return;
        }
        if (core_->due >= 0) {
            pool->buffers[size_t(core_->due)].state = State::Free; // never taken: superseded
        }
        buffer->state = State::Due;
        core_->due = int(buffer - pool->buffers.data());
        ++core_->pictures;
    }
    notify();
}

void FrameExchange::notify() {
    {
        const std::lock_guard lock(core_->mutex);
        if (std::exchange(core_->notified, true)) {
            return;
        }
    }
    Q_EMIT changed();
}

VideoFrame FrameExchange::takeNewest() {
    VideoFrame frame;
    const std::lock_guard lock(core_->mutex);
    core_->notified = false;
    if (core_->due < 0) {
        return frame;
    }
    auto hold = std::make_shared<VideoFrame::Hold>();
    hold->core = core_;
    hold->pool = core_->pool;
    hold->index = std::exchange(core_->due, -1);
    hold->number = core_->pictures;
    hold->pool->buffers[size_t(hold->index)].state = State::Shown;
    frame.hold_ = std::move(hold);
    return frame;
}

bool FrameExchange::isActive() const {
    const std::lock_guard lock(core_->mutex);
    return core_->pool != nullptr;
}

quint64 FrameExchange::generation() const {
    const std::lock_guard lock(core_->mutex);
    return core_->generation;
}

void FrameExchange::setShape(quint64 generation, const Shape& shape) {
    {
        const std::lock_guard lock(core_->mutex);
        core_->shape = shape;
        core_->shapeGeneration = generation;
    }
    notify();
}

FrameExchange::Shape FrameExchange::shape() const {
    const std::lock_guard lock(core_->mutex);
    return core_->shapeGeneration == core_->generation ? core_->shape : Shape{};
}

} // namespace orvanto
