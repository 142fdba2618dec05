#pragma once

#include <QString>
#include <QStringList>

namespace orvanto {

// What the desktop's media controls show of the viewer (an MPRIS player's properties), as
// plain values.
struct MprisState {
    // What plays: a channel (with the stream's title or the guide's programme as its title, when
    // there is one) or nothing.
    struct Track {
        QString id;             // an object path, the same while one channel plays
        QString title;          // what plays now; the channel's name when nothing better is known
        QString channel;        // the channel's name; empty when no channel plays
        QString artUrl;         // the channel's logo, when its list names one
        qint64 lengthUs = 0;    // an archive's programme: its length (0: a live stream has none)
        bool recording = false; // what plays is being recorded

        friend bool operator==(const Track&, const Track&) = default;
    };

    QString playbackStatus = QStringLiteral("Stopped"); // "Playing", "Paused" or "Stopped"
    double volume = 0.5;                                // 0.0 .. 1.0
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false; // an archive that can be sought in plays
    bool fullscreen = false;
    Track track;

    friend bool operator==(const MprisState&, const MprisState&) = default;

    static QString noTrackId() {
        return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    }
};

// The names of the properties that differ between `before` and `after`: those of the
// org.mpris.MediaPlayer2.Player interface (Metadata for the track), and those of
// org.mpris.MediaPlayer2 (Fullscreen).
struct MprisChanges {
    QStringList player;
    QStringList root;

    bool isEmpty() const { return player.isEmpty() && root.isEmpty(); }
};
MprisChanges changedProperties(const MprisState& before, const MprisState& after);

} // namespace orvanto
