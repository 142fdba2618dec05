#pragma once

#include "core/StreamAddress.h"
#include "playback/MediaTrack.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

namespace orvanto {

class FrameExchange;
class StreamConnection;
class StreamCopy;

// What the engine opens: an address, a local file, or a stream on a connection already open.
struct MediaSource {
    QString location; // an address, or a local file's path
    bool isLocalPath = false;
    // When set, the media is read from this connection (open to `location`), not from a new one.
    std::shared_ptr<StreamConnection> connection;
    // What the engine's own requests for it carry (those of an HLS stream's playlists and
    // segments included), as far as the engine can send them.
    HttpHeaders headers;
};

// What the player needs of a media engine: one media at a time, opened and stopped on the GUI
// thread, with its counters and its reports. Reports arrive on the GUI thread, never from inside
// play() or stop(), and never about a media stopped or replaced meanwhile.
class PlayerEngine : public QObject {
    Q_OBJECT
public:
    enum class Event {
        Opening,
        Buffering, // value: cache fill in percent
        Playing,   // the input is open (not yet proof that anything decodes)
        Paused,
        Ended,       // the media ended (or turned out to be a playlist: see subItems())
        Error,       // the media cannot be opened, or broke off with an error
        TimeChanged, // value: play time in ms
        Vout,        // value: number of video outputs
        Decoded,     // the first audio block or video frame of the media is decoded
    };

    // The media's counters. Both byte counts are 32 bits and wrap.
    struct Stats {
        quint32 readBytes = 0;  // bytes read from the source (an adaptive stream such as HLS
                                // fetches its segments past this count)
        quint32 demuxBytes = 0; // bytes of audio and video the demultiplexer passed on
        int decodedAudio = 0;   // audio blocks decoded
        int decodedVideo = 0;   // video frames decoded
        int shownPictures = 0;  // pictures handed to the screen when due
        int lostPictures = 0;   // pictures decoded too late to be shown
    };

    // Where the media stands, in ms; 0 when unknown. A live stream may report the length of
    // the window it can seek in.
    struct Position {
        qint64 timeMs = 0;
        qint64 lengthMs = 0;
    };

    // What the current media's tracks are, as far as the engine knows them yet.
    struct Tracks {
        QStringList codecs; // one description per audio or video track
        QSize videoSize;    // of the first video track; invalid without one
    };

    using QObject::QObject;
    ~PlayerEngine() override = default;

    // Stops whatever plays and starts `source`.
    virtual void play(const MediaSource& source) = 0;
    virtual void stop() = 0;
    // Whether the engine has a way to open addresses like `url` at all (its scheme).
    virtual bool opens(const QUrl& url) const = 0;

    virtual Stats stats() const = 0;
    virtual Position position() const = 0;
    // Whether the current media can be sought in (a file, or an archive served with its length),
    // and the seek to `ms` into it; false when refused.
    virtual bool isSeekable() const = 0;
    virtual bool seek(qint64 ms) = 0;
    // Pauses the current media or plays it on from where it paused, reported with Paused and
    // Playing; false where the engine cannot.
    virtual bool setPaused(bool paused);
    // Reads the current media's connection anew from where its reader stands now (a paused
    // stream's keeping, moved within), dropping what the engine had read ahead; playing.
    // False where the engine cannot.
    virtual bool reread();
    // Plays on from `connection` instead of the current media: a copy of the stream kept while
    // it waited (a paused HLS channel), read from where its reader stands. Every later reread()
    // reads it too. False where the engine cannot.
    virtual bool readFrom(std::shared_ptr<StreamConnection> connection);
    virtual Tracks tracks() const = 0;
    // The addresses the engine found inside the current media when it was a playlist.
    virtual QList<QUrl> subItems() const = 0;
    virtual bool hasVideo() const = 0;
    // Accepted only while an audio output exists: returns false when refused.
    virtual bool setVolume(int volume) = 0;
    // Returns false when refused, as setVolume() does.
    virtual bool setMuted(bool muted) = 0;
    // From the next play() on, decoded pictures go to `frames` (none: no picture is made).
    virtual void setFrameSink(std::shared_ptr<FrameExchange> frames) = 0;

    // The current media's own "now playing" title (ICY StreamTitle); empty when it has none.
    // Changes are reported with nowPlayingChanged().
    virtual QString nowPlaying() const = 0;
    // The current media's tracks of `kind`, the one in use (MediaTrack::Off: none) and the
    // choice of another (MediaTrack::Off: subtitles off); returns false when refused. Changes of
    // the tracks are reported with tracksChanged().
    virtual QList<MediaTrack> tracks(TrackKind kind) const = 0;
    virtual int currentTrack(TrackKind kind) const = 0;
    virtual bool setTrack(TrackKind kind, int id) = 0;
    // The highest picture an adaptive stream (HLS, DASH) opened from now on takes, which it
    // then keeps; 0: the engine chooses and adapts as it goes.
    virtual void setMaxHeight(int height) = 0;
    // A copy of `source` (one the engine reads itself: HLS, DASH) into the file open on
    // `descriptor`, which it takes; made while the engine goes on playing, on a player of its own
    // with no picture or sound. Null (the descriptor closed) where the engine cannot copy.
    virtual std::unique_ptr<StreamCopy> copyTo(const MediaSource& source, int descriptor);

Q_SIGNALS:
    void engineEvent(orvanto::PlayerEngine::Event event, qint64 value);
    // Of the current media, like engineEvent().
    void nowPlayingChanged();
    void tracksChanged();
};

} // namespace orvanto
