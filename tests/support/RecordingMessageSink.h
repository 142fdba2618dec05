#pragma once

#include "core/MessageSink.h"

#include <QString>
#include <functional>
#include <vector>

namespace orvanto::test {

// Records every message instead of showing it.
class RecordingMessageSink final : public MessageSink {
public:
    struct Message {
        QString title;
        QString text;
        Icon icon;
    };

    void showMessage(const QString& title, const QString& text, Icon icon) override {
        messages.push_back({title, text, icon});
        if (onMessage) {
            onMessage(messages.back());
        }
    }

    std::vector<Message> messages;
    std::function<void(const Message&)> onMessage;
};

} // namespace orvanto::test
