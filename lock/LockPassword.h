#pragma once

#include <QString>

namespace orvanto {

// The parental-lock password. Set once, never shown and never stored anywhere else.
inline const QString& LockPassword() {
    static const QString password = QStringLiteral("88");
    return password;
}

} // namespace orvanto
