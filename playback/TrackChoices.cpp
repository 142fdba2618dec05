#include "playback/TrackChoices.h"

namespace orvanto {

void TrackChoices::choose(TrackKind kind, const QList<MediaTrack>& tracks, int id) {
    if (id == MediaTrack::Off) {
        if (kind == TrackKind::Subtitle) {
            subtitles_ = Held{.off = true, .name = {}, .position = 0};
        }
        return;
    }
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        if (tracks[i].id == id) {
            held(kind) = Held{.off = false, .name = tracks[i].name, .position = i};
            return;
        }
    }
}

std::optional<int> TrackChoices::pick(TrackKind kind, const QList<MediaTrack>& tracks) const {
    const std::optional<Held>& choice = held(kind);
    if (!choice) {
        return std::nullopt;
    }
    if (choice->off) {
        return MediaTrack::Off;
    }
    for (const MediaTrack& track : tracks) {
        if (track.name == choice->name) {
            return track.id;
        }
    }
    if (choice->position < tracks.size()) {
        return tracks[choice->position].id;
    }
    return std::nullopt;
}

} // namespace orvanto
