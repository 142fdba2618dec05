#pragma once

#include <QObject>

namespace orvanto {

class MediaPlayer;

// The full-screen keys, whichever window has the keyboard: F11 switches full screen on and off,
// Escape leaves it. While the player is not in full screen Escape goes on to its usual
// receiver (dialogs close on it).
class FullScreenKeys : public QObject {
    Q_OBJECT
public:
    explicit FullScreenKeys(MediaPlayer& player, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MediaPlayer& player_;
};

} // namespace orvanto
