#include "check/ListCheck.h"

#include "core/Clock.h"

#include <QTimer>

namespace orvanto {

ListCheck::ListCheck(ProbeFactory makeProbe, Ticker& ticker, const SteadyClock& steady,
                     const Clock& clock, CheckRun::Options options, QObject* parent)
    : QObject(parent), makeProbe_(std::move(makeProbe)), ticker_(ticker), steady_(steady),
      clock_(clock), options_(options) {}

ListCheck::~ListCheck() {
    stop();
}

void ListCheck::start(CheckList list) {
    stop();
    list_ = std::move(list);
    run_ = std::make_unique<CheckRun>(list_, makeProbe_, ticker_, steady_, options_);
    Q_EMIT progress(0, run_->total(), 0);
    run_->start(
        [this](size_t, size_t) { Q_EMIT progress(run_->done(), run_->total(), run_->playing()); },
        [this] {
            // The run calls this from within itself: it is let go once it has returned.
            QTimer::singleShot(0, this, &ListCheck::onFinished);
        });
}

void ListCheck::stop() {
    run_.reset();
    list_ = {};
}

void ListCheck::onFinished() {
    if (!run_ || !run_->isFinished()) {
        return;
    }
    const CheckSummary summary =
        summaryOf(list_, QDateTime(clock_.currentDate(), clock_.currentTime()));
    stop();
    Q_EMIT finished(summary);
}

} // namespace orvanto
