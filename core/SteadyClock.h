#pragma once

#include <QElapsedTimer>

namespace orvanto {

// A clock that only moves forward, for measuring how long something has lasted. Tests hand in
// one they move by hand.
class SteadyClock {
public:
    virtual ~SteadyClock() = default;
    // Milliseconds since a fixed point of this clock's own choosing.
    virtual qint64 nowMs() const = 0;
};

// The system's monotonic clock.
class SystemSteadyClock final : public SteadyClock {
public:
    SystemSteadyClock() { started_.start(); }
    qint64 nowMs() const override { return started_.elapsed(); }

private:
    QElapsedTimer started_;
};

} // namespace orvanto
