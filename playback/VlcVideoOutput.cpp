#include "playback/VlcVideoOutput.h"

#include <cstring>
#include <vlc/vlc.h>

namespace orvanto {

namespace {

FrameExchange* exchange(void* opaque) {
    return static_cast<FrameExchange*>(opaque);
}

// The decoder offers its own chroma and the size of its buffers. Planar 8-bit YUV is taken as
// it comes; anything else is asked for as 4:2:0, which libVLC then converts to.
unsigned setup(void** opaque, char* chroma, unsigned* width, unsigned* height, unsigned* pitches,
               unsigned* lines) {
    const std::optional<FrameFormat> format =
        FrameFormat::negotiate(QByteArray(chroma, 4), int(*width), int(*height));
    if (!format || !exchange(*opaque)->configure(*format)) {
        return 0; // no picture for this video
    }
    std::memcpy(chroma, format->fourcc.constData(), 4);
    for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
        pitches[plane] = unsigned(format->pitches[size_t(plane)]);
        lines[plane] = unsigned(format->lines[size_t(plane)]);
    }
    return FrameExchange::DecoderBuffers;
}

void cleanup(void* opaque) {
    exchange(opaque)->unconfigure();
}

void* lock(void* opaque, void** planes) {
    std::array<uchar*, FrameFormat::Planes> buffers{};
    void* picture = exchange(opaque)->lock(buffers);
    for (int plane = 0; plane < FrameFormat::Planes; ++plane) {
        planes[plane] = buffers[size_t(plane)];
    }
    return picture;
}

void unlock(void* opaque, void* picture, void* const*) {
    exchange(opaque)->unlock(picture);
}

void display(void* opaque, void* picture) {
    exchange(opaque)->display(picture);
}

} // namespace

void sendPicturesTo(libvlc_media_player_t* player, FrameExchange* frames) {
    libvlc_video_set_callbacks(player, &lock, &unlock, &display, frames);
    libvlc_video_set_format_callbacks(player, &setup, &cleanup);
}

FrameExchange::Shape pictureShape(libvlc_media_player_t* player, libvlc_media_t* media) {
    FrameExchange::Shape shape;
    unsigned width = 0;
    unsigned height = 0;
    if (!player || !media || libvlc_video_get_size(player, 0, &width, &height) != 0 || width == 0 ||
        height == 0) {
        return shape;
    }
    shape.visible = QSize(int(width), int(height));
    // The samples' shape, from the video track of that size.
    libvlc_media_track_t** tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(media, &tracks);
    for (unsigned i = 0; i < count; ++i) {
        const libvlc_media_track_t* track = tracks[i];
        if (track->i_type == libvlc_track_video && track->video && track->video->i_sar_num > 0 &&
            track->video->i_sar_den > 0 && track->video->i_width == width &&
            track->video->i_height == height) {
            shape.sampleAspect = QSize(int(track->video->i_sar_num), int(track->video->i_sar_den));
            break;
        }
    }
    if (count > 0) {
        libvlc_media_tracks_release(tracks, count);
    }
    return shape;
}

} // namespace orvanto
