#pragma once

#include "core/Ticker.h"

#include <QTimer>

namespace orvanto {

// Ticker on a QTimer of the GUI thread.
class QtTicker final : public Ticker {
public:
    explicit QtTicker(int intervalMs = 1000);
    void start(std::function<void()> onTick) override;
    void stop() override;
    bool isRunning() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> onTick_;
};

} // namespace orvanto
