#include "net/PortalValues.h"

#include <cmath>

namespace orvanto {

QString jsonText(const QJsonValue& value) {
    if (value.isString()) {
        return value.toString();
    }
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 1e15) {
            return QString::number(qint64(number));
        }
        return QString::number(number);
    }
    return {};
}

qint64 jsonInt(const QJsonValue& value, qint64 fallback) {
    if (value.isDouble()) {
        const double number = value.toDouble();
        return std::isfinite(number) && std::fabs(number) < 1e15 ? qint64(number) : fallback;
    }
    if (value.isString()) {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        return ok ? number : fallback;
    }
    if (value.isBool()) {
        return value.toBool() ? 1 : 0;
    }
    return fallback;
}

} // namespace orvanto
