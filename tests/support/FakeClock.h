#pragma once

#include "core/Clock.h"

#include <QDateTime>

namespace orvanto::test {

// A wall clock that moves only when the test moves it.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2024, 3, 4), QTime(0, 0)))
        : now(std::move(start)) {}

    QTime currentTime() const override { return now.time(); }
    QDate currentDate() const override { return now.date(); }
    QDateTime currentDateTime() const override { return now; }

    void set(QTime time) { now.setTime(time); }
    void advanceSeconds(int seconds) { now = now.addSecs(seconds); }

    QDateTime now;
};

} // namespace orvanto::test
