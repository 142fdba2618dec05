#pragma once

#include "playback/PlayerEngine.h"
#include "playback/StreamCopy.h"

#include <memory>

struct libvlc_instance_t;

namespace orvanto {

// A copy of `source` remuxed into MPEG-TS and written to `descriptor` (a file opened for
// writing, which the copy takes and closes), by a libVLC player of its own on `vlc`. Null when
// libVLC cannot start it.
std::unique_ptr<StreamCopy> copyStream(libvlc_instance_t* vlc, const MediaSource& source,
                                       int descriptor);

} // namespace orvanto
