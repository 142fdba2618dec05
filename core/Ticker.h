#pragma once

#include <functional>

namespace orvanto {

// A repeating one-second tick. Tests hand in a ticker they advance by hand.
class Ticker {
public:
    virtual ~Ticker() = default;
    // Calls `onTick` once per tick until stop(); a second start() replaces the first.
    virtual void start(std::function<void()> onTick) = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
};

} // namespace orvanto
