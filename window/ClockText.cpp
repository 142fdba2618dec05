#include "window/ClockText.h"

#include <QRegularExpression>

namespace orvanto {

QString ClockText::format(const QLocale& locale) {
    const QString full = locale.timeFormat(QLocale::LongFormat);
    // Mark the zone fields (runs of unquoted 't') first, so that quoted text stays untouched.
    const QChar zone(0xE000);
    QString marked;
    bool quoted = false;
    for (qsizetype i = 0; i < full.size(); ++i) {
        const QChar c = full.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('t')) {
            while (i + 1 < full.size() && full.at(i + 1) == QLatin1Char('t')) {
                ++i;
            }
            marked += zone;
            continue;
        }
        marked += c;
    }
    // A zone goes with its brackets ("(t)", "[t]") and the separator before it (", t").
    static const QRegularExpression field(QStringLiteral("[\\s,]*[(\\[]?\\x{E000}[)\\]]?\\s*"));
    return marked.replace(field, QStringLiteral(" ")).trimmed();
}

QString ClockText::text(const QTime& time, const QLocale& locale) {
    return locale.toString(time, format(locale));
}

} // namespace orvanto
