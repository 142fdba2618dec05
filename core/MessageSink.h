#pragma once

#include <QString>

namespace orvanto {

// Messages to the user, modal to the window. Tests hand in a sink that records them.
class MessageSink {
public:
    enum class Icon { None, Exclamation };

    // The title of every error box: the catalogue's and the player's, the lock's, the lists'.
    static const QString& ErrorTitle() {
        static const QString title = QStringLiteral("Lathos");
        return title;
    }

    virtual ~MessageSink() = default;
    // Shows a message with one OK button. Returns at once, without waiting for the user: the
    // caller may be a tick or a notification, which must not run again inside it.
    virtual void showMessage(const QString& title, const QString& text, Icon icon) = 0;
};

} // namespace orvanto
