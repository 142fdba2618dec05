#pragma once

#include "window/Transport.h"

#include <QWidget>

class QSlider;
class QToolButton;

namespace orvanto {

class FailoverPlayer;
class MediaPlayer;

// The media player's rectangle: a strip on top for the labels that lie over the player, the
// video surface, and the player's control bar at the bottom.
class PlayerArea : public QWidget {
    Q_OBJECT
public:
    static constexpr int LabelStripHeight = 17; // pixels: the 255-twip labels over the player

    // `videoSurface` is where the player draws; without one the area shows black.
    PlayerArea(MediaPlayer& player, FailoverPlayer& failover, QWidget* videoSurface,
               QWidget* parent = nullptr);

    QWidget* videoSurface() const { return surface_; }
    QToolButton* playButton() const { return play_; }
    QToolButton* stopButton() const { return stop_; }
    QToolButton* fullScreenButton() const { return fullScreen_; }
    QSlider* volumeSlider() const { return volume_; }

    // Mutes by moving the volume to 0, or brings back the volume from before.
    void toggleMute();
    // The volume to keep: the one from before muting while muted.
    int unmutedVolume() const;

private:
    QWidget* makeBar(int initialVolume);

    Transport transport_;
    QWidget* surface_ = nullptr;
    QToolButton* play_ = nullptr;
    QToolButton* stop_ = nullptr;
    QToolButton* fullScreen_ = nullptr;
    QSlider* volume_ = nullptr;
    int mutedVolume_ = 0; // the volume before muting, or 0 when not muted
};

} // namespace orvanto
