#pragma once

#include "core/SteadyClock.h"

namespace orvanto::test {

// A steady clock that moves only when the test moves it.
class FakeSteadyClock final : public SteadyClock {
public:
    qint64 nowMs() const override { return now; }
    void advance(qint64 ms) { now += ms; }

    qint64 now = 1000;
};

} // namespace orvanto::test
