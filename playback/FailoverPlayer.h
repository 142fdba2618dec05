#pragma once

#include "catalogue/Station.h"

#include <QObject>
#include <QString>
#include <optional>
#include <vector>

namespace orvanto {

class Catalogue;
class MediaPlayer;
class MessageSink;
class Ticker;

// Turns the choice of a station into a working stream: tries the station's addresses one after
// the other, accepts the first that reports Playing in five ticks, gives each address at most
// 25 non-playing ticks, and restarts the station when its stream breaks off.
//
// The attempt runs as a state machine on a one-second tick, so the window stays responsive.
// A new choice always ends the attempt in progress (quietly) before its own attempt starts.
//
// A station's archive is played the same way, on the archive addresses the caller made of the
// station's addresses that have one: the first that keeps playing is accepted, and a failure of
// all says whether the archive had no such programme. An archive that ends or breaks off is not
// restarted here: archiveEnded() and archiveBrokeOff() let the caller go on from where it was.
class FailoverPlayer : public QObject {
    Q_OBJECT
public:
    static constexpr int AcceptPlayingTicks = 5;
    static constexpr int TickLimit = 25;

    FailoverPlayer(const Catalogue& catalogue, MediaPlayer& player, Ticker& ticker,
                   MessageSink& messages, QObject* parent = nullptr);
    ~FailoverPlayer() override;

    // Plays the catalogue station called `name`, trying its addresses from `startSlot` on.
    void SelectStation(const QString& name, int startSlot);
    // Plays the archive of the catalogue station called `name` on `addresses`, in order (none:
    // nothing happens). While it plays, isArchive() holds and CurrentUrlIndex() is the index of
    // the address accepted.
    void PlayArchive(const QString& name, std::vector<StreamAddress> addresses);
    // Whether what plays (or is tried) is an archive rather than the live stream.
    bool isArchive() const { return archive_; }

    // Runs on every play-state notification of the player: restarts the current station when
    // its stream has broken off.
    void CheckInterruption();

    // Ends any attempt in progress and stops regarding a station as playing, so that a
    // deliberate change of what the player plays (the alarm's ring) is not taken for a
    // broken stream. The player itself is not touched.
    void standDown();
    // The user paused the station (or played it on): while paused by the user it waits instead
    // of being restarted, as any other pause is. The next station chosen clears it.
    void setUserPaused(bool paused) { userPaused_ = paused; }

    bool StationPlaying() const { return stationPlaying_; }
    // The station of the last successful attempt (a full copy), if any.
    const std::optional<Station>& CurrentStation() const { return currentStation_; }
    int CurrentUrlIndex() const { return currentUrlIndex_; }

    bool isTrying() const { return attempt_.has_value(); }

    // The channel the player is given to: the station being tried, else the one that plays;
    // empty when neither (none chosen yet, none of its addresses played, or stood down).
    const QString& channel() const { return channel_; }

Q_SIGNALS:
    // New text for the status label under the player.
    void statusTextChanged(const QString& text);
    // An attempt has accepted an address (after the station state was updated); for an
    // archive, `slot` is the index of the archive address accepted.
    void stationAccepted(const QString& name, int slot);
    // The archive that played reached its end, or broke off; nothing restarts it by itself.
    void archiveEnded();
    void archiveBrokeOff();
    // channel() has changed.
    void channelChanged(const QString& name);

private:
    struct Attempt {
        int stationIndex = 0;
        int startSlot = 0;
        int tried = 0; // addresses given up so far; the next one is slot tried + startSlot
        int slot = 0;  // slot being tried
        int ticks = 0; // ticks counted against the address (shown in the status label)
        int limit = TickLimit;
        int playingTicks = 0; // readings of the address as Playing
        bool found = false;
        // An archive's addresses; empty for the live stream (the station's own addresses).
        std::vector<StreamAddress> archive;
        bool archiveRefused = false; // a server of the archive said it had no such programme
    };

    int lastSlot(const Attempt& attempt) const;
    StreamAddress addressOf(const Attempt& attempt) const;

    void PlayStation(int stationIndex, int startSlot);
    void startAddress();
    void readPlayer();
    void onTick();
    void finishSuccess();
    void finishFailure();
    void cancelAttempt();
    void setChannel(const QString& name);

    const Catalogue& catalogue_;
    MediaPlayer& player_;
    Ticker& ticker_;
    MessageSink& messages_;

    bool stationPlaying_ = false;
    bool userPaused_ = false;
    std::optional<Station> currentStation_;
    int currentUrlIndex_ = 0;
    bool archive_ = false;
    QString channel_;
    std::optional<Attempt> attempt_;
    quint64 generation_ = 0; // changes whenever an attempt ends
};

} // namespace orvanto
