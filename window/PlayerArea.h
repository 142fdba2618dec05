#pragma once

#include "window/Transport.h"

#include <QWidget>

class QHBoxLayout;
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
    // The bar's controls in Tab order.
    QList<QWidget*> focusChain() const;
    // What the control bar's buttons do.
    Transport& transport() { return transport_; }
    // The tooltip over the picture (empty: none).
    void setPictureTip(const QString& tip);

    // Opens the video's context menu at `globalPos` (a right click on the video does so), as a
    // menu of `origin`'s window (the full-screen one, in full screen: so that it shows above
    // it); of ours without one.
    void showVideoMenu(const QPoint& globalPos, QWidget* origin = nullptr);
    // Window-level actions the video's context menu offers after its own (they stay ours to
    // own; the menu only shows them).
    void setWindowActions(const QList<QAction*>& actions) { windowActions_ = actions; }
    // Puts `widget` into the control bar, between the play and stop buttons and the volume,
    // taking the room there.
    void addToBar(QWidget* widget);
    // Puts a button into the control bar, right after the play and stop buttons.
    void addButton(QWidget* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeBar(int initialVolume);
    // A double click on the video switches full screen on and off.
    void toggleFullScreen();

    MediaPlayer& player_;
    Transport transport_;
    QWidget* surface_ = nullptr;
    QToolButton* play_ = nullptr;
    QToolButton* stop_ = nullptr;
    QToolButton* fullScreen_ = nullptr;
    QSlider* volume_ = nullptr;
    QHBoxLayout* barLayout_ = nullptr;
    QList<QAction*> windowActions_;
};

} // namespace orvanto
