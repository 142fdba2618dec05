#pragma once

#include "core/StreamAddress.h"
#include "playback/MediaTrack.h"
#include "playback/VideoFit.h"

#include <QList>
#include <QObject>
#include <QString>

namespace orvanto {

// Everything the viewer asks of its media player. Called on the GUI thread only; the
// play-state notification is emitted on the GUI thread too.
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MediaPlayer() override = default;

    // Assigning an address starts opening and playing it at once. The state moves through
    // non-playing states to Playing, or to Ready when the address cannot be opened or has ended.
    // Every request made for the address carries the HTTP headers it comes with.
    virtual void setURL(const StreamAddress& address) = 0;
    virtual QString URL() const = 0;
    // The address last assigned, with its headers.
    virtual StreamAddress address() const = 0;

    // Stops playback; the state becomes Stopped.
    virtual void stop() = 0;

    // One of the PlayState numbers.
    virtual int playState() const = 0;

    // Where the media stands and how long it is, in ms (0: not known, as for a live stream);
    // whether it can be sought in, and the seek to `ms`, false when refused.
    virtual qint64 positionMs() const = 0;
    virtual qint64 lengthMs() const = 0;
    virtual bool canSeek() const = 0;
    virtual bool seek(qint64 ms) = 0;
    // The HTTP status with which the server refused the address last assigned (404, 503, ...;
    // of the last of its playlist's entries, where it led to one); 0 when no server refused it.
    virtual int refusalStatus() const = 0;

    // The data received for the current address, in kibibytes (1,024 bytes; the name is the
    // original design's, from a player that counted packets). Shown to the user only.
    virtual qint64 receivedPackets() const = 0;

    // Every change of the volume is notified with volumeChanged().
    virtual void setVolume(int volume) = 0; // 0..100
    virtual int volume() const = 0;
    virtual void setMuted(bool muted) = 0;
    virtual bool isMuted() const = 0;

    // How the video is fitted into the player's screen; the choice holds for every address
    // played after it.
    virtual void setVideoZoom(VideoZoom zoom) = 0;
    virtual VideoZoom videoZoom() const = 0;
    virtual void setAspectRatio(AspectRatio ratio) = 0;
    virtual AspectRatio aspectRatio() const = 0;

    // Shows the video over the whole screen. Returns false when the player cannot do so, for
    // instance when it has nothing to show.
    virtual bool setFullScreen(bool on) = 0;
    virtual bool isFullScreen() const = 0;

    // What plays, beyond its state: the stream's own title of the moment (ICY StreamTitle, the
    // broadcast's event), empty when it gives none; and whether a picture shows (video decodes
    // into an output), which audio alone never does.
    virtual QString nowPlaying() const = 0;
    virtual bool showsPicture() const = 0;

    // The tracks of the media that plays, the one in use (MediaTrack::Off: none) and the choice
    // of another; MediaTrack::Off turns subtitles off.
    virtual QList<MediaTrack> tracks(TrackKind kind) const = 0;
    virtual int currentTrack(TrackKind kind) const = 0;
    virtual void chooseTrack(TrackKind kind, int id) = 0;
    // The picture heights an adaptive stream (an HLS or DASH master playlist) offers, highest
    // first; empty when there is no choice. quality() is the chosen height, 0 for the stream's
    // own choice; choosing reopens the stream.
    virtual QList<int> qualities() const = 0;
    virtual int quality() const = 0;
    virtual void chooseQuality(int height) = 0;
    // Track and quality choices hold for every address played after them, until another
    // channel is chosen: then this drops them.
    virtual void forgetChoices() = 0;

Q_SIGNALS:
    // Emitted once per change of playState(), with the new state.
    void playStateChanged(int newState);
    // Emitted when setVolume() changes the volume, with the new volume.
    void volumeChanged(int volume);
    // Emitted when nowPlaying() changes, with the new title.
    void nowPlayingChanged(const QString& title);
    // Emitted when showsPicture() changes.
    void pictureChanged(bool showing);
};

} // namespace orvanto
