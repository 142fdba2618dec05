#pragma once

#include "core/StreamAddress.h"

#include <QString>

namespace orvanto {

class FailoverPlayer;
class MediaPlayer;

// What the player's own control bar does. There is no pause: a paused live stream would look
// like a broken one and be restarted.
class Transport {
public:
    Transport(MediaPlayer& player, FailoverPlayer& failover);

    // Plays the last address again, unless the player is already busy with one.
    void play();
    // Stops the player, and any station attempt in progress with it, so that the attempt does
    // not start the next address behind the user's back.
    void stop();
    void setVolume(int volume);
    // Asks for full screen; a player with nothing to show declines, and nothing is reported.
    void fullScreen();

private:
    MediaPlayer& player_;
    FailoverPlayer& failover_;
    StreamAddress lastAddress_;
};

} // namespace orvanto
