#include "shortcuts/ShortcutTable.h"

namespace orvanto {

QString EmailLabelText() {
    static const QLatin1String mailto("mailto:");
    for (const Shortcut& entry : Shortcuts) {
        if (entry.control == EmailLabelControl) {
            QString address = entry.address;
            if (address.startsWith(mailto)) {
                address.remove(0, mailto.size());
            }
            return QStringLiteral("Klick edo Gia Email: ") + address;
        }
    }
    return QStringLiteral("Klick edo Gia Email: ");
}

} // namespace orvanto
