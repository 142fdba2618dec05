#pragma once

#include "core/SteadyClock.h"

#include <atomic>

namespace orvanto::test {

// A steady clock that moves only when the test moves it; read from other threads too (a
// paused stream's keeping).
class FakeSteadyClock final : public SteadyClock {
public:
    qint64 nowMs() const override { return now.load(); }
    void advance(qint64 ms) { now += ms; }

    std::atomic<qint64> now{1000};
};

} // namespace orvanto::test
