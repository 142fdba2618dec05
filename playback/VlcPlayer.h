#pragma once

#include "playback/ByteCounter.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaylistQueue.h"
#include "playback/VlcEngine.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <memory>

class QWidget;

namespace orvanto {

class StreamSniffer;
class VideoContainer;

// The media player on libVLC 3. Opens addresses the way a Windows Media player does: mms://
// (libVLC tries MMS over TCP, then over HTTP), http(s) streams, and playlists (ASX, also from
// .php/.asp scripts whatever their content type, [Reference], PLS, M3U) whose entries are
// played in order, the next one taking over when one fails or breaks off.
//
// States: 9 Transitioning while opening, 6 Buffering once open but before anything decodes and
// while data stops arriving, 3 Playing once audio or video decodes or the play time advances,
// 2 Paused, 1 Stopped after stop(), 8 Media ended then 10 Ready when a stream ends, 10 Ready
// when an address cannot be opened or its connection is lost (no data for LostAfterMs).
//
// Video is drawn into videoWidget() (embedded X11 window); with the environment variable
// ORVANTO_VLC_DUMMY set, libVLC uses its dummy audio and video outputs.
class VlcPlayer final : public MediaPlayer {
    Q_OBJECT
public:
    static constexpr int InitialVolume = 50;
    static constexpr int WatchdogMs = 1000;        // how often the data flow is sampled
    static constexpr int StalledAfterMs = 2000;    // no new data this long: Buffering
    static constexpr int LostAfterMs = 10000;      // no new data this long: connection lost
    static constexpr int EntryOpenLimitMs = 10000; // for a playlist entry with a successor

    // `videoParent`: the widget the video widget is created in (may be null: place
    // videoWidget() later). `parent` owns the player, as usual for QObjects.
    explicit VlcPlayer(QWidget* videoParent = nullptr, QObject* parent = nullptr);
    ~VlcPlayer() override;

    void setURL(const QString& url) override;
    QString URL() const override { return url_; }
    void stop() override;
    int playState() const override { return state_; }
    // libVLC counts bytes, not packets: this is the number of kilobytes received for the
    // current address.
    qint64 receivedPackets() const override;
    void setVolume(int volume) override;
    int volume() const override { return volume_; }
    void setMuted(bool muted) override;
    bool isMuted() const override { return muted_; }
    void setVideoZoom(VideoZoom zoom) override;
    VideoZoom videoZoom() const override { return zoom_; }
    void setAspectRatio(AspectRatio ratio) override;
    AspectRatio aspectRatio() const override { return ratio_; }
    // Fails (and does nothing) unless a video is playing.
    bool setFullScreen(bool on) override;
    bool isFullScreen() const override;

    // What libVLC was told: the video's scale (0 when fitted) and aspect ratio.
    float engineScale() const;
    QByteArray engineAspectRatio() const;

    // The widget showing the video; lives as long as its parent (or this player, without one).
    QWidget* videoWidget() const;

private:
    void halt();
    void startNextEntry();
    void startEngine();
    void entryOver(bool endedNaturally);
    void finish(bool ended);
    void confirmPlaying();
    void onEngineEvent(VlcEngine::Event event, qint64 value);
    void onWatchdog();
    void applyVolume();
    bool notify(int state);

    std::unique_ptr<VlcEngine> engine_;
    std::unique_ptr<StreamSniffer> sniffer_;
    QPointer<VideoContainer> video_;
    bool embedVideo_ = false;
    bool videoWindowSet_ = false;

    QString url_;
    int state_ = 0;
    int volume_ = InitialVolume;
    bool muted_ = false;
    VideoZoom zoom_ = VideoZoom::Fit;
    AspectRatio ratio_ = AspectRatio::Default;
    bool volumeApplied_ = false;
    quint64 session_ = 0; // changes with every setURL() and stop()

    PlaylistQueue queue_;
    PlaylistQueue::Entry entry_;
    bool entryActive_ = false;
    bool entryIsNetwork_ = false;
    bool engineOpened_ = false; // libVLC has opened the entry
    bool entryPlayed_ = false;  // the entry has really played
    bool everPlayed_ = false;   // some entry of this address has really played
    QElapsedTimer entryAge_;
    QElapsedTimer sinceData_;
    ByteCounter bytes_;
    QTimer watchdog_;
};

} // namespace orvanto
