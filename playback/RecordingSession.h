#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace orvanto {

struct ScheduledRecording;

// A scheduled recording under way: a channel played by a player of its own and recorded. It
// ends with stop() or by itself (the channel broke off for good, the disk is full), and then
// reports once, on a later turn, through the `ended` its factory was handed.
class RecordingSession {
public:
    virtual ~RecordingSession() = default;
    virtual void stop() = 0;
};

class RecordingSessionFactory {
public:
    struct Ended {
        QString path; // empty when no file was made
        qint64 bytes = 0;
        QString reason; // why it stopped or failed; empty when it ended as asked
    };
    struct Start {
        std::unique_ptr<RecordingSession> session; // null: not started, `refusal` says why
        QString refusal;
        // The channel may yet come (its list is still being read): ask again on the next tick.
        bool retry = false;
    };

    virtual ~RecordingSessionFactory() = default;
    virtual Start start(const ScheduledRecording& entry,
                        std::function<void(const Ended&)> ended) = 0;
};

} // namespace orvanto
