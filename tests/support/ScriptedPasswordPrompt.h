#pragma once

#include "lock/PasswordPrompt.h"

#include <QString>
#include <optional>
#include <vector>

namespace orvanto::test {

// Answers the password prompt with a fixed text, or cancels (an empty answer) when none is
// set, and records every question.
class ScriptedPasswordPrompt final : public PasswordPrompt {
public:
    struct Question {
        QString prompt;
        QString title;
        QString defaultText;
    };

    // Answers at once, as a user who had typed `answer` would.
    void ask(const QString& prompt, const QString& title, const QString& defaultText,
             Answer answered) override {
        questions.push_back({prompt, title, defaultText});
        answered(answer.value_or(QString()));
    }

    std::optional<QString> answer; // nullopt: the user cancels
    std::vector<Question> questions;
};

} // namespace orvanto::test
