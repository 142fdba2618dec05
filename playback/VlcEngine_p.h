// The libVLC objects behind VlcEngine and the callbacks libVLC calls on its own threads: shared by
// the engine's source files (its copies of streams too), included by nothing else.
#pragma once

#include "net/StreamConnection.h"
#include "playback/FrameExchange.h"
#include "playback/VlcEngine.h"
#include "playback/VlcWarmUp.h"

#include <QMetaObject>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vlc/vlc.h>

namespace orvanto {

// libVLC's HTTP access, and its HLS and DASH modules for their playlists and segments, send the
// User-Agent and the Referer of these options; it has none for an Origin or a cookie.
inline void addHeaderOptions(libvlc_media_t* media, const HttpHeaders& headers) {
    using Header = HttpHeaders::Header;
    const QByteArray agent = headers.value(Header::UserAgent);
    if (!agent.isEmpty()) {
        libvlc_media_add_option(media, (":http-user-agent=" + agent).constData());
    }
    const QByteArray referer = headers.value(Header::Referer);
    if (!referer.isEmpty()) {
        libvlc_media_add_option(media, (":http-referrer=" + referer).constData());
    }
}

struct VlcEngine::Private {
    VlcEngine* owner = nullptr;
    libvlc_instance_t* vlc = nullptr;
    libvlc_media_player_t* player = nullptr;
    libvlc_media_t* media = nullptr;
    // The connection the current media is read from, if any; it outlives libVLC's reads.
    std::shared_ptr<StreamConnection> connection;
    // Where the pictures go: kept as long as libVLC may call into it (until after the stop
    // that follows a change, or the destruction).
    std::shared_ptr<FrameExchange> frames;
    std::shared_ptr<FrameExchange> framesInUse;
    // Read by libVLC's threads when they report; changed on the GUI thread before each new
    // media and each stop, which makes every report still under way stale.
    std::atomic<quint64> generation{0};

    // Runs on a libVLC thread, or on the GUI thread inside set_media/stop: post, nothing else.
    // Never calls libVLC and takes no lock.
    static void onEvent(const libvlc_event_t* e, void* data) {
        auto* d = static_cast<Private*>(data);
        Event event = Event::Error;
        qint64 value = 0;
        switch (e->type) {
        case libvlc_MediaPlayerOpening:
            event = Event::Opening;
            break;
        case libvlc_MediaPlayerBuffering:
            event = Event::Buffering;
            value = static_cast<qint64>(e->u.media_player_buffering.new_cache);
            break;
        case libvlc_MediaPlayerPlaying:
            event = Event::Playing;
            break;
        case libvlc_MediaPlayerPaused:
            event = Event::Paused;
            break;
        case libvlc_MediaPlayerEndReached:
            event = Event::Ended;
            break;
        case libvlc_MediaPlayerEncounteredError:
            event = Event::Error;
            break;
        case libvlc_MediaPlayerTimeChanged:
            event = Event::TimeChanged;
            value = e->u.media_player_time_changed.new_time;
            break;
        case libvlc_MediaPlayerVout:
            event = Event::Vout;
            value = e->u.media_player_vout.new_count;
            break;
        default:
            return;
        }
        const quint64 generation = d->generation.load();
        VlcEngine* owner = d->owner;
        // The owner outlives every report: its destructor detaches the callbacks first, and a
        // posted call whose context object is gone is discarded by Qt.
        QMetaObject::invokeMethod(
            owner, [owner, generation, event, value] { owner->deliver(generation, event, value); },
            Qt::QueuedConnection);
    }

    // libVLC's audio output says "input '<codec>' <rate> Hz ..." (at debug level) when the
    // first decoded block of a media reaches it, a good while before the counters show it
    // (libVLC updates them four times a second). Runs on libVLC's threads: posts, nothing else.
    static void onLog(void* data, int level, const libvlc_log_t* context, const char* format,
                      va_list args) {
        if (level != LIBVLC_DEBUG) {
            return;
        }
        const char* type = nullptr;
        const char* header = nullptr;
        uintptr_t id = 0;
        libvlc_log_get_object(context, &type, &header, &id);
        if (!type || std::strcmp(type, "audio output") != 0) {
            return;
        }
        char text[16];
        va_list copy;
        va_copy(copy, args);
        std::vsnprintf(text, sizeof text, format, copy);
        va_end(copy);
        if (std::strncmp(text, "input '", 7) != 0) {
            return;
        }
        auto* d = static_cast<Private*>(data);
        const quint64 generation = d->generation.load();
        VlcEngine* owner = d->owner;
        QMetaObject::invokeMethod(
            owner, [owner, generation] { owner->deliver(generation, Event::Decoded, 1); },
            Qt::QueuedConnection);
    }

    // Loads libVLC's demultiplexers at start (see VlcWarmUp).
    std::unique_ptr<VlcWarmUp> warmUp;

    // The stream's title and its tracks. Reports come from libVLC's threads like onEvent's and
    // are only posted; the GUI thread then reads the media itself.
    QString nowPlaying;
    int maxHeight = 0;

    static void onDetailEvent(const libvlc_event_t* e, void* data) {
        auto* d = static_cast<Private*>(data);
        const bool meta = e->type == libvlc_MediaMetaChanged;
        if (meta && e->u.media_meta_changed.meta_type != libvlc_meta_NowPlaying) {
            return;
        }
        const quint64 generation = d->generation.load();
        VlcEngine* owner = d->owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, generation, meta] {
                if (generation != owner->d_->generation.load()) {
                    return;
                }
                if (meta) {
                    owner->readNowPlaying();
                } else {
                    Q_EMIT owner->tracksChanged();
                }
            },
            Qt::QueuedConnection);
    }

    void watchMedia() {
        libvlc_event_attach(libvlc_media_event_manager(media), libvlc_MediaMetaChanged,
                            &onDetailEvent, this);
    }
    void unwatchMedia() {
        libvlc_event_detach(libvlc_media_event_manager(media), libvlc_MediaMetaChanged,
                            &onDetailEvent, this);
    }

    // An adaptive stream (HLS, DASH) takes the best variant up to the chosen height, and keeps
    // it; libVLC 3 offers no change of variant while the stream plays.
    void addQualityOptions() {
        if (maxHeight > 0) {
            libvlc_media_add_option(media, ":adaptive-logic=highest");
            libvlc_media_add_option(
                media,
                QByteArray(":adaptive-maxheight=" + QByteArray::number(maxHeight)).constData());
        }
    }

    void releaseMedia() {
        if (media) {
            unwatchMedia();
            libvlc_media_release(media);
            media = nullptr;
        }
    }
};

} // namespace orvanto
