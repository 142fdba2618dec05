#pragma once

#include <QString>

namespace orvanto {

// Modal messages to the user. Tests hand in a sink that records them.
class MessageSink {
public:
    enum class Icon { None, Exclamation };

    virtual ~MessageSink() = default;
    // Shows a message with one OK button and returns when the user has closed it.
    virtual void showMessage(const QString& title, const QString& text, Icon icon) = 0;
};

} // namespace orvanto
