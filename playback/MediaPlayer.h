#pragma once

#include "playback/VideoFit.h"

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
    virtual void setURL(const QString& url) = 0;
    virtual QString URL() const = 0;

    // Stops playback; the state becomes Stopped.
    virtual void stop() = 0;

    // One of the PlayState numbers.
    virtual int playState() const = 0;

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

Q_SIGNALS:
    // Emitted once per change of playState(), with the new state.
    void playStateChanged(int newState);
    // Emitted when setVolume() changes the volume, with the new volume.
    void volumeChanged(int volume);
};

} // namespace orvanto
