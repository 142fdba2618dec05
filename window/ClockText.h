#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

namespace orvanto {

// The clock's text: the time of day in the locale's long time format, without the time-zone
// name that format may carry.
class ClockText {
public:
    // The locale's long time format with its time-zone field (and the blank that separates
    // it) removed; quoted literal text is kept as it is.
    static QString format(const QLocale& locale);
    static QString text(const QTime& time, const QLocale& locale = QLocale());
};

} // namespace orvanto
