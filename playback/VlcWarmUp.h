// libVLC loads its demultiplexer plugins on first use, inside the input thread, where a stop
// cannot interrupt it: the first stop() of a stream stuck in probing took 45-100 ms. So a second
// player probes a few bytes of noise at start, on libVLC's threads, and is released when done;
// later stops take about 2 ms.
#pragma once

#include <QObject>

struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_media_t;
struct libvlc_event_t;

namespace orvanto {

class VlcWarmUp : public QObject {
    Q_OBJECT
public:
    // Starts at once; never makes a sound or a picture.
    explicit VlcWarmUp(libvlc_instance_t* vlc, QObject* parent = nullptr);
    // Stops and releases the probing player where it still runs.
    ~VlcWarmUp() override;

    bool isDone() const { return player_ == nullptr; }

private:
    static void onDone(const libvlc_event_t* event, void* data);
    void finish();

    libvlc_media_player_t* player_ = nullptr;
    libvlc_media_t* media_ = nullptr;
};

} // namespace orvanto
