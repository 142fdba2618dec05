#include "window/FullScreenKeys.h"

#include "playback/MediaPlayer.h"

#include <QKeyEvent>

namespace orvanto {

FullScreenKeys::FullScreenKeys(MediaPlayer& player, QObject* parent)
    : QObject(parent), player_(player) {}

bool FullScreenKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && player_.isFullScreen()) {
        player_.setFullScreen(false);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvanto
