#pragma once

#include <QVariant>
#include <functional>

namespace orvanto {

// One service of the desktop that holds the screensaver (and the screen's blanking) off.
class InhibitService {
public:
    virtual ~InhibitService() = default;

    // Asks for a hold; `answer` is called once, later, with what releases it (a cookie, a
    // handle), or with an invalid QVariant when the service refuses or is not there.
    virtual void inhibit(std::function<void(const QVariant& hold)> answer) = 0;
    // Lets the hold go, without waiting.
    virtual void release(const QVariant& hold) = 0;
    // Lets the hold go and waits (briefly) until the service has it: for the program's end.
    virtual void releaseNow(const QVariant& hold) = 0;
};

} // namespace orvanto
