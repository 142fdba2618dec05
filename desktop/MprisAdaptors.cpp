#include "desktop/MprisAdaptors.h"

#include "desktop/MprisPlayer.h"

namespace orvanto {

MprisRootAdaptor::MprisRootAdaptor(MprisPlayer& player, QObject* object)
    : QDBusAbstractAdaptor(object), player_(player) {}

bool MprisRootAdaptor::fullscreen() const {
    return player_.state().fullscreen;
}

void MprisRootAdaptor::setFullscreen(bool on) {
    player_.setFullscreen(on);
}

QString MprisRootAdaptor::identity() const {
    return MprisPlayer::identity();
}

QString MprisRootAdaptor::desktopEntry() const {
    return MprisPlayer::desktopEntry();
}

void MprisRootAdaptor::Raise() {
    player_.raise();
}

void MprisRootAdaptor::Quit() {
    player_.quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisPlayer& player, QObject* object)
    : QDBusAbstractAdaptor(object), player_(player) {
    connect(&player_, &MprisPlayer::seeked, this,
            [this](qint64 position) { Q_EMIT Seeked(position); });
}

QString MprisPlayerAdaptor::playbackStatus() const {
    return player_.state().playbackStatus;
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    const MprisState::Track& track = player_.state().track;
    QVariantMap map{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(track.id))}};
    if (!track.title.isEmpty()) {
        map.insert(QStringLiteral("xesam:title"), track.title);
    }
    if (!track.channel.isEmpty()) {
        // Shells show the artist under the title: the channel, when the title is something else.
        if (track.title != track.channel) {
            map.insert(QStringLiteral("xesam:artist"), QStringList{track.channel});
        }
        map.insert(QStringLiteral("xesam:album"), track.channel);
    }
    if (!track.artUrl.isEmpty()) {
        map.insert(QStringLiteral("mpris:artUrl"), track.artUrl);
    }
    if (track.lengthUs > 0) {
        map.insert(QStringLiteral("mpris:length"), QVariant::fromValue(qlonglong(track.lengthUs)));
    }
    if (track.recording) {
        // Shells that show a comment show this; our own key says it to scripts.
        map.insert(QStringLiteral("xesam:comment"), QStringList{QStringLiteral("Recording")});
        map.insert(QStringLiteral("orvanto:recording"), true);
    }
    return map;
}

qlonglong MprisPlayerAdaptor::position() const {
    return player_.positionUs();
}

bool MprisPlayerAdaptor::canSeek() const {
    return player_.state().canSeek;
}

double MprisPlayerAdaptor::volume() const {
    return player_.state().volume;
}

void MprisPlayerAdaptor::setVolume(double volume) {
    player_.setVolume(volume);
}

bool MprisPlayerAdaptor::canGoNext() const {
    return player_.state().canGoNext;
}

bool MprisPlayerAdaptor::canGoPrevious() const {
    return player_.state().canGoPrevious;
}

bool MprisPlayerAdaptor::canPlay() const {
    return player_.state().canPlay;
}

bool MprisPlayerAdaptor::canPause() const {
    return player_.state().canPause;
}

void MprisPlayerAdaptor::Next() {
    player_.next();
}

void MprisPlayerAdaptor::Previous() {
    player_.previous();
}

void MprisPlayerAdaptor::Pause() {
    player_.pause();
}

void MprisPlayerAdaptor::PlayPause() {
    player_.playPause();
}

void MprisPlayerAdaptor::Stop() {
    player_.stop();
}

void MprisPlayerAdaptor::Play() {
    player_.play();
}

// A live stream has no position to move to.
void MprisPlayerAdaptor::Seek(qlonglong offset) {
    player_.seek(offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& track, qlonglong position) {
    player_.setPosition(track.path(), position);
}

// No address schemes are offered (SupportedUriSchemes is empty): nothing to open.
void MprisPlayerAdaptor::OpenUri(const QString&) {}

} // namespace orvanto
