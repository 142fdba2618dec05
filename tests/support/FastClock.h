#pragma once

#include "core/SteadyClock.h"

#include <QElapsedTimer>

namespace orvanto::test {

// A steady clock that runs `factor` times faster than real time. With tickers shortened by the
// same factor, rules that count seconds keep their proportions against real servers and libVLC.
class FastClock final : public SteadyClock {
public:
    explicit FastClock(int factor) : factor_(factor) { started_.start(); }
    qint64 nowMs() const override { return started_.elapsed() * factor_; }

private:
    int factor_;
    QElapsedTimer started_;
};

} // namespace orvanto::test
