#pragma once

#include "check/Verdict.h"
#include "core/StreamAddress.h"

#include <QString>
#include <functional>
#include <memory>

namespace orvanto {

// Finds out whether one address plays. One address at a time; a probe is used again for the
// next address once it has answered or been cancelled.
class AddressProbe {
public:
    using Done = std::function<void(const Verdict&)>;

    virtual ~AddressProbe() = default;
    // Starts checking `address` (every request for it carrying its headers); `done` is called
    // once, later (never from within start()), unless cancel() comes first. The time limit is
    // the caller's: the probe may wait forever.
    virtual void start(const StreamAddress& address, Done done) = 0;
    // Stops at once; `done` is not called.
    virtual void cancel() = 0;
    // What to say of the address under way when its time is up (before cancel()).
    virtual Verdict timedOut() const {
        Verdict verdict;
        verdict.kind = Verdict::Kind::TimedOut;
        return verdict;
    }
};

using ProbeFactory = std::function<std::unique_ptr<AddressProbe>()>;

} // namespace orvanto
