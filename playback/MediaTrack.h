#pragma once

#include <QString>

namespace orvanto {

// The kinds of track a viewer chooses among.
enum class TrackKind { Audio, Subtitle };

// One track of the media that plays, as the engine names it ("Track 2 - [English]").
struct MediaTrack {
    static constexpr int Off = -1; // subtitles: none shown; audio: no track (yet)

    int id = Off;
    QString name;

    friend bool operator==(const MediaTrack&, const MediaTrack&) = default;
};

} // namespace orvanto
