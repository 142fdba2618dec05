#include "playback/VlcEngine.h"

#include "net/StreamConnection.h"
#include "playback/FrameExchange.h"
#include "playback/VlcVideoOutput.h"

#include <QByteArrayList>
#include <QDirIterator>
#include <QFileInfo>
#include <QMetaObject>
#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <vector>
#include <vlc/vlc.h>

namespace orvanto {

namespace {
constexpr std::array kEvents{
    libvlc_MediaPlayerOpening,     libvlc_MediaPlayerBuffering,  libvlc_MediaPlayerPlaying,
    libvlc_MediaPlayerPaused,      libvlc_MediaPlayerEndReached, libvlc_MediaPlayerEncounteredError,
    libvlc_MediaPlayerTimeChanged, libvlc_MediaPlayerVout,
};
// What the now-playing title and the track lists follow.
constexpr std::array kTrackEvents{
    libvlc_MediaPlayerESAdded,
    libvlc_MediaPlayerESDeleted,
    libvlc_MediaPlayerESSelected,
};

// Whether libVLC has the plugin `file`: it looks for plugins in $VLC_PLUGIN_PATH and in
// vlc/plugins beside its own library.
bool hasPlugin(const QString& file) {
    QStringList folders = qEnvironmentVariable("VLC_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts);
    Dl_info library{};
    if (dladdr(reinterpret_cast<void*>(&libvlc_new), &library) && library.dli_fname) {
        folders << QFileInfo(QString::fromLocal8Bit(library.dli_fname)).absolutePath() +
                       QLatin1String("/vlc/plugins");
    }
    for (const QString& folder : folders) {
        QDirIterator found(folder, {file}, QDir::Files, QDirIterator::Subdirectories);
        if (found.hasNext()) {
            return true;
        }
    }
    return false;
}

// libVLC's HTTP access, and its HLS and DASH modules for their playlists and segments, send the
// User-Agent and the Referer of these options; it has none for an Origin or a cookie.
void addHeaderOptions(libvlc_media_t* media, const HttpHeaders& headers) {
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

// A media read from an open connection: libVLC calls these on its input thread.
int connectionOpen(void* opaque, void** data, uint64_t* size) {
    auto* connection = static_cast<StreamConnection*>(opaque);
    *data = connection;
    *size = connection->size() >= 0 ? uint64_t(connection->size()) : UINT64_MAX;
    return 0;
}
ssize_t connectionRead(void* data, unsigned char* buffer, size_t length) {
    return ssize_t(static_cast<StreamConnection*>(data)->read(reinterpret_cast<char*>(buffer),
                                                              qint64(length)));
}
int connectionSeek(void* data, uint64_t offset) {
    return static_cast<StreamConnection*>(data)->seek(qint64(offset)) ? 0 : -1;
}
void connectionClose(void*) {} // the engine owns the connection

} // namespace

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

    // libVLC loads its demultiplexer plugins on first use, inside the input thread, where a
    // stop cannot interrupt it: the first stop() of a stream stuck in probing took 45-100 ms.
    // So a second player probes a few bytes of noise at start, on libVLC's threads, and is
    // released when done; later stops take about 2 ms.
    libvlc_media_player_t* warmUp = nullptr;
    libvlc_media_t* warmUpMedia = nullptr;

    static int noiseOpen(void*, void** data, uint64_t* size) {
        *data = new quint32(0);
        *size = 0;
        return 0;
    }
    static ssize_t noiseRead(void* data, unsigned char* buffer, size_t length) {
        auto* produced = static_cast<quint32*>(data);
        size_t n = 0;
        for (; n < length && *produced < 4096; ++n, ++*produced) {
            buffer[n] = static_cast<unsigned char>((*produced * 2654435761u) >> 24);
        }
        return static_cast<ssize_t>(n);
    }
    static void noiseClose(void* data) { delete static_cast<quint32*>(data); }

    static void onWarmUpDone(const libvlc_event_t*, void* data) {
        VlcEngine* owner = static_cast<Private*>(data)->owner;
        QMetaObject::invokeMethod(
            owner, [owner] { owner->d_->endWarmUp(); }, Qt::QueuedConnection);
    }

    void startWarmUp() {
        warmUp = libvlc_media_player_new(vlc);
        warmUpMedia =
            libvlc_media_new_callbacks(vlc, &noiseOpen, &noiseRead, nullptr, &noiseClose, nullptr);
        if (!warmUp || !warmUpMedia) {
            endWarmUp();
            return;
        }
        libvlc_media_add_option(warmUpMedia, ":no-audio"); // never a sound, whatever it finds
        libvlc_media_add_option(warmUpMedia, ":no-video");
        libvlc_event_manager_t* events = libvlc_media_player_event_manager(warmUp);
        libvlc_event_attach(events, libvlc_MediaPlayerEndReached, &onWarmUpDone, this);
        libvlc_event_attach(events, libvlc_MediaPlayerEncounteredError, &onWarmUpDone, this);
        libvlc_media_player_set_media(warmUp, warmUpMedia);
        libvlc_media_player_play(warmUp);
    }

    void endWarmUp() {
        if (warmUp) {
            libvlc_event_manager_t* events = libvlc_media_player_event_manager(warmUp);
            libvlc_event_detach(events, libvlc_MediaPlayerEndReached, &onWarmUpDone, this);
            libvlc_event_detach(events, libvlc_MediaPlayerEncounteredError, &onWarmUpDone, this);
            libvlc_media_player_stop(warmUp);
            libvlc_media_player_release(warmUp);
            warmUp = nullptr;
        }
        if (warmUpMedia) {
            libvlc_media_release(warmUpMedia);
            warmUpMedia = nullptr;
        }
    }

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

VlcEngine::VlcEngine(Options options, QObject* parent)
    : PlayerEngine(parent), d_(std::make_unique<Private>()) {
    d_->owner = this;
    decodePoll_.setInterval(DecodePollMs);
    connect(&decodePoll_, &QTimer::timeout, this, &VlcEngine::pollDecoding);
    QByteArrayList args{
        "--quiet",               // no log output
        "--no-video-title-show", // no file name painted over the video
        "--no-snapshot-preview", //
        "--no-osd",              //
        "--no-xlib",             // the GUI owns Xlib; libVLC uses xcb
    };
    if (options.dummyOutputs) {
        args << "--aout=dummy";
    }
    // Pictures go to our frame sink only (its callbacks choose libVLC's memory output); libVLC
    // never opens a window of its own.
    args << "--vout=dummy";
    std::vector<const char*> argv;
    for (const QByteArray& arg : args) {
        argv.push_back(arg.constData());
    }
    d_->vlc = libvlc_new(static_cast<int>(argv.size()), argv.data());
    if (!d_->vlc) {
        return;
    }
    libvlc_log_set(d_->vlc, &Private::onLog, d_.get());
    // The program's name for the sound server and the like. The HTTP User-Agent stays
    // libVLC's own ("VLC/x LibVLC/x"), which HttpRequest::defaultUserAgent() says too.
    libvlc_set_user_agent(d_->vlc, "Orvanto Live TV", nullptr);
    d_->player = libvlc_media_player_new(d_->vlc);
    if (!d_->player) {
        return;
    }
    // Keys and mouse go to the Qt widget around the video, not to libVLC's own handling.
    libvlc_video_set_key_input(d_->player, 0);
    libvlc_video_set_mouse_input(d_->player, 0);
    libvlc_event_manager_t* events = libvlc_media_player_event_manager(d_->player);
    for (libvlc_event_type_t type : kEvents) {
        libvlc_event_attach(events, type, &Private::onEvent, d_.get());
    }
    for (libvlc_event_type_t type : kTrackEvents) {
        libvlc_event_attach(events, type, &Private::onDetailEvent, d_.get());
    }
    d_->startWarmUp();
}

VlcEngine::~VlcEngine() {
    d_->endWarmUp();
    if (d_->player) {
        // After detaching no callback runs or starts (libVLC calls them under the lock that
        // detaching takes).
        libvlc_event_manager_t* events = libvlc_media_player_event_manager(d_->player);
        for (libvlc_event_type_t type : kEvents) {
            libvlc_event_detach(events, type, &Private::onEvent, d_.get());
        }
        for (libvlc_event_type_t type : kTrackEvents) {
            libvlc_event_detach(events, type, &Private::onDetailEvent, d_.get());
        }
        ++d_->generation;
        if (d_->connection) {
            d_->connection->interrupt();
        }
        libvlc_media_player_stop(d_->player);
        libvlc_media_player_release(d_->player);
    }
    d_->releaseMedia();
    d_->connection.reset();
    if (d_->vlc) {
        libvlc_log_unset(d_->vlc); // no log message calls back after this
        libvlc_release(d_->vlc);
    }
}

bool VlcEngine::isValid() const {
    return d_->player != nullptr;
}

void VlcEngine::play(const MediaSource& source) {
    stop();
    if (!d_->player) {
        reportError();
        return;
    }
    const QByteArray utf8 = source.location.toUtf8();
    if (source.connection) {
        d_->connection = source.connection;
        // A radio's titles, read out of the stream on libVLC's input thread.
        const quint64 generation = d_->generation.load();
        auto titled = [this, generation] {
            QMetaObject::invokeMethod(
                this,
                [this, generation] {
                    if (generation == d_->generation.load()) {
                        readNowPlaying();
                    }
                },
                Qt::QueuedConnection);
        };
        d_->connection->setTitleListener(titled);
        if (!d_->connection->title().isEmpty()) {
            titled(); // the title that came with the look at the stream
        }
        // With a seek function libVLC reads the connection as it reads an HTTP stream, paced
        // by its playback; without one it takes it for a live capture and reads it in bursts
        // of 32 KiB, seconds apart for a radio.
        d_->media =
            libvlc_media_new_callbacks(d_->vlc, &connectionOpen, &connectionRead, &connectionSeek,
                                       &connectionClose, d_->connection.get());
    } else if (source.isLocalPath) {
        d_->media = libvlc_media_new_path(d_->vlc, utf8.constData());
    } else {
        d_->media = libvlc_media_new_location(d_->vlc, utf8.constData());
    }
    if (!d_->media) {
        reportError();
        return;
    }
    if (d_->frames != d_->framesInUse) {
        d_->framesInUse = d_->frames; // nothing plays now: the old sink is let go
        if (d_->framesInUse) {
            sendPicturesTo(d_->player, d_->framesInUse.get());
        }
    }
    d_->watchMedia();
    d_->addQualityOptions();
    addHeaderOptions(d_->media, source.headers);
    libvlc_media_player_set_media(d_->player, d_->media);
    libvlc_media_player_play(d_->player);
    decodePoll_.start();
}

void VlcEngine::reportError() {
    const quint64 generation = d_->generation.load();
    QMetaObject::invokeMethod(
        this, [this, generation] { deliver(generation, Event::Error, 0); }, Qt::QueuedConnection);
}

void VlcEngine::setFrameSink(std::shared_ptr<FrameExchange> frames) {
    if (d_->frames) {
        d_->frames->disconnect(this);
    }
    d_->frames = std::move(frames);
    if (d_->frames) {
        // The shape of the pictures is asked for on the GUI thread, once a picture came.
        connect(d_->frames.get(), &FrameExchange::changed, this, [this] {
            FrameExchange* sink = d_->framesInUse.get();
            if (sink && sink->isActive() && !sink->shape().isValid()) {
                const quint64 generation = sink->generation();
                if (const auto shape = pictureShape(d_->player, d_->media); shape.isValid()) {
                    sink->setShape(generation, shape);
                }
            }
        });
    }
}

void VlcEngine::stop() {
    ++d_->generation; // reports of the media that ends here, also those sent inside stop()
    decodePoll_.stop();
    opened_ = false;
    decoded_ = Decoding::NotYet;
    if (d_->connection) {
        d_->connection->interrupt(); // libVLC waits for its read to return
    }
    if (d_->player) {
        // Interrupts any blocking read (measured: about 1 ms also while a server accepted the
        // connection and never answers).
        libvlc_media_player_stop(d_->player);
    }
    d_->releaseMedia();
    d_->nowPlaying.clear();
    d_->connection.reset(); // libVLC is done with it: the input thread has ended
}

bool VlcEngine::opens(const QUrl& url) const {
    // libVLC opens RTSP with the live555 plugin, which Debian's packages leave out; its other
    // RTSP modules speak only to SAT>IP and RealMedia servers.
    if (url.scheme().compare(QLatin1String("rtsp"), Qt::CaseInsensitive) == 0) {
        static const bool live555 = hasPlugin(QStringLiteral("liblive555_plugin.so"));
        return live555;
    }
    return true;
}

void VlcEngine::deliver(quint64 generation, Event event, qint64 value) {
    if (generation != d_->generation.load()) {
        return;
    }
    if (event == Event::Decoded) {
        reportDecoded(value);
        return;
    }
    Q_EMIT engineEvent(event, value);
    if (event == Event::Playing) {
        opened_ = true;
        if (decoded_ == Decoding::Waiting) {
            reportDecoded(1); // it decoded before libVLC said the media was open
        }
    }
}

// Decoded, once per media and never before Playing.
void VlcEngine::reportDecoded(qint64 blocks) {
    if (decoded_ == Decoding::Reported) {
        return;
    }
    if (!opened_) {
        decoded_ = Decoding::Waiting;
        return;
    }
    decoded_ = Decoding::Reported;
    decodePoll_.stop();
    Q_EMIT engineEvent(Event::Decoded, blocks);
}

// Video, and audio the log line missed: the counters, read often until they move.
void VlcEngine::pollDecoding() {
    const Stats counters = stats();
    if (counters.decodedAudio > 0 || counters.decodedVideo > 0) {
        reportDecoded(counters.decodedAudio + counters.decodedVideo);
    }
}

VlcEngine::Stats VlcEngine::stats() const {
    Stats stats;
    libvlc_media_stats_t raw{};
    if (d_->media && libvlc_media_get_stats(d_->media, &raw)) {
        stats.readBytes = static_cast<quint32>(raw.i_read_bytes);
        stats.demuxBytes = static_cast<quint32>(raw.i_demux_read_bytes);
        stats.decodedAudio = raw.i_decoded_audio;
        stats.decodedVideo = raw.i_decoded_video;
        stats.shownPictures = raw.i_displayed_pictures;
        stats.lostPictures = raw.i_lost_pictures;
    }
    return stats;
}

VlcEngine::Position VlcEngine::position() const {
    Position position;
    if (d_->player && d_->media) {
        position.timeMs = qMax<qint64>(0, libvlc_media_player_get_time(d_->player));
        position.lengthMs = qMax<qint64>(0, libvlc_media_player_get_length(d_->player));
    }
    return position;
}

VlcEngine::Tracks VlcEngine::tracks() const {
    Tracks result;
    if (!d_->media) {
        return result;
    }
    libvlc_media_track_t** tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(d_->media, &tracks);
    for (unsigned i = 0; i < count; ++i) {
        const libvlc_media_track_t* track = tracks[i];
        if (track->i_type != libvlc_track_audio && track->i_type != libvlc_track_video) {
            continue;
        }
        const char* description = libvlc_media_get_codec_description(track->i_type, track->i_codec);
        result.codecs << (description && *description
                              ? QString::fromUtf8(description)
                              : QString::fromLatin1(reinterpret_cast<const char*>(&track->i_codec),
                                                    4)
                                    .trimmed());
        if (track->i_type == libvlc_track_video && !result.videoSize.isValid() && track->video &&
            track->video->i_width > 0) {
            result.videoSize = QSize(int(track->video->i_width), int(track->video->i_height));
        }
    }
    if (count > 0) {
        libvlc_media_tracks_release(tracks, count);
    }
    return result;
}

QList<QUrl> VlcEngine::subItems() const {
    QList<QUrl> result;
    if (!d_->media) {
        return result;
    }
    libvlc_media_list_t* list = libvlc_media_subitems(d_->media);
    if (!list) {
        return result;
    }
    libvlc_media_list_lock(list);
    const int count = libvlc_media_list_count(list);
    for (int i = 0; i < count; ++i) {
        libvlc_media_t* item = libvlc_media_list_item_at_index(list, i);
        if (!item) {
            continue;
        }
        if (char* mrl = libvlc_media_get_mrl(item)) {
            result << QUrl(QString::fromUtf8(mrl), QUrl::TolerantMode);
            libvlc_free(mrl);
        }
        libvlc_media_release(item);
    }
    libvlc_media_list_unlock(list);
    libvlc_media_list_release(list);
    return result;
}

bool VlcEngine::hasVideo() const {
    return d_->player && libvlc_media_player_has_vout(d_->player) > 0;
}

bool VlcEngine::setVolume(int volume) {
    return d_->player && libvlc_audio_set_volume(d_->player, volume) == 0;
}

bool VlcEngine::setMuted(bool muted) {
    if (!d_->player) {
        return false;
    }
    libvlc_audio_set_mute(d_->player, muted ? 1 : 0);
    return libvlc_audio_get_mute(d_->player) == (muted ? 1 : 0);
}

} // namespace orvanto

namespace orvanto {

QString VlcEngine::nowPlaying() const {
    return d_->nowPlaying;
}

// The radio's own title where the stream is read from a connection of ours, else libVLC's.
void VlcEngine::readNowPlaying() {
    QString title = d_->connection ? d_->connection->title() : QString();
    if (title.isEmpty() && d_->media) {
        if (char* text = libvlc_media_get_meta(d_->media, libvlc_meta_NowPlaying)) {
            title = QString::fromUtf8(text).trimmed();
            libvlc_free(text);
        }
    }
    if (title != d_->nowPlaying) {
        d_->nowPlaying = title;
        Q_EMIT nowPlayingChanged();
    }
}

QList<MediaTrack> VlcEngine::tracks(TrackKind kind) const {
    QList<MediaTrack> result;
    if (!d_->player) {
        return result;
    }
    libvlc_track_description_t* list = kind == TrackKind::Audio
                                           ? libvlc_audio_get_track_description(d_->player)
                                           : libvlc_video_get_spu_description(d_->player);
    for (const libvlc_track_description_t* track = list; track; track = track->p_next) {
        if (track->i_id >= 0) { // not libVLC's own "Disable"
            result << MediaTrack{track->i_id, QString::fromUtf8(track->psz_name)};
        }
    }
    if (list) {
        libvlc_track_description_list_release(list);
    }
    return result;
}

int VlcEngine::currentTrack(TrackKind kind) const {
    if (!d_->player) {
        return MediaTrack::Off;
    }
    const int id = kind == TrackKind::Audio ? libvlc_audio_get_track(d_->player)
                                            : libvlc_video_get_spu(d_->player);
    return id >= 0 ? id : MediaTrack::Off;
}

bool VlcEngine::setTrack(TrackKind kind, int id) {
    if (!d_->player) {
        return false;
    }
    return (kind == TrackKind::Audio ? libvlc_audio_set_track(d_->player, id)
                                     : libvlc_video_set_spu(d_->player, id)) == 0;
}

void VlcEngine::setMaxHeight(int height) {
    d_->maxHeight = height > 0 ? height : 0;
}

} // namespace orvanto
