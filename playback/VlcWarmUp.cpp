#include "playback/VlcWarmUp.h"

#include <QMetaObject>
#include <vlc/vlc.h>

namespace orvanto {

namespace {

int noiseOpen(void*, void** data, uint64_t* size) {
    *data = new quint32(0);
    *size = 0;
    return 0;
}

ssize_t noiseRead(void* data, unsigned char* buffer, size_t length) {
    auto* produced = static_cast<quint32*>(data);
    size_t n = 0;
    for (; n < length && *produced < 4096; ++n, ++*produced) {
        buffer[n] = static_cast<unsigned char>((*produced * 2654435761u) >> 24);
    }
    return static_cast<ssize_t>(n);
}

void noiseClose(void* data) {
    delete static_cast<quint32*>(data);
}

} // namespace

VlcWarmUp::VlcWarmUp(libvlc_instance_t* vlc, QObject* parent) : QObject(parent) {
    player_ = libvlc_media_player_new(vlc);
    media_ = libvlc_media_new_callbacks(vlc, &noiseOpen, &noiseRead, nullptr, &noiseClose, nullptr);
    if (!player_ || !media_) {
        finish();
        return;
    }
    libvlc_media_add_option(media_, ":no-audio"); // never a sound, whatever it finds
    libvlc_media_add_option(media_, ":no-video");
    libvlc_event_manager_t* events = libvlc_media_player_event_manager(player_);
    libvlc_event_attach(events, libvlc_MediaPlayerEndReached, &onDone, this);
    libvlc_event_attach(events, libvlc_MediaPlayerEncounteredError, &onDone, this);
    libvlc_media_player_set_media(player_, media_);
    libvlc_media_player_play(player_);
}

VlcWarmUp::~VlcWarmUp() {
    finish();
}

// On a libVLC thread: posts, nothing else. A post that arrives after the destruction is dropped
// by Qt, and none starts after finish() has detached.
void VlcWarmUp::onDone(const libvlc_event_t*, void* data) {
    auto* self = static_cast<VlcWarmUp*>(data);
    QMetaObject::invokeMethod(
        self, [self] { self->finish(); }, Qt::QueuedConnection);
}

void VlcWarmUp::finish() {
    if (player_) {
        libvlc_event_manager_t* events = libvlc_media_player_event_manager(player_);
        libvlc_event_detach(events, libvlc_MediaPlayerEndReached, &onDone, this);
        libvlc_event_detach(events, libvlc_MediaPlayerEncounteredError, &onDone, this);
        libvlc_media_player_stop(player_);
        libvlc_media_player_release(player_);
        player_ = nullptr;
    }
    if (media_) {
        libvlc_media_release(media_);
        media_ = nullptr;
    }
}

} // namespace orvanto
