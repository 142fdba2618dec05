#pragma once

#include "playback/MediaTrack.h"

#include <QList>
#include <optional>

namespace orvanto {

// The user's choices of audio track, subtitles and quality for the channel that plays. They
// hold across the channel's addresses and restarts, whose tracks are new each time: a chosen
// track is found again by its name, else by its place in the list.
class TrackChoices {
public:
    // Remembers track `id` of `tracks` (MediaTrack::Off: subtitles off) as the choice of `kind`;
    // an id not in the list is ignored.
    void choose(TrackKind kind, const QList<MediaTrack>& tracks, int id);
    // The track of `tracks` that the choice of `kind` stands for; nothing when no choice is held
    // or none of `tracks` matches it (yet).
    std::optional<int> pick(TrackKind kind, const QList<MediaTrack>& tracks) const;

    // The chosen picture height of an adaptive stream; 0: the stream's own choice.
    void setMaxHeight(int height) { maxHeight_ = height > 0 ? height : 0; }
    int maxHeight() const { return maxHeight_; }

    bool isEmpty() const { return !audio_ && !subtitles_ && maxHeight_ == 0; }
    void clear() { *this = TrackChoices(); }

private:
    struct Held {
        bool off = false; // subtitles off
        QString name;
        qsizetype position = 0;
    };
    std::optional<Held>& held(TrackKind kind) {
        return kind == TrackKind::Audio ? audio_ : subtitles_;
    }
    const std::optional<Held>& held(TrackKind kind) const {
        return kind == TrackKind::Audio ? audio_ : subtitles_;
    }

    std::optional<Held> audio_;
    std::optional<Held> subtitles_;
    int maxHeight_ = 0;
};

} // namespace orvanto
