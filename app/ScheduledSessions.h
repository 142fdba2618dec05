#pragma once

#include "playback/RecordingSession.h"

#include <QString>
#include <functional>

namespace orvanto {

struct Station;

// The sessions of scheduled recordings: each plays its channel on a player of its own with no
// picture or sound (QuietChannel), from a copy of the channel as the list on show holds it, so
// that the window may show another channel or another list meanwhile, and records it into the
// recordings folder.
class ScheduledSessions final : public RecordingSessionFactory {
public:
    // The channel `channel` of the list `list`, while that list is on show; null otherwise.
    using Finder = std::function<const Station*(const QString& list, const QString& channel)>;

    // `folder`: where recordings go (empty: ~/Videos/Orvanto or ~/Music/Orvanto).
    ScheduledSessions(Finder find, QString folder);

    void setFolder(const QString& folder) { folder_ = folder; }

    // A channel whose list is not on show is asked for again on the next tick: the list may be
    // being read still, or opened in time by the user.
    Start start(const ScheduledRecording& entry, std::function<void(const Ended&)> ended) override;

private:
    Finder find_;
    QString folder_;
};

} // namespace orvanto
