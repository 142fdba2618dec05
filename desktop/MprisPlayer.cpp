#include "desktop/MprisPlayer.h"

#include "catalogue/Catalogue.h"
#include "catalogue/ProgrammeNow.h"
#include "playback/ArchivePlayback.h"
#include "playback/FailoverPlayer.h"
#include "playback/LivePause.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayState.h"
#include "playback/Recorder.h"
#include "window/StationPages.h"
#include "window/Transport.h"

#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace orvanto {

namespace {

// A list's logo as an address the desktop can load: http(s), or a file; nothing else.
QString artUrl(const QString& logo) {
    if (logo.startsWith(u'/')) {
        return QUrl::fromLocalFile(logo).toString(QUrl::FullyEncoded);
    }
    const QUrl url(logo, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https" || scheme == u"file")
               ? url.toString(QUrl::FullyEncoded)
               : QString();
}

} // namespace

MprisPlayer::MprisPlayer(const Parts& parts, QObject* parent)
    : QObject(parent), parts_(parts), guide_(parts.guide), archive_(parts.archive) {
    MediaPlayer& player = parts_.player;
    connect(&player, &MediaPlayer::playStateChanged, this, &MprisPlayer::refresh);
    connect(&player, &MediaPlayer::volumeChanged, this, &MprisPlayer::refresh);
    connect(&player, &MediaPlayer::nowPlayingChanged, this, &MprisPlayer::refresh);
    connect(&parts_.failover, &FailoverPlayer::channelChanged, this, &MprisPlayer::refresh);
    if (guide_) {
        connect(guide_, &ProgrammeNow::changed, this, &MprisPlayer::refresh);
    }
    if (archive_) {
        connect(archive_, &ArchivePlayback::changed, this, &MprisPlayer::refresh);
        connect(archive_, &ArchivePlayback::sought, this,
                [this](qint64 seconds) { Q_EMIT seeked(seconds * 1000000); });
    }
    if (parts_.recorder) {
        connect(parts_.recorder, &Recorder::recordingChanged, this, &MprisPlayer::refresh);
    }
    trackChannel_ = parts_.failover.channel();
    state_ = current();
}

void MprisPlayer::refresh() {
    if (parts_.failover.channel() != trackChannel_) {
        trackChannel_ = parts_.failover.channel();
        ++trackNumber_; // another channel is another track
    }
    const MprisState now = current();
    const MprisChanges changes = changedProperties(state_, now);
    state_ = now;
    if (!changes.isEmpty()) {
        Q_EMIT changed(changes);
    }
}

MprisState MprisPlayer::current() const {
    MprisState state;
    const int playState = parts_.player.playState();
    if (parts_.failover.isTrying() || playState == PlayState::Playing ||
        playState == PlayState::Buffering || playState == PlayState::Transitioning ||
        playState == PlayState::Waiting || playState == PlayState::Reconnecting) {
        state.playbackStatus = QStringLiteral("Playing");
    } else if (playState == PlayState::Paused) {
        state.playbackStatus = QStringLiteral("Paused");
    }
    state.volume = parts_.player.volume() / 100.0;
    const bool paged = !parts_.pages.neighbour({}, 1).isEmpty();
    state.canGoNext = paged;
    state.canGoPrevious = paged;
    state.canPlay = paged || !parts_.player.URL().isEmpty() || !steppingFrom().isEmpty();
    const bool pausedLive =
        playState == PlayState::Paused && parts_.livePause && parts_.livePause->canPause();
    state.canPause = state.playbackStatus == QLatin1String("Playing") || pausedLive;
    state.canSeek = archive_ && archive_->canSeek();
    state.fullscreen = parts_.player.isFullScreen();
    state.track = currentTrack();
    return state;
}

MprisState::Track MprisPlayer::currentTrack() const {
    MprisState::Track track;
    const QString& channel = parts_.failover.channel();
    const int index =
        channel.isEmpty() ? Catalogue::NotFound : parts_.catalogue.FindStation(channel);
    if (index == Catalogue::NotFound) {
        track.id = MprisState::noTrackId();
        track.title = parts_.player.nowPlaying();
        return track;
    }
    const Station& station = parts_.catalogue.station(index);
    track.id = QStringLiteral("/org/example/OrvantoTV/channel/%1").arg(trackNumber_);
    track.channel = station.Name;
    track.artUrl = artUrl(station.Tags.logo());
    if (archive_ && archive_->isActive()) {
        // A programme of the archive: its own track, with its title and length.
        const ArchiveProgramme& programme = archive_->programme();
        track.id = QStringLiteral("/org/example/OrvantoTV/archive/%1/%2")
                       .arg(trackNumber_)
                       .arg(programme.start);
        track.title = programme.title.isEmpty() ? station.Name : programme.title;
        track.lengthUs = archive_->lengthSeconds() * 1000000;
        return track;
    }
    track.recording = parts_.recorder && parts_.recorder->isRecording();
    track.title = parts_.player.nowPlaying();
    if (track.title.isEmpty() && guide_) {
        track.title = guide_->titleNow(station);
    }
    if (track.title.isEmpty()) {
        track.title = station.Name;
    }
    return track;
}

// Where Next and Previous start from: the channel chosen last, even when it has stopped.
QString MprisPlayer::steppingFrom() const {
    if (!parts_.failover.channel().isEmpty()) {
        return parts_.failover.channel();
    }
    const auto& last = parts_.failover.CurrentStation();
    return last ? last->Name : QString();
}

void MprisPlayer::play() {
    if (state_.playbackStatus == QLatin1String("Playing")) {
        return;
    }
    if (parts_.livePause && parts_.livePause->isPaused()) {
        parts_.livePause->resume();
        refresh();
        return;
    }
    parts_.transport.play();
    if (parts_.player.URL().isEmpty()) {
        // Nothing was played yet: the channel chosen last, else the pages' first.
        const QString from = steppingFrom();
        const QString name = from.isEmpty() ? parts_.pages.neighbour({}, 1) : from;
        if (!name.isEmpty()) {
            parts_.failover.SelectStation(name, 0);
        }
    }
    refresh();
}

void MprisPlayer::pause() {
    if (parts_.livePause && parts_.livePause->canPause() && !parts_.failover.isTrying()) {
        if (parts_.livePause->pause().isEmpty()) {
            refresh();
            return;
        }
    }
    stop();
}

void MprisPlayer::playPause() {
    if (state_.playbackStatus == QLatin1String("Playing")) {
        pause();
    } else {
        play();
    }
}

void MprisPlayer::stop() {
    parts_.transport.stop();
    refresh();
}

void MprisPlayer::next() {
    step(1);
}

void MprisPlayer::previous() {
    step(-1);
}

void MprisPlayer::step(int step) {
    const QString name = parts_.pages.neighbour(steppingFrom(), step);
    if (!name.isEmpty()) {
        parts_.failover.SelectStation(name, 0);
    }
}

void MprisPlayer::setVolume(double volume) {
    if (std::isnan(volume)) {
        return;
    }
    parts_.transport.setVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

void MprisPlayer::setFullscreen(bool on) {
    parts_.player.setFullScreen(on);
    refresh();
}

void MprisPlayer::raise() {
    QWidget& window = parts_.window;
    if (window.isMinimized()) {
        window.showNormal();
    }
    window.show();
    window.raise();
    window.activateWindow();
}

void MprisPlayer::quit() {
    parts_.window.close();
}

qint64 MprisPlayer::positionUs() const {
    return archive_ && archive_->isActive() ? archive_->positionSeconds() * 1000000 : 0;
}

void MprisPlayer::seek(qint64 offsetUs) {
    if (archive_ && archive_->canSeek()) {
        archive_->seek(archive_->positionSeconds() + offsetUs / 1000000);
    }
}

void MprisPlayer::setPosition(const QString& trackId, qint64 positionUs) {
    // MPRIS: a position for another track, or outside the track, is ignored.
    if (archive_ && archive_->canSeek() && trackId == state_.track.id && positionUs >= 0 &&
        positionUs <= state_.track.lengthUs) {
        archive_->seek(positionUs / 1000000);
    }
}

} // namespace orvanto
