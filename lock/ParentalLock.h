#pragma once

#include <QString>
#include <functional>

namespace orvanto {

class FailoverPlayer;
class MessageSink;
class PasswordPrompt;

// The gate in front of the adult stations: a station whose name contains "adult" (in any
// letter case) is handed to the player only after the right password has been entered. The
// gate remembers nothing: every call asks again.
class ParentalLock {
public:
    // Plays a catalogue station by name from a start slot.
    using SelectStationFn = std::function<void(const QString& name, int startSlot)>;

    ParentalLock(PasswordPrompt& prompt, MessageSink& messages, SelectStationFn selectStation);
    ParentalLock(PasswordPrompt& prompt, MessageSink& messages, FailoverPlayer& player);

    void OpenAdultStation(const QString& name);

    static const QString& PromptText();
    static const QString& PromptTitle();
    static const QString& WrongPasswordText();
    static const QString& WrongPasswordTitle();

private:
    PasswordPrompt& prompt_;
    MessageSink& messages_;
    SelectStationFn selectStation_;
};

} // namespace orvanto
