#include "window/FullScreenKeys.h"

#include "playback/MediaPlayer.h"

#include <QKeyEvent>

namespace orvanto {

FullScreenKeys::FullScreenKeys(MediaPlayer& player, QObject* parent)
    : QObject(parent), player_(player) {}

bool FullScreenKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape && player_.isFullScreen()) {
        player_.setFullScreen(false);
        return true;
    }
    if (key->key() == Qt::Key_F11 && key->modifiers() == Qt::NoModifier) {
        if (!key->isAutoRepeat()) {
            player_.setFullScreen(!player_.isFullScreen());
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvanto
