#include "playback/PlaybackDetails.h"

#include "net/VariantList.h"
#include "net/VariantProbe.h"
#include "playback/PlayerEngine.h"
#include "playback/StreamPlayer.h"

namespace orvanto {

PlaybackDetails::PlaybackDetails(StreamPlayer& rules, QObject* parent)
    : QObject(parent), rules_(rules) {
    connect(&rules_, &StreamPlayer::aboutToOpen, this, &PlaybackDetails::onOpening);
    connect(&rules_, &StreamPlayer::entryStopped, this, &PlaybackDetails::onEntryStopped);
    connect(&rules_, &StreamPlayer::playStateChanged, this, &PlaybackDetails::updatePicture);
}

PlaybackDetails::~PlaybackDetails() {
    if (variants_) {
        variants_->abort();
    }
}

void PlaybackDetails::attach(PlayerEngine& engine, VariantProbe* variants) {
    engine_ = &engine;
    variants_ = variants;
    engine_->setMaxHeight(choices_.maxHeight());
    connect(engine_, &PlayerEngine::nowPlayingChanged, this,
            [this] { setNowPlaying(engine_->nowPlaying()); });
    connect(engine_, &PlayerEngine::tracksChanged, this, &PlaybackDetails::onTracks);
    connect(engine_, &PlayerEngine::engineEvent, this,
            [this](PlayerEngine::Event event, qint64 value) {
                if (event == PlayerEngine::Event::Vout) {
                    vouts_ = static_cast<int>(value);
                    updatePicture();
                }
            });
}

// An entry is about to be opened: a new one, or the same one again for another quality.
void PlaybackDetails::onOpening() {
    vouts_ = 0;
    setNowPlaying({});
    updatePicture();
    const QUrl entry = rules_.entryUrl();
    if (entry == probed_) {
        return; // reopened: its qualities are those of before
    }
    probed_ = entry;
    qualities_.clear();
    if (variants_) {
        variants_->abort();
        if (VariantList::mayBeAdaptive(entry)) {
            variants_->start(entry, rules_.entryHeaders(),
                             [this](const QList<int>& heights) { qualities_ = heights; });
        }
    }
}

void PlaybackDetails::onEntryStopped() {
    vouts_ = 0;
    setNowPlaying({});
    updatePicture();
}

void PlaybackDetails::onTracks() {
    for (const TrackKind kind : {TrackKind::Audio, TrackKind::Subtitle}) {
        const QList<MediaTrack> list = engine_->tracks(kind);
        const std::optional<int> wanted = choices_.pick(kind, list);
        if (wanted && *wanted != engine_->currentTrack(kind)) {
            engine_->setTrack(kind, *wanted);
        }
    }
}

QList<MediaTrack> PlaybackDetails::tracks(TrackKind kind) const {
    return engine_ ? engine_->tracks(kind) : QList<MediaTrack>();
}

int PlaybackDetails::currentTrack(TrackKind kind) const {
    return engine_ ? engine_->currentTrack(kind) : MediaTrack::Off;
}

void PlaybackDetails::chooseTrack(TrackKind kind, int id) {
    if (!engine_) {
        return;
    }
    choices_.choose(kind, engine_->tracks(kind), id);
    engine_->setTrack(kind, id);
}

void PlaybackDetails::chooseQuality(int height) {
    if (height == choices_.maxHeight()) {
        return;
    }
    choices_.setMaxHeight(height);
    if (!engine_) {
        return;
    }
    engine_->setMaxHeight(choices_.maxHeight());
    if (!qualities_.isEmpty() && rules_.entryUrl() == probed_) {
        rules_.reopen();
    }
}

void PlaybackDetails::forgetChoices() {
    choices_.clear();
    if (engine_) {
        engine_->setMaxHeight(0);
    }
}

void PlaybackDetails::setNowPlaying(const QString& title) {
    if (title != nowPlaying_) {
        nowPlaying_ = title;
        Q_EMIT nowPlayingChanged(nowPlaying_);
    }
}

void PlaybackDetails::updatePicture() {
    const bool showing = vouts_ > 0 && rules_.entryPlayed();
    if (showing != picture_) {
        picture_ = showing;
        Q_EMIT pictureChanged(picture_);
    }
}

} // namespace orvanto
