#pragma once

#include "lock/PasswordPrompt.h"

#include <QPointer>
#include <QString>

class QDialog;
class QWidget;

namespace orvanto {

// Opens a window-modal input box with the given title and prompt, a one-line field that starts
// with `defaultText` and shows one "*" for each character typed, and OK and Cancel buttons, and
// returns at once. Once the box closes, `answered` gets the field's text on OK and an empty
// string on Cancel, Escape or the close box. The typed text is cleared from the field before
// the box goes away; nothing else keeps it. The box deletes itself.
QDialog* openPasswordInputBox(const QString& prompt, const QString& title,
                              const QString& defaultText, QWidget* parent,
                              PasswordPrompt::Answer answered);

// The password prompt of the running program: the masked input box, modal to `parent`. A new
// question closes a box still open, which answers as cancelled.
class QtPasswordPrompt final : public PasswordPrompt {
public:
    explicit QtPasswordPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    ~QtPasswordPrompt() override;
    // The window the box is modal to, for the questions after this.
    void setWindow(QWidget* window) { parent_ = window; }

    void ask(const QString& prompt, const QString& title, const QString& defaultText,
             Answer answered) override;

private:
    QWidget* parent_;
    QPointer<QDialog> open_;
};

} // namespace orvanto
