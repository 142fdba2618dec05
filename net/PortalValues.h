#pragma once

#include <QJsonValue>
#include <QString>

namespace orvanto {

// Portals send numbers as strings and strings as numbers, and null for what is empty: values
// are read as what they mean, whichever way they come.

// A string, or a whole number written out; empty for null, booleans, arrays and objects.
QString jsonText(const QJsonValue& value);
// A whole number, or a string that holds one; `fallback` for anything else.
qint64 jsonInt(const QJsonValue& value, qint64 fallback);

} // namespace orvanto
