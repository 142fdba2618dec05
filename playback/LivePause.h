#pragma once

#include "net/KeptStream.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace orvanto {

class KeptCopy;
class SteadyClock;
class StreamConnection;
class StreamPlayer;

// Pausing a live channel: from the pause on, what its server sends is kept on disk (bounded by
// time, 30 minutes by default) while the picture waits; playing on goes on where it stopped,
// behind live by the time it waited, and stays that far behind; the viewer moves within what is
// kept, and back to live.
// Where the player reads the stream on a connection of its own, what arrives on it is kept; where
// the engine reads a live stream itself (HLS, DASH), a copy of it is (KeptCopy), and playing on
// reads the copy. What has a length (a file, an archive) is not paused here.
class LivePause : public QObject {
    Q_OBJECT
public:
    struct Settings {
        QString folder; // where what is kept goes (the user's cache)
        KeptStream::Limits limits;
    };

    // Both outlive this.
    LivePause(StreamPlayer& player, const SteadyClock& clock, Settings settings,
              QObject* parent = nullptr);
    ~LivePause() override;

    // Whether what plays is live, where the player cannot tell (an archive is not); by default
    // everything the engine reads itself and cannot seek in is.
    void setLiveTest(std::function<bool()> isLive) { isLive_ = std::move(isLive); }

    // Whether what plays now can be paused, and is.
    bool canPause() const;
    bool isPaused() const;
    // Pauses, keeping what arrives; an empty text, or why it cannot.
    QString pause();
    // Plays on from where it paused.
    void resume();
    // Whether what plays comes from what was kept (it was paused), not from the live end.
    bool isKept() const { return kept() != nullptr; }
    // How far behind live what plays is, and how far back what is kept goes, in ms.
    qint64 behindMs() const;
    qint64 keptMs() const;
    // To what arrived `ms` ago (within what is kept; 0: back to live), playing from there.
    void moveBehind(qint64 ms);
    // Why keeping stopped (the disk full, the copy ended); empty while it goes on.
    QString failure() const;

Q_SIGNALS:
    // Paused, playing on, or no longer able to pause (another channel).
    void changed();
    // The user paused (true) or played on (false): a station that waits for the user is not
    // restarted.
    void userPaused(bool paused);

private:
    std::shared_ptr<KeptStream> kept() const;
    bool copies() const; // a copy keeps what plays, and the engine still reads its own media
    bool readsKept();    // the engine reads anew from where the reader was moved to
    void dropCopy();

    StreamPlayer& player_;
    const SteadyClock& clock_;
    Settings settings_;
    std::function<bool()> isLive_;
    std::unique_ptr<KeptCopy> copy_;
    QString copyFailure_;
};

} // namespace orvanto
