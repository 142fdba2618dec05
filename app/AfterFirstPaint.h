#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <functional>
#include <utility>

namespace orvanto {

// Runs a piece of work once, right after a widget has painted for the first time: what the
// window does not need for its first appearance waits until the user sees it. A window that is
// not painted (started minimised, say) gets the work after `latestMs` all the same.
class AfterFirstPaint final : public QObject {
public:
    AfterFirstPaint(QObject* widget, std::function<void()> work, int latestMs = 2000)
        : QObject(widget), work_(std::move(work)) {
        widget->installEventFilter(this);
        QTimer::singleShot(latestMs, this, [this] { run(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && work_) {
            watched->removeEventFilter(this);
            // Queued: the painted frame reaches the screen first.
            QTimer::singleShot(0, this, [this] { run(); });
        }
        return false;
    }

private:
    void run() {
        if (work_) {
            std::exchange(work_, nullptr)();
        }
    }

    std::function<void()> work_;
};

} // namespace orvanto
