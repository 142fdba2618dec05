#pragma once

#include "core/StreamAddress.h"
#include "playback/ByteCounter.h"
#include "playback/PlayerEngine.h"
#include "playback/PlaylistQueue.h"
#include "playback/VideoFit.h"

#include <QObject>
#include <QPointer>

namespace orvanto {

class Sniffer;
class SteadyClock;
class Ticker;

// The player's rules over an engine: which address the engine opens next (the assigned one,
// then the entries of a playlist it turned out to be), what the engine's reports mean as play
// states, and a watchdog that samples the data flow on each tick of an injected ticker and
// measures silence on an injected clock.
//
// States: 9 Transitioning while opening, 6 Buffering once open but before anything decodes and
// while data stops arriving, 3 Playing once audio or video decodes or the play time advances,
// 2 Paused, 1 Stopped after stop(), 8 Media ended then 10 Ready when a stream ends, 10 Ready
// when an address cannot be opened or its connection is lost (no data for LostAfterMs).
//
// An address assigned before attach() stays Transitioning and opens once the engine is there.
class StreamPlayer : public QObject {
    Q_OBJECT
public:
    static constexpr int InitialVolume = 50;
    static constexpr int StalledAfterMs = 2000;    // no new data this long: Buffering
    static constexpr int LostAfterMs = 10000;      // no new data this long: connection lost
    static constexpr int EntryOpenLimitMs = 10000; // for a playlist entry with a successor

    // `watchdog` ticks about once a second while an address is under way.
    StreamPlayer(Ticker& watchdog, const SteadyClock& clock, QObject* parent = nullptr);
    ~StreamPlayer() override;

    // Hands in the engine and the sniffer for http(s) addresses; both outlive this player.
    void attach(PlayerEngine& engine, Sniffer& sniffer);
    bool isAttached() const { return engine_ != nullptr; }

    void setURL(const StreamAddress& address);
    const QString& url() const { return url_; }
    // The headers every request for the address carries.
    const HttpHeaders& headers() const { return headers_; }
    void stop();
    int playState() const { return state_; }
    // Kilobytes received for the current address.
    qint64 receivedKilobytes() const;
    void setVolume(int volume);
    int volume() const { return volume_; }
    void setMuted(bool muted);
    bool isMuted() const { return muted_; }
    // How the video is fitted; the choice holds for every address played after it, and reaches
    // an engine attached later.
    void setVideoZoom(VideoZoom zoom);
    VideoZoom videoZoom() const { return zoom_; }
    void setAspectRatio(AspectRatio ratio);
    AspectRatio aspectRatio() const { return ratio_; }
    // The current entry has really played (decoded something).
    bool entryPlayed() const { return entryPlayed_; }
    // The address of the entry the engine plays or opens (empty before the first).
    const QUrl& entryUrl() const { return entry_.url; }
    // Opens the entry under way again, so that a choice that takes effect on opening (the
    // quality) does; meanwhile a stream that played counts as reconnecting. Does nothing unless
    // the engine has the entry.
    void reopen();

Q_SIGNALS:
    // Once per change of playState().
    void playStateChanged(int state);
    // When setVolume() changes the volume, with the new volume.
    void volumeChanged(int volume);
    // The engine is about to open an address.
    void aboutToOpen();
    // The engine has let go of the entry it played or opened.
    void entryStopped();
    // Nothing plays any more: stopped, or every entry is used up.
    void playbackOver();

private:
    void halt();
    void startNextEntry();
    void startEngine();
    void entryOver(bool endedNaturally);
    void finish(bool ended);
    void confirmPlaying();
    void onEngineEvent(PlayerEngine::Event event, qint64 value);
    void onWatchdog();
    void applyVolume();
    void applyVideoFit();
    bool notify(int state);

    Ticker& watchdog_;
    const SteadyClock& clock_;
    QPointer<PlayerEngine> engine_;
    Sniffer* sniffer_ = nullptr;

    QString url_;
    HttpHeaders headers_;
    int state_ = 0;
    int volume_ = InitialVolume;
    bool muted_ = false;
    VideoZoom zoom_ = VideoZoom::Fit;
    AspectRatio ratio_ = AspectRatio::Default;
    bool volumeApplied_ = false;
    quint64 session_ = 0; // changes with every setURL() and stop()

    PlaylistQueue queue_;
    PlaylistQueue::Entry entry_;
    bool waitingForEngine_ = false; // an address was assigned before attach()
    bool entryActive_ = false;
    bool entryIsNetwork_ = false;
    bool engineStarted_ = false; // the engine has been told to open the entry
    bool engineOpened_ = false;  // the engine has opened the entry
    bool entryPlayed_ = false;   // the entry has really played
    bool everPlayed_ = false;    // some entry of this address has really played
    qint64 entryStartMs_ = 0;
    qint64 lastDataMs_ = 0;
    ByteCounter bytes_;
};

} // namespace orvanto
