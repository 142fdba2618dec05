#include "window/VolumeKeys.h"

#include "playback/MediaPlayer.h"
#include "window/Transport.h"

#include <QKeyEvent>

namespace orvanto {

VolumeKeys::VolumeKeys(MediaPlayer& player, Transport& transport, QObject* parent)
    : QObject(parent), player_(player), transport_(transport) {}

bool VolumeKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::ControlModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            transport_.setVolume(player_.volume() + (key->key() == Qt::Key_Up ? Step : -Step));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvanto
