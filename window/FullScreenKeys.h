#pragma once

#include <QObject>

namespace orvanto {

class MediaPlayer;

// Escape leaves the player's full screen, whichever window has the keyboard. While the player
// is not in full screen the key goes on to its usual receiver (dialogs close on it).
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
