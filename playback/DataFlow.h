#pragma once

#include "playback/ByteCounter.h"
#include "playback/PlayerEngine.h"

#include <QtGlobal>

namespace orvanto {

// Whether media keeps coming, judged from every counter the engine keeps: bytes read from the
// source, bytes the demultiplexer passed on, audio blocks and video frames decoded. An adaptive
// stream (HLS, DASH) fetches its segments past the source's count, which then stands still
// while the stream plays; so a stream is flowing when any one counter moves.
class DataFlow {
public:
    // A new media, whose counters start at 0; what was received so far is kept.
    void restart() {
        read_.restart();
        demuxed_.restart();
        audio_ = 0;
        video_ = 0;
    }
    // A new address: nothing received yet.
    void clear() {
        restart();
        read_.clear();
        demuxed_.clear();
        received_ = 0;
    }

    // Takes a reading of the engine's counters; returns true when any of them moved.
    bool update(const PlayerEngine::Stats& stats) {
        const quint32 read = read_.update(stats.readBytes);
        const quint32 demuxed = demuxed_.update(stats.demuxBytes);
        const bool decoded = stats.decodedAudio != audio_ || stats.decodedVideo != video_;
        audio_ = stats.decodedAudio;
        video_ = stats.decodedVideo;
        // The source's bytes where it counts them; what came out of the demultiplexer where the
        // source's count stands still.
        received_ += qMax(read, demuxed);
        return read != 0 || demuxed != 0 || decoded;
    }

    // Bytes received since clear(), over every media.
    quint64 receivedBytes() const { return received_; }

private:
    ByteCounter read_;
    ByteCounter demuxed_;
    int audio_ = 0;
    int video_ = 0;
    quint64 received_ = 0;
};

} // namespace orvanto
