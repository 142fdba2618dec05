#pragma once

#include "check/AddressProbe.h"
#include "check/CheckList.h"
#include "check/CheckRun.h"
#include "check/CheckSummary.h"

#include <QObject>
#include <memory>

namespace orvanto {

class Clock;
class SteadyClock;
class Ticker;

// A check of the list on show, run in the background of the window: the same check as the
// command line's, reporting its progress as it goes and its summary at the end. It has engines
// of its own, so the station that plays goes on undisturbed.
class ListCheck : public QObject {
    Q_OBJECT
public:
    // All must outlive the check. `ticker` watches the time limits; `clock` dates the result.
    ListCheck(ProbeFactory makeProbe, Ticker& ticker, const SteadyClock& steady, const Clock& clock,
              CheckRun::Options options, QObject* parent = nullptr);
    ~ListCheck() override;

    // Checks `list`; a check under way is dropped first.
    void start(CheckList list);
    // Drops the check under way, if any; nothing more is reported of it.
    void stop();
    bool isRunning() const { return run_ != nullptr; }

Q_SIGNALS:
    // Addresses done of `total`, and how many of them play.
    void progress(int done, int total, int playing);
    void finished(const orvanto::CheckSummary& summary);

private:
    void onFinished();

    ProbeFactory makeProbe_;
    Ticker& ticker_;
    const SteadyClock& steady_;
    const Clock& clock_;
    CheckRun::Options options_;
    CheckList list_;
    std::unique_ptr<CheckRun> run_;
};

} // namespace orvanto
