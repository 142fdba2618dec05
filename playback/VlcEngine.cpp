#include "net/KeptStream.h"
#include "playback/DemuxHint.h"
#include "playback/VlcEngine_p.h"
#include "playback/VlcStreamCopy.h"
#include "playback/VlcVideoOutput.h"

#include <QByteArrayList>
#include <QDirIterator>
#include <QFileInfo>
#include <array>
#include <dlfcn.h>
#include <unistd.h>
#include <vector>

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

// A media read from `connection` through the callbacks above, with what its Content-Type says
// of its demultiplexer.
libvlc_media_t* mediaOn(libvlc_instance_t* vlc, StreamConnection* connection) {
    libvlc_media_t* media = libvlc_media_new_callbacks(
        vlc, &connectionOpen, &connectionRead, &connectionSeek, &connectionClose, connection);
    const QByteArray demux = demuxHint(connection->contentType());
    if (media && !demux.isEmpty()) {
        libvlc_media_add_option(media, (":demux=" + demux).constData());
    }
    return media;
}

} // namespace

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
        "--no-xlib",             // no Xlib in libVLC's plugins: the display is the GUI's
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
    d_->warmUp = std::make_unique<VlcWarmUp>(d_->vlc);
}

VlcEngine::~VlcEngine() {
    d_->warmUp.reset();
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
        d_->media = mediaOn(d_->vlc, d_->connection.get());
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

bool VlcEngine::isSeekable() const {
    return d_->player && d_->media && libvlc_media_player_is_seekable(d_->player) != 0;
}

bool VlcEngine::seek(qint64 ms) {
    if (!isSeekable()) {
        return false;
    }
    libvlc_media_player_set_time(d_->player, qMax<qint64>(0, ms));
    return true;
}

bool VlcEngine::setPaused(bool paused) {
    if (!d_->player || !d_->media || (paused && !libvlc_media_player_can_pause(d_->player))) {
        return false;
    }
    libvlc_media_player_set_pause(d_->player, paused ? 1 : 0);
    return true;
}

bool VlcEngine::reread() {
    const std::shared_ptr<KeptStream> kept = d_->connection ? d_->connection->kept() : nullptr;
    if (!d_->player || !d_->media || !kept) {
        return false;
    }
    ++d_->generation; // the old media's reports are stale
    decodePoll_.stop();
    opened_ = false;
    decoded_ = Decoding::NotYet;
    kept->holdReader(true); // libVLC's read returns, and its input ends
    libvlc_media_player_stop(d_->player);
    kept->holdReader(false);
    d_->releaseMedia();
    d_->media = mediaOn(d_->vlc, d_->connection.get());
    if (!d_->media) {
        reportError();
        return true;
    }
    d_->watchMedia();
    libvlc_media_player_set_media(d_->player, d_->media);
    libvlc_media_player_play(d_->player);
    decodePoll_.start();
    return true;
}

bool VlcEngine::readFrom(std::shared_ptr<StreamConnection> connection) {
    if (!d_->player || !d_->media || !connection || !connection->kept()) {
        return false;
    }
    d_->connection = std::move(connection);
    return reread();
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

std::unique_ptr<StreamCopy> VlcEngine::copyTo(const MediaSource& source, int descriptor) {
    if (!d_->vlc || source.connection || source.isLocalPath) {
        ::close(descriptor);
        return nullptr;
    }
    return copyStream(d_->vlc, source, descriptor);
}

} // namespace orvanto
