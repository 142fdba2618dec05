#pragma once

#include "shortcuts/UrlOpener.h"

#include <QUrl>

namespace orvanto {

// The address as it goes to the handler. Blanks and control characters around the address are
// dropped, as a browser drops them from an address typed or passed on a command line; a blank
// at the end of a configured address therefore opens the page without it instead of a page
// named "%20". Everything else is taken as written, in tolerant mode.
QUrl UrlForOpening(const QString& address);

// Opens addresses through the desktop's URL handling (no shell, no command line).
class DesktopUrlOpener final : public UrlOpener {
public:
    bool open(const QString& address) override;
};

} // namespace orvanto
