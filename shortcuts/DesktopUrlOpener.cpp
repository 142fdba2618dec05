#include "shortcuts/DesktopUrlOpener.h"

#include <QDesktopServices>

namespace orvanto {

namespace {
// What a browser strips from both ends of an address: C0 controls and the blank.
bool isStrippable(QChar c) {
    return c.unicode() <= 0x20;
}
} // namespace

QUrl UrlForOpening(const QString& address) {
    qsizetype begin = 0;
    qsizetype end = address.size();
    while (begin < end && isStrippable(address.at(begin))) {
        ++begin;
    }
    while (end > begin && isStrippable(address.at(end - 1))) {
        --end;
    }
    return QUrl(address.sliced(begin, end - begin), QUrl::TolerantMode);
}

bool DesktopUrlOpener::open(const QString& address) {
    const QUrl url = UrlForOpening(address);
    if (!url.isValid() || url.scheme().isEmpty()) {
        return false;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace orvanto
