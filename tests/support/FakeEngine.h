#pragma once

#include "playback/PlayerEngine.h"
#include "playback/StreamCopy.h"

#include <QStringList>
#include <functional>

namespace orvanto::test {

// An engine that plays nothing: it records what it is asked to open, and the test reports
// events and sets the counters as the real engine would.
class FakeEngine final : public PlayerEngine {
    Q_OBJECT
public:
    using PlayerEngine::PlayerEngine;

    void play(const MediaSource& source) override {
        stop();
        opened << source.location;
        openedLocal << source.isLocalPath;
        connections << source.connection;
        openedHeaders << source.headers;
        playing = true;
    }
    void stop() override {
        ++stops;
        playing = false;
        counters = {};
        at = {};
        found = {};
        items.clear();
    }
    bool opens(const QUrl& url) const override { return !refusedSchemes.contains(url.scheme()); }
    Stats stats() const override { return counters; }
    Position position() const override { return at; }
    bool isSeekable() const override { return seekable; }
    bool seek(qint64 ms) override {
        if (!seekable) {
            return false;
        }
        seeks << ms;
        at.timeMs = ms;
        return true;
    }
    // Pauses as libVLC does, reporting it at once.
    bool setPaused(bool value) override {
        if (!pausable) {
            return false;
        }
        paused = value;
        report(value ? Event::Paused : Event::Playing);
        return true;
    }
    bool reread() override {
        ++rereads;
        paused = false;
        return true;
    }
    bool readFrom(std::shared_ptr<StreamConnection> connection) override {
        if (!rereadsFrom) {
            return false;
        }
        readsFrom << connection;
        return reread();
    }
    Tracks tracks() const override { return found; }
    QList<QUrl> subItems() const override { return items; }
    bool hasVideo() const override { return video; }
    bool setVolume(int value) override {
        if (!acceptsVolume) {
            return false;
        }
        volume = value;
        return true;
    }
    bool setMuted(bool value) override {
        if (!acceptsVolume) {
            return false;
        }
        muted = value;
        return true;
    }
    void setFrameSink(std::shared_ptr<FrameExchange> sink) override { frames = std::move(sink); }
    QString nowPlaying() const override { return title; }
    QList<MediaTrack> tracks(TrackKind kind) const override {
        return kind == TrackKind::Audio ? audioTracks : subtitleTracks;
    }
    int currentTrack(TrackKind kind) const override {
        return kind == TrackKind::Audio ? audioTrack : subtitleTrack;
    }
    bool setTrack(TrackKind kind, int id) override {
        (kind == TrackKind::Audio ? audioTrack : subtitleTrack) = id;
        trackSets << id;
        return true;
    }
    void setMaxHeight(int height) override { maxHeight = height; }
    std::unique_ptr<StreamCopy> copyTo(const MediaSource& source, int descriptor) override {
        return copier ? copier(source, descriptor) : PlayerEngine::copyTo(source, descriptor);
    }

    // Reports an event of the current media.
    void report(Event event, qint64 value = 0) { Q_EMIT engineEvent(event, value); }
    // The media's title changes, or its tracks.
    void reportTitle(const QString& text) {
        title = text;
        Q_EMIT nowPlayingChanged();
    }
    void reportTracks(const QList<MediaTrack>& audio, const QList<MediaTrack>& subtitles = {}) {
        audioTracks = audio;
        subtitleTracks = subtitles;
        Q_EMIT tracksChanged();
    }

    QStringList opened;
    QList<bool> openedLocal;
    QList<std::shared_ptr<StreamConnection>> connections;
    QList<HttpHeaders> openedHeaders;
    QStringList refusedSchemes; // schemes opens() says no to
    // What copyTo() makes; none: the engine cannot copy.
    std::function<std::unique_ptr<StreamCopy>(const MediaSource&, int)> copier;
    bool playing = false;
    bool pausable = true;
    bool paused = false;
    int rereads = 0;
    bool rereadsFrom = true;                            // readFrom() is taken
    QList<std::shared_ptr<StreamConnection>> readsFrom; // every readFrom() taken
    int stops = 0;
    Stats counters; // these three are the current media's: stop() clears them
    Position at;
    bool seekable = false;
    QList<qint64> seeks; // every seek() taken, its time
    Tracks found;
    QList<QUrl> items;
    bool video = false;
    bool acceptsVolume = true;
    int volume = -1;
    bool muted = false;
    std::shared_ptr<FrameExchange> frames;
    QString title;
    QList<MediaTrack> audioTracks;
    QList<MediaTrack> subtitleTracks;
    int audioTrack = MediaTrack::Off;
    int subtitleTrack = MediaTrack::Off;
    QList<int> trackSets; // every setTrack(), its id
    int maxHeight = 0;
};

} // namespace orvanto::test
