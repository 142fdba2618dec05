#pragma once

#include "desktop/MprisState.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace orvanto {

class ArchivePlayback;
class Catalogue;
class FailoverPlayer;
class LivePause;
class MediaPlayer;
class ProgrammeNow;
class Recorder;
class StationPages;
class Transport;

// The viewer as the desktop's media controls see it (an MPRIS player), with no bus of its own:
// what it shows (state()) and what the controls do. Next and Previous step through the channels
// of the station pages; Pause pauses a live channel that can wait (what arrives meanwhile is kept)
// and stops any other; Play plays on from the pause, or plays again what played last, or else the
// first channel of the pages. While a programme plays from a channel's archive
// it is the track, with its length, its position and seeking in it.
class MprisPlayer : public QObject {
    Q_OBJECT
public:
    struct Parts {
        MediaPlayer& player;
        FailoverPlayer& failover;
        Transport& transport;
        const Catalogue& catalogue;
        const StationPages& pages;
        QWidget& window;                    // raised, and closed to quit
        ProgrammeNow* guide = nullptr;      // what is on; none without a guide
        ArchivePlayback* archive = nullptr; // past programmes; none: never an archive
        Recorder* recorder = nullptr;       // what records; none: never recording
        LivePause* livePause = nullptr;     // what pauses live; none: Pause stops
    };

    explicit MprisPlayer(const Parts& parts, QObject* parent = nullptr);

    static QString identity() { return QStringLiteral("Orvanto Live TV"); }
    static QString desktopEntry() { return QStringLiteral("orvanto-tv"); }

    const MprisState& state() const { return state_; }

    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void setVolume(double volume);
    void setFullscreen(bool on);
    void raise();
    void quit();
    // Where the track stands, in microseconds (0 for a live stream); a seek by `offsetUs` from
    // there, and to `positionUs` of track `trackId` (ignored for another track), as MPRIS has
    // them.
    qint64 positionUs() const;
    void seek(qint64 offsetUs);
    void setPosition(const QString& trackId, qint64 positionUs);

Q_SIGNALS:
    // state() has changed; `changes` names what.
    void changed(const orvanto::MprisChanges& changes);
    // A seek took the track to `positionUs`.
    void seeked(qint64 positionUs);

private:
    void refresh();
    MprisState current() const;
    MprisState::Track currentTrack() const;
    QString steppingFrom() const;
    void step(int step);

    Parts parts_;
    QPointer<ProgrammeNow> guide_;
    ArchivePlayback* archive_ = nullptr;
    MprisState state_;
    QString trackChannel_; // the channel the track number belongs to
    int trackNumber_ = 0;
};

} // namespace orvanto
