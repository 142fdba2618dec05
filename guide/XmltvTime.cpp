#include "guide/XmltvTime.h"

#include <QDate>
#include <QTime>

namespace orvanto {

namespace {

// The number made of `count` digits at `at`, or -1.
int digits(QStringView text, qsizetype at, qsizetype count) {
    if (at + count > text.size()) {
        return -1;
    }
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

std::optional<qint64> parseXmltvTime(QStringView text) {
    text = text.trimmed();
    qsizetype length = 0;
    while (length < text.size() && text[length].isDigit()) {
        ++length;
    }
    if (length != 8 && length != 10 && length != 12 && length != 14) {
        return std::nullopt;
    }
    const QDate date(digits(text, 0, 4), digits(text, 4, 2), digits(text, 6, 2));
    const int hour = length >= 10 ? digits(text, 8, 2) : 0;
    const int minute = length >= 12 ? digits(text, 10, 2) : 0;
    const int second = length >= 14 ? digits(text, 12, 2) : 0;
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    constexpr qint64 EpochJulianDay = 2440588; // 1970-01-01
    const qint64 utc =
        (date.toJulianDay() - EpochJulianDay) * 86400 + time.msecsSinceStartOfDay() / 1000;

    const QStringView zone = text.sliced(length).trimmed();
    if (zone.isEmpty() || zone == u"Z" || zone.compare(u"UTC", Qt::CaseInsensitive) == 0 ||
        zone.compare(u"GMT", Qt::CaseInsensitive) == 0) {
        return utc;
    }
    const char16_t sign = zone.front().unicode();
    if ((sign != u'+' && sign != u'-') || (zone.size() != 5 && zone.size() != 3)) {
        return std::nullopt;
    }
    const int offsetHours = digits(zone, 1, 2);
    const int offsetMinutes = zone.size() == 5 ? digits(zone, 3, 2) : 0;
    if (offsetHours < 0 || offsetHours > 14 || offsetMinutes < 0 || offsetMinutes > 59) {
        return std::nullopt;
    }
    const qint64 offset = (offsetHours * 60 + offsetMinutes) * 60;
    // 21:30 at +0100 is 20:30 UTC.
    return sign == u'+' ? utc - offset : utc + offset;
}

} // namespace orvanto
