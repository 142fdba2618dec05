#pragma once

#include "check/AddressProbe.h"
#include "core/QtTicker.h"
#include "core/SteadyClock.h"

#include <QObject>
#include <memory>
#include <optional>

namespace orvanto {

class PlayerEngine;
class Sniffer;
class StreamPlayer;
struct EntryFailure;

// Checks an address with the window's own player rules (StreamPlayer): looked at and opened the
// same way, playlists followed the same way, entries given the same time, on a libVLC engine of
// its own with dummy outputs. The address plays once the player says Playing, as the window's
// player would; otherwise the verdict tells why the first entry that failed did not play.
class VlcProbe final : public QObject, public AddressProbe {
    Q_OBJECT
public:
    VlcProbe();
    // With the engine and the sniffer handed in (tests).
    VlcProbe(std::unique_ptr<PlayerEngine> engine, std::unique_ptr<Sniffer> sniffer);
    ~VlcProbe() override;

    void start(const StreamAddress& address, Done done) override;
    void cancel() override;
    Verdict timedOut() const override;

    // What a failure the player reported says as a verdict.
    static Verdict verdictOf(const EntryFailure& failure);

private:
    void onState(int state);
    void onOver();
    void answer(Verdict verdict);

    QtTicker watchdog_;
    SystemSteadyClock clock_;
    std::unique_ptr<PlayerEngine> engine_;
    std::unique_ptr<Sniffer> sniffer_;
    std::unique_ptr<StreamPlayer> player_; // goes before the engine and the sniffer it uses
    Done done_;
    bool topIsPlaylist_ = false; // the address itself turned out to be a playlist
    int entriesLeftOut_ = 0;     // of the playlists it led to
    std::optional<Verdict> firstFailure_;
    quint64 generation_ = 0;
};

} // namespace orvanto
