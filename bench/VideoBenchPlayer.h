// The viewer's side of video_bench: the viewer's own player and video widget in a window as large
// as the viewer's, answering "stats" and "quit" on standard input as vlc's rc interface does.
#pragma once

#include "playback/VideoView.h"

#include <QRect>
#include <QString>

namespace orvanto::bench {

// The viewer's window and its player, in pixels: the player's picture room is 329 wide.
constexpr int WindowWidth = 533;
constexpr int WindowHeight = 574;
constexpr QRect PictureRoom(0, 17, 329, 304);

// Plays `url` until "quit" or the end of standard input; the application must exist.
int runPlayer(const QString& url, bool fullScreen, VideoDrawing drawing);

} // namespace orvanto::bench
