#pragma once

#include <QObject>

namespace orvanto {

class Transport;
class MediaPlayer;

// The volume keys, whichever of the viewer's windows has the keyboard, as in VLC: Ctrl+Up and
// Ctrl+Down turn the volume up and down by Step.
class VolumeKeys : public QObject {
    Q_OBJECT
public:
    static constexpr int Step = 5;

    VolumeKeys(MediaPlayer& player, Transport& transport, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MediaPlayer& player_;
    Transport& transport_;
};

} // namespace orvanto
