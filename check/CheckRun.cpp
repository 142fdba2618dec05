#include "check/CheckRun.h"

#include "core/SteadyClock.h"
#include "core/Ticker.h"

#include <QtGlobal>

namespace orvanto {

CheckRun::CheckRun(CheckList& list, ProbeFactory makeProbe, Ticker& ticker,
                   const SteadyClock& clock, Options options)
    : list_(list), makeProbe_(std::move(makeProbe)), ticker_(ticker), clock_(clock),
      options_(options) {
    options_.jobs = qBound(1, options_.jobs, MaxJobs);
    total_ = list_.addressCount();
}

CheckRun::~CheckRun() {
    stop();
}

void CheckRun::start(std::function<void(size_t, size_t)> onVerdict,
                     std::function<void()> onFinished) {
    stop();
    onVerdict_ = std::move(onVerdict);
    onFinished_ = std::move(onFinished);
    jobs_.clear();
    jobs_.resize(size_t(options_.jobs)); // never resized while running: jobs stay in place
    nextStation_ = 0;
    nextAddress_ = 0;
    done_ = 0;
    playing_ = 0;
    running_ = true;
    ticker_.start([this] { onTick(); });
    fill();
}

void CheckRun::stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    ticker_.stop();
    for (Job& job : jobs_) {
        if (job.busy && job.probe) {
            job.probe->cancel();
        }
        job.busy = false;
    }
}

bool CheckRun::nextAddress(size_t& station, size_t& address) {
    while (nextStation_ < list_.stations.size()) {
        if (nextAddress_ < list_.stations[nextStation_].addresses.size()) {
            station = nextStation_;
            address = nextAddress_++;
            return true;
        }
        ++nextStation_;
        nextAddress_ = 0;
    }
    return false;
}

// Hands out addresses to the free jobs. Not re-entered: a verdict that comes while jobs are
// being handed out is followed by another round.
void CheckRun::fill() {
    if (filling_) {
        refill_ = true;
        return;
    }
    filling_ = true;
    do {
        refill_ = false;
        fillOnce();
    } while (refill_ && running_);
    filling_ = false;
    if (running_ && done_ == total_) {
        running_ = false;
        ticker_.stop();
        if (onFinished_) {
            onFinished_();
        }
    }
}

void CheckRun::fillOnce() {
    for (size_t i = 0; running_ && i < jobs_.size(); ++i) {
        Job& job = jobs_[i];
        if (job.busy) {
            continue;
        }
        size_t station = 0;
        size_t address = 0;
        if (!nextAddress(station, address)) {
            break;
        }
        if (!job.probe) {
            job.probe = makeProbe_();
        }
        job.busy = true;
        job.station = station;
        job.address = address;
        job.startedMs = clock_.nowMs();
        job.probe->start(list_.stations[station].addresses[address].streamAddress(),
                         [this, i](const Verdict& verdict) {
                             if (running_ && jobs_[i].busy) {
                                 record(jobs_[i], verdict);
                             }
                         });
    }
}

void CheckRun::record(Job& job, Verdict verdict) {
    job.busy = false;
    verdict.elapsedMs = clock_.nowMs() - job.startedMs;
    list_.stations[job.station].addresses[job.address].verdict = std::move(verdict);
    ++done_;
    if (list_.stations[job.station].addresses[job.address].verdict.plays()) {
        ++playing_;
    }
    if (onVerdict_) {
        onVerdict_(job.station, job.address);
    }
    fill();
}

void CheckRun::onTick() {
    const qint64 now = clock_.nowMs();
    for (Job& job : jobs_) {
        if (running_ && job.busy && now - job.startedMs >= options_.timeoutMs) {
            Verdict verdict = job.probe->timedOut();
            job.probe->cancel();
            record(job, verdict);
        }
    }
}

} // namespace orvanto
