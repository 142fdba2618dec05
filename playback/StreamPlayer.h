#pragma once

#include "core/StreamAddress.h"
#include "playback/DataFlow.h"
#include "playback/EntryFailure.h"
#include "playback/PlayerEngine.h"
#include "playback/PlaylistQueue.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace orvanto {

class ByteTap;
class Sniffer;
class SteadyClock;
class StreamCopy;
class Ticker;

// The player's rules over an engine, and the one way an address is opened and its playlists
// followed, for the window's player and the check alike: which address the engine opens next
// (the assigned one, then the entries of a playlist it turned out to be), what the engine's
// reports mean as play states, and a watchdog that samples the data flow on each tick of an
// injected ticker and measures silence on an injected clock.
//
// States: 9 Transitioning while opening, 6 Buffering once open but before anything decodes and
// while data stops arriving, 3 Playing once audio or video decodes or the play time advances,
// 2 Paused, 1 Stopped after stop(), 8 Media ended then 10 Ready when a stream reaches its end,
// 10 Ready when an address cannot be opened or its connection is lost (no data for
// LostAfterMs).
//
// A stream that played and breaks off (its connection ends or fails, or no data comes for
// ReopenAfterMs) is opened again at once, then again after RetryFirstMs, twice that, ... (at
// most RetryMaxMs apart), as Buffering, until data comes again or LostAfterMs have passed
// without any: a server that is away for a few seconds is bridged.
//
// An address assigned before attach() stays Transitioning and opens once the engine is there.
class StreamPlayer : public QObject {
    Q_OBJECT
public:
    static constexpr int InitialVolume = 50;
    static constexpr int StalledAfterMs = 2000;    // no new data this long: Buffering
    static constexpr int LostAfterMs = 10000;      // no new data this long: connection lost
    static constexpr int EntryOpenLimitMs = 10000; // for a playlist entry with a successor
    static constexpr int ReopenAfterMs = 4000;     // no new data this long: open it again
    static constexpr int RetryFirstMs = 1000;      // after a failed reopening
    static constexpr int RetryMaxMs = 2000;
    // An end this close to the length the engine reported is the stream's end.
    static constexpr int EndToleranceMs = 3000;

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
    // The current entry has really played (decoded something).
    bool entryPlayed() const { return entryPlayed_; }
    // The HTTP status with which a server last refused an entry of the address (0: none did).
    int refusalStatus() const { return refusalStatus_; }
    // The address the engine plays or opens: the assigned one, or an entry of its playlist.
    const PlaylistQueue::Entry& currentEntry() const { return entry_; }
    // The address of the entry the engine plays or opens (empty before the first).
    const QUrl& entryUrl() const { return entry_.url; }
    // The headers every request for that entry carries: the address's (its cookie only to its
    // own server).
    HttpHeaders entryHeaders() const;
    // Opens the entry under way again (looked at anew, then opened), so that a choice that takes
    // effect on opening (the quality) does; meanwhile a stream that played counts as
    // reconnecting. Does nothing unless the engine has the entry.
    void reopen();
    // Whether the engine reads the current entry from our own connection (a stream over HTTP),
    // whose bytes a tap can take; not for what the engine opens itself (HLS, DASH, MMS, RTSP).
    bool readsOwnStream() const { return !connection_.expired(); }
    // Every byte of the streams read from our own connections from now on (this entry's, the
    // reopened ones after an outage, other addresses' after a failover) goes to `tap` too, until
    // another tap or none is set.
    void setTap(std::shared_ptr<ByteTap> tap);
    // A copy of the entry the engine reads itself (not readsOwnStream()) into the file open on
    // `descriptor`, which it takes, while the entry goes on playing; null (the descriptor
    // closed) when nothing such plays or the engine cannot copy it.
    std::unique_ptr<StreamCopy> copyTo(int descriptor);
    // What the engine is given for the current entry: its address (or file) and headers.
    MediaSource entrySource() const;
    // The connection the engine reads a live stream from (one without a length: not a file or
    // an archive), which can keep what arrives while the engine waits; null for anything else.
    std::shared_ptr<StreamConnection> liveConnection() const;
    // Pauses what plays, or plays it on; false where the engine cannot.
    bool setPaused(bool paused);
    // Plays the live connection's keeping anew from where its reader was moved to; false where
    // there is none or the engine cannot.
    bool rereadKept();
    // Whether the engine reads a live entry itself (HLS, DASH, MMS: not from a connection of
    // ours, not a file, nor a stream whose playlist says it ends): what a copy of it keeps while
    // paused.
    bool readsItselfLive() const;
    // Plays such an entry on from `connection` (its copy, kept while paused); from then on it is
    // read from there as liveConnection(). False where it cannot.
    bool playFrom(const std::shared_ptr<StreamConnection>& connection);

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
    // An entry gave way before it played; the next one (if any) comes after this.
    void entryFailed(const orvanto::EntryFailure& failure);
    // The entry at `depth` turned out to be a playlist; its entries come next, but for
    // `entriesLeftOut` beyond the most a playlist is followed for.
    void playlistOpened(int depth, int entriesLeftOut);

private:
    void halt();
    void stopMedia();
    void startNextEntry();
    void openEntry();
    void onSniffed(const Sniffer::Result& result);
    void startEngine(const std::shared_ptr<StreamConnection>& connection);
    void attemptFailed(EntryFailure::Kind kind);
    void breakOff();
    void retry();
    bool atItsEnd() const;
    void entryOver(bool endedNaturally);
    void finish(bool ended);
    bool mediaPlays();
    void onEngineEvent(PlayerEngine::Event event, qint64 value);
    void onWatchdog();
    void watchPlayedEntry(qint64 now);
    void keptMediaStarted();
    void applyVolume();
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
    bool volumeApplied_ = false;
    quint64 session_ = 0; // changes with every setURL() and stop()

    PlaylistQueue queue_;
    PlaylistQueue::Entry entry_;
    bool waitingForEngine_ = false; // an address was assigned before attach()
    bool entryActive_ = false;
    bool entryIsNetwork_ = false;
    bool engineStarted_ = false; // the engine has been told to open the current media
    bool engineOpened_ = false;  // the engine has opened the current media
    bool mediaDecoded_ = false;  // the current media has decoded something
    bool entryPlayed_ = false;   // the entry has really played (in this media or an earlier one)
    bool everPlayed_ = false;    // some entry of this address has really played
    qint64 entryStartMs_ = 0;
    qint64 openedMs_ = 0; // when the current media (or its look) started
    qint64 lastDataMs_ = 0;
    qint64 nextRetryMs_ = -1; // when the entry is opened again; -1: no retry waits
    int retries_ = 0;         // reopenings since the entry last played
    int refusalStatus_ = 0;
    Sniffer::Result sniffed_;                    // what the look at the current media found
    std::weak_ptr<StreamConnection> connection_; // the engine's, while it reads one of ours
    std::shared_ptr<ByteTap> tap_;
    DataFlow flow_;
};

} // namespace orvanto
