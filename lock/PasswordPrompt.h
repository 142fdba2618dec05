#pragma once

#include <QString>
#include <functional>

namespace orvanto {

// Asks the user for a password without waiting for the answer: `answered` gets the text entered
// when the user confirms, and an empty string when the user cancels or closes the prompt.
class PasswordPrompt {
public:
    using Answer = std::function<void(const QString& text)>;

    virtual ~PasswordPrompt() = default;
    virtual void ask(const QString& prompt, const QString& title, const QString& defaultText,
                     Answer answered) = 0;
};

} // namespace orvanto
