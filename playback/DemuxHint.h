#pragma once

#include <QByteArray>

namespace orvanto {

// What libVLC is told to try first for a stream handed to it on a connection of ours, from the
// Content-Type the server sent (parameters and case aside): an Icecast or SHOUTcast radio's MP3,
// AAC or Ogg, an MPEG-TS. libVLC opening an address itself takes the same hint from the same
// header; a stream handed over comes without one, and libVLC would otherwise probe every
// demultiplexer in turn, some of them waiting for more of a slow radio's bytes first. The hint
// ends in "any": a server that names the wrong type costs that one try, not the stream. Empty
// for any other type.
QByteArray demuxHint(QByteArrayView contentType);

} // namespace orvanto
