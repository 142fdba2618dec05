#include "lock/ParentalLock.h"

#include "core/MessageSink.h"
#include "lock/LockPassword.h"
#include "lock/PasswordPrompt.h"
#include "playback/FailoverPlayer.h"

namespace orvanto {

ParentalLock::ParentalLock(PasswordPrompt& prompt, MessageSink& messages,
                           SelectStationFn selectStation)
    : prompt_(prompt), messages_(messages), selectStation_(std::move(selectStation)) {}

ParentalLock::ParentalLock(PasswordPrompt& prompt, MessageSink& messages, FailoverPlayer& player)
    : ParentalLock(prompt, messages, [&player](const QString& name, int startSlot) {
          player.SelectStation(name, startSlot);
      }) {}

const QString& ParentalLock::PromptText() {
    static const QString text = QStringLiteral("Parakalo Doste edo to Passwort ");
    return text;
}

const QString& ParentalLock::PromptTitle() {
    static const QString text = QStringLiteral("Prosoxi: Mono pano apo 18!");
    return text;
}

const QString& ParentalLock::WrongPasswordText() {
    static const QString text = QStringLiteral("Lathos Passwort ");
    return text;
}

const QString& ParentalLock::WrongPasswordTitle() {
    return MessageSink::ErrorTitle();
}

void ParentalLock::OpenAdultStation(const QString& name) {
    if (!name.toLower().contains(QLatin1String("adult"))) {
        selectStation_(name, 0);
        return;
    }
    prompt_.ask(PromptText(), PromptTitle(), QString(), [this, name](const QString& answer) {
        // Exact comparison: nothing trimmed, case-sensitive. Cancel gives "", which never
        // matches.
        if (answer != LockPassword()) {
            messages_.showMessage(WrongPasswordTitle(), WrongPasswordText(),
                                  MessageSink::Icon::None);
            return;
        }
        selectStation_(name, 0);
    });
}

} // namespace orvanto
