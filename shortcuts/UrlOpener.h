#pragma once

#include <QString>

namespace orvanto {

// Hands an address to the user's default handler for its scheme (the web browser for http,
// the mail program for mailto) and returns at once. Returns false when no handler could be
// started.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool open(const QString& address) = 0;
};

} // namespace orvanto
