#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

namespace orvanto::test {

// The process's time zone set to `zone` (TZ) while this lives, and back after: for what must
// not depend on the machine's zone.
class TimeZoneOfProcess {
public:
    explicit TimeZoneOfProcess(const char* zone) {
        const char* before = std::getenv("TZ");
        had_ = before != nullptr;
        before_ = had_ ? before : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneOfProcess() {
        if (had_) {
            setenv("TZ", before_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    TimeZoneOfProcess(const TimeZoneOfProcess&) = delete;
    TimeZoneOfProcess& operator=(const TimeZoneOfProcess&) = delete;

private:
    bool had_ = false;
    std::string before_;
};

} // namespace orvanto::test
