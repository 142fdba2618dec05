#pragma once

#include "check/AddressProbe.h"
#include "playback/PlaylistQueue.h"
#include "playback/VlcEngine.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

namespace orvanto {

class StreamSniffer;

// Checks an address the way the player plays it: http(s) addresses are sniffed first (playlists
// followed, entries tried in order, web pages refused), then opened by the engine with dummy
// outputs; the address plays once audio or video decodes, as for the player's Playing state.
// The engine is made on first use, so addresses that never reach it cost no media player.
class VlcProbe final : public QObject, public AddressProbe {
    Q_OBJECT
public:
    static constexpr int PollMs = 200; // how often the engine's decoding counts are read

    VlcProbe();
    ~VlcProbe() override;

    void start(const QString& address, Done done) override;
    void cancel() override;

private:
    void halt();
    void startNextEntry();
    void startEngine();
    void entryFailed(const Verdict& verdict);
    void plays();
    void answer(const Verdict& verdict);
    void onEngineEvent(VlcEngine::Event event, qint64 value);
    void onPoll();

    std::unique_ptr<VlcEngine> engine_;
    std::unique_ptr<StreamSniffer> sniffer_;
    QTimer poll_;
    Done done_;
    QString address_;
    PlaylistQueue queue_;
    PlaylistQueue::Entry entry_;
    bool active_ = false;
    bool engineOpened_ = false;
    bool sniffedBody_ = false;   // the sniffer saw body bytes of the current entry
    bool topIsPlaylist_ = false; // the address itself turned out to be a playlist
    std::optional<Verdict> firstFailure_;
    quint64 generation_ = 0;
};

} // namespace orvanto
