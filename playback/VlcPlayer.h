#pragma once

#include "playback/MediaPlayer.h"
#include "playback/PlayerEngine.h"
#include "playback/VideoDrawing.h"

#include <QPointer>
#include <memory>

class QWidget;

namespace orvanto {

class PlaybackDetails;
class Sniffer;
class SteadyClock;
class StreamPlayer;
class VariantProbe;
class Ticker;
class VideoView;

// The media player the window uses. Opens addresses the way a Windows Media player does: mms://
// (libVLC tries MMS over TCP, then over HTTP), http(s) streams, and playlists (ASX, also from
// .php/.asp scripts whatever their content type, [Reference], PLS, M3U) whose entries are
// played in order, the next one taking over when one fails or breaks off. The rules live in
// StreamPlayer; this class adds the video widget (which draws the engine's pictures), zoom,
// aspect and full screen.
//
// The engine comes later than the player, through attach(), so that the window can show before
// libVLC starts; an address assigned meanwhile opens as soon as the engine is there.
class VlcPlayer final : public MediaPlayer {
    Q_OBJECT
public:
    static constexpr int WatchdogMs = 1000; // how often the data flow is sampled

    // `videoParent`: the widget the video widget is created in (may be null: place
    // videoWidget() later). `parent` owns the player, as usual for QObjects. `drawing`: what
    // draws the pictures.
    explicit VlcPlayer(QWidget* videoParent = nullptr, QObject* parent = nullptr,
                       VideoDrawing drawing = VideoDrawing::Automatic);
    // The same with the watchdog's ticker and clock handed in; both outlive the player.
    VlcPlayer(Ticker& watchdog, const SteadyClock& clock, QWidget* videoParent = nullptr,
              QObject* parent = nullptr);
    ~VlcPlayer() override;

    // Hands in the engine and the sniffer for http(s) addresses, once.
    void attach(std::unique_ptr<PlayerEngine> engine, std::unique_ptr<Sniffer> sniffer);
    bool isAttached() const { return engine_ != nullptr; }

    void setURL(const StreamAddress& address) override;
    QString URL() const override;
    StreamAddress address() const override;
    void stop() override;
    int playState() const override;
    qint64 positionMs() const override;
    qint64 lengthMs() const override;
    bool canSeek() const override;
    bool seek(qint64 ms) override;
    int refusalStatus() const override;
    // libVLC counts bytes, not packets: this is the number of kilobytes received for the
    // current address.
    qint64 receivedPackets() const override;
    void setVolume(int volume) override;
    int volume() const override;
    void setMuted(bool muted) override;
    bool isMuted() const override;
    void setVideoZoom(VideoZoom zoom) override;
    VideoZoom videoZoom() const override;
    void setAspectRatio(AspectRatio ratio) override;
    AspectRatio aspectRatio() const override;
    // Fails (and does nothing) unless a video is playing.
    bool setFullScreen(bool on) override;
    bool isFullScreen() const override;
    QString nowPlaying() const override;
    bool showsPicture() const override;
    QList<MediaTrack> tracks(TrackKind kind) const override;
    int currentTrack(TrackKind kind) const override;
    void chooseTrack(TrackKind kind, int id) override;
    QList<int> qualities() const override;
    int quality() const override;
    void chooseQuality(int height) override;
    void forgetChoices() override;

    // The player's rules, with the stream's bytes for a recorder; as long as this player.
    StreamPlayer& streamPlayer() { return *rules_; }

    // The widget showing the video; lives as long as its parent (or this player, without one).
    QWidget* videoWidget() const;
    VideoView* videoView() const;

private:
    void wire();

    std::unique_ptr<Ticker> ownTicker_;
    std::unique_ptr<SteadyClock> ownClock_;
    std::unique_ptr<PlayerEngine> engine_;
    std::unique_ptr<Sniffer> sniffer_;
    std::unique_ptr<VariantProbe> variants_;
    std::unique_ptr<StreamPlayer> rules_; // goes before the engine and the sniffer it uses
    std::unique_ptr<PlaybackDetails> details_;
    QPointer<VideoView> video_;
    VideoZoom zoom_ = VideoZoom::Fit; // kept here too: the widget may be gone
    AspectRatio ratio_ = AspectRatio::Default;
};

} // namespace orvanto
