// What a server's Content-Type tells libVLC to try first.

#include "playback/DemuxHint.h"

#include <gtest/gtest.h>

using namespace orvanto;

TEST(DemuxHint, RadiosAndTransportStreamsAreNamedAndEveryHintFallsBack) {
    EXPECT_EQ(demuxHint("audio/mpeg"), "es,any");
    EXPECT_EQ(demuxHint("Audio/AACP"), "es,any") << "types are not case-sensitive";
    EXPECT_EQ(demuxHint(" application/ogg ; charset=binary"), "ogg,any");
    EXPECT_EQ(demuxHint("video/MP2T"), "ts,any");
    // What the sniffing leaves to libVLC's own probing.
    EXPECT_EQ(demuxHint(""), "");
    EXPECT_EQ(demuxHint("application/octet-stream"), "");
    EXPECT_EQ(demuxHint("audio/mpegurl"), "") << "a playlist, not MP3";
    EXPECT_EQ(demuxHint("audio/mpeg\r\nX-Evil: 1"), "");
}
