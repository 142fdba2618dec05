#include "core/QtTicker.h"

namespace orvanto {

QtTicker::QtTicker(int intervalMs) {
    timer_.setInterval(intervalMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTick_) {
            // Copy: the callback may restart or stop this ticker.
            auto callback = onTick_;
            callback();
        }
    });
}

void QtTicker::start(std::function<void()> onTick) {
    onTick_ = std::move(onTick);
    timer_.start();
}

void QtTicker::stop() {
    timer_.stop();
    onTick_ = nullptr;
}

} // namespace orvanto
