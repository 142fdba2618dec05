#pragma once

#include "core/Ticker.h"

namespace orvanto::test {

// A ticker that ticks only when the test says so.
class ManualTicker final : public Ticker {
public:
    void start(std::function<void()> onTick) override {
        onTick_ = std::move(onTick);
        ++starts;
    }
    void stop() override { onTick_ = nullptr; }
    bool isRunning() const override { return static_cast<bool>(onTick_); }

    // Delivers one tick; returns false when the ticker was not running.
    bool tick() {
        if (!onTick_) {
            return false;
        }
        auto callback = onTick_;
        callback();
        return true;
    }

    // Ticks until the ticker stops or `max` ticks were delivered; returns the count delivered.
    int tickUntilStopped(int max = 10000) {
        int n = 0;
        while (n < max && tick()) {
            ++n;
        }
        return n;
    }

    int starts = 0;

private:
    std::function<void()> onTick_;
};

} // namespace orvanto::test
