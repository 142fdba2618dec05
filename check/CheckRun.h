#pragma once

#include "check/AddressProbe.h"
#include "check/CheckList.h"

#include <functional>
#include <memory>
#include <vector>

namespace orvanto {

class SteadyClock;
class Ticker;

// Checks every address of a list, `jobs` at a time, each within the time limit. Addresses are
// handed out in list order as probes come free; a probe is made for each job the first time it
// is needed and used again after that, so the work in flight never grows with the list.
class CheckRun {
public:
    static constexpr int DefaultJobs = 8;
    static constexpr int MaxJobs = 64;

    struct Options {
        int jobs = DefaultJobs;
        qint64 timeoutMs = 15000;
    };

    // `list` receives the verdicts and must outlive the run. `ticker` is the run's watch on
    // time limits: on every tick, probes past their limit are given up.
    CheckRun(CheckList& list, ProbeFactory makeProbe, Ticker& ticker, const SteadyClock& clock,
             Options options);
    ~CheckRun();

    // `onVerdict` is told the station and address index of each verdict as it comes;
    // `onFinished` once every address has one.
    void start(std::function<void(size_t station, size_t address)> onVerdict,
               std::function<void()> onFinished);
    // Cancels whatever is under way; the addresses not done stay NotChecked. No callback follows.
    void stop();

    int total() const { return total_; }
    int done() const { return done_; }
    int playing() const { return playing_; }
    bool isFinished() const { return done_ == total_; }

private:
    struct Job {
        std::unique_ptr<AddressProbe> probe;
        bool busy = false;
        size_t station = 0;
        size_t address = 0;
        qint64 startedMs = 0;
    };

    void fill();
    void fillOnce();
    bool nextAddress(size_t& station, size_t& address);
    void record(Job& job, Verdict verdict);
    void onTick();

    CheckList& list_;
    ProbeFactory makeProbe_;
    Ticker& ticker_;
    const SteadyClock& clock_;
    Options options_;
    std::vector<Job> jobs_;
    size_t nextStation_ = 0;
    size_t nextAddress_ = 0;
    int total_ = 0;
    int done_ = 0;
    int playing_ = 0;
    bool running_ = false;
    bool filling_ = false;
    bool refill_ = false;
    std::function<void(size_t, size_t)> onVerdict_;
    std::function<void()> onFinished_;
};

} // namespace orvanto
