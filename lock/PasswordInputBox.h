#pragma once

#include "lock/PasswordPrompt.h"

#include <QString>

class QWidget;

namespace orvanto {

// A modal input box with the given title and prompt, a one-line field that starts with
// `defaultText` and shows one "*" for each character typed, and OK and Cancel buttons.
// Returns the field's text on OK and an empty string on Cancel, Escape or the close box.
// The typed text is cleared from the field before the box goes away; nothing else keeps it.
QString PasswordInputBox(const QString& prompt, const QString& title, const QString& defaultText,
                         QWidget* parent = nullptr);

// The password prompt of the running program: the masked input box, modal to `parent`.
class QtPasswordPrompt final : public PasswordPrompt {
public:
    explicit QtPasswordPrompt(QWidget* parent = nullptr) : parent_(parent) {}

    QString ask(const QString& prompt, const QString& title, const QString& defaultText) override {
        return PasswordInputBox(prompt, title, defaultText, parent_);
    }

private:
    QWidget* parent_;
};

} // namespace orvanto
