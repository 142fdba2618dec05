#pragma once

#include <QString>

namespace orvanto {

// Asks the user for a password. Returns the text entered when the user confirms, and an empty
// string when the user cancels or closes the prompt.
class PasswordPrompt {
public:
    virtual ~PasswordPrompt() = default;
    virtual QString ask(const QString& prompt, const QString& title,
                        const QString& defaultText) = 0;
};

} // namespace orvanto
