#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <functional>
#include <utility>

namespace orvanto {

// Runs a piece of work once, right after a widget has painted for the first time: what the
// window does not need for its first appearance waits until the user sees it.
class AfterFirstPaint final : public QObject {
public:
    AfterFirstPaint(QObject* widget, std::function<void()> work)
        : QObject(widget), work_(std::move(work)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && work_) {
            watched->removeEventFilter(this);
            // Queued: the painted frame reaches the screen first.
            QTimer::singleShot(0, this, [this] { std::exchange(work_, nullptr)(); });
        }
        return false;
    }

private:
    std::function<void()> work_;
};

} // namespace orvanto
