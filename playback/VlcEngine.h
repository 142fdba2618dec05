#pragma once

#include "playback/PlayerEngine.h"

#include <QTimer>
#include <memory>

namespace orvanto {

// The one place that talks to libVLC (with its video side in VlcVideoOutput): an instance with
// one media player, used on the GUI thread only. Its pictures go to a frame sink when one is
// handed in; without one no picture is made (libVLC's dummy video output). libVLC reports from its
// own threads (and a few times synchronously from inside play() and stop()); those reports are only
// posted to the GUI thread, where engineEvent() delivers them. Reports about an earlier media are
// dropped, so after play() or stop() returns nothing of the media before arrives any more. A media
// read from an open connection (MediaSource::connection) is fed to libVLC from that connection on
// libVLC's input thread.
class VlcEngine final : public PlayerEngine {
    Q_OBJECT
public:
    struct Options {
        bool dummyOutputs = false; // libVLC's dummy audio output (tests, benchmarks, the check)
    };

    explicit VlcEngine(Options options, QObject* parent = nullptr);
    ~VlcEngine() override;

    // False when libVLC could not be started; play() then reports Error.
    bool isValid() const;

    // Between play() and the first decoded block, the counters are read this often to report
    // Decoded.
    static constexpr int DecodePollMs = 20;

    void play(const MediaSource& source) override;
    void stop() override;
    bool opens(const QUrl& url) const override;
    Stats stats() const override;
    Position position() const override;
    bool isSeekable() const override;
    bool seek(qint64 ms) override;
    bool setPaused(bool paused) override;
    bool reread() override;
    bool readFrom(std::shared_ptr<StreamConnection> connection) override;
    Tracks tracks() const override;
    QList<QUrl> subItems() const override;
    bool hasVideo() const override;
    bool setVolume(int volume) override;
    bool setMuted(bool muted) override;
    void setFrameSink(std::shared_ptr<FrameExchange> frames) override;
    QString nowPlaying() const override;
    QList<MediaTrack> tracks(TrackKind kind) const override;
    int currentTrack(TrackKind kind) const override;
    bool setTrack(TrackKind kind, int id) override;
    void setMaxHeight(int height) override;
    std::unique_ptr<StreamCopy> copyTo(const MediaSource& source, int descriptor) override;

private:
    struct Private;
    void deliver(quint64 generation, Event event, qint64 value);
    void reportError();
    void reportDecoded(qint64 blocks);
    void pollDecoding();
    void readNowPlaying();

    std::unique_ptr<Private> d_;
    QTimer decodePoll_;
    bool opened_ = false; // Playing was reported for the current media
    enum class Decoding { NotYet, Waiting, Reported };
    Decoding decoded_ = Decoding::NotYet; // Waiting: decoded, to be reported after Playing
};

} // namespace orvanto
