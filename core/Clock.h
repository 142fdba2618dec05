#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace orvanto {

// The local wall clock. The alarm reads it through this interface so that tests can walk
// through a day without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    // The current local time of day.
    virtual QTime currentTime() const = 0;
    // Today's local date.
    virtual QDate currentDate() const = 0;
    // The moment itself, for what is timed by the calendar (the programme guide).
    virtual QDateTime currentDateTime() const { return QDateTime(currentDate(), currentTime()); }
};

// The system's local clock.
class SystemClock final : public Clock {
public:
    QTime currentTime() const override { return QTime::currentTime(); }
    QDate currentDate() const override { return QDate::currentDate(); }
    QDateTime currentDateTime() const override { return QDateTime::currentDateTime(); }
};

} // namespace orvanto
