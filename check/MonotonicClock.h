#pragma once

#include <QElapsedTimer>

namespace orvanto {

// Milliseconds since some fixed point; never goes back. Tests hand in a clock they move.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual qint64 nowMs() const = 0;
};

class SteadyClock final : public MonotonicClock {
public:
    SteadyClock() { timer_.start(); }
    qint64 nowMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};

} // namespace orvanto
