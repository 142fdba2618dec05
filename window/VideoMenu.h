#pragma once

#include <QMenu>

namespace orvanto {

class MediaPlayer;
class Transport;

// The player screen's context menu, as desktop players offer it: zoom, aspect ratio, full
// screen, play, stop and mute. It shows the player's current choices checked and hands the
// user's choice to the player. Opened with popup(); it deletes itself once closed.
class VideoMenu : public QMenu {
    Q_OBJECT
public:
    VideoMenu(MediaPlayer& player, Transport& transport, QWidget* parent = nullptr);
};

} // namespace orvanto
