#pragma once

#include "playback/FrameExchange.h"

struct libvlc_media_player_t;
struct libvlc_media_t;

namespace orvanto {

// The video side of libVLC: its decoded pictures, planar YUV as the decoder makes them, go to
// a frame exchange through libVLC's video callbacks (they run on libVLC's video thread and call
// nothing but the exchange).

// From the next media on, the pictures of `player` go to `frames`, which outlives the media.
void sendPicturesTo(libvlc_media_player_t* player, FrameExchange* frames);

// What libVLC knows now of the shape of the pictures on show: their visible size and the shape
// of their samples; invalid when it knows nothing yet. On the GUI thread only.
FrameExchange::Shape pictureShape(libvlc_media_player_t* player, libvlc_media_t* media);

} // namespace orvanto
