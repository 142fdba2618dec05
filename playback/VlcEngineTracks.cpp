// What the current media holds: its tracks and their codecs, the entries of a playlist libVLC
// read, the now-playing title, and the audio and subtitle tracks to choose from.

#include "playback/VlcEngine_p.h"

namespace orvanto {

VlcEngine::Tracks VlcEngine::tracks() const {
    Tracks result;
    if (!d_->media) {
        return result;
    }
    libvlc_media_track_t** tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(d_->media, &tracks);
    for (unsigned i = 0; i < count; ++i) {
        const libvlc_media_track_t* track = tracks[i];
        if (track->i_type != libvlc_track_audio && track->i_type != libvlc_track_video) {
            continue;
        }
        const char* description = libvlc_media_get_codec_description(track->i_type, track->i_codec);
        result.codecs << (description && *description
                              ? QString::fromUtf8(description)
                              : QString::fromLatin1(reinterpret_cast<const char*>(&track->i_codec),
                                                    4)
                                    .trimmed());
        if (track->i_type == libvlc_track_video && !result.videoSize.isValid() && track->video &&
            track->video->i_width > 0) {
            result.videoSize = QSize(int(track->video->i_width), int(track->video->i_height));
        }
    }
    if (count > 0) {
        libvlc_media_tracks_release(tracks, count);
    }
    return result;
}

QList<QUrl> VlcEngine::subItems() const {
    QList<QUrl> result;
    if (!d_->media) {
        return result;
    }
    libvlc_media_list_t* list = libvlc_media_subitems(d_->media);
    if (!list) {
        return result;
    }
    libvlc_media_list_lock(list);
    const int count = libvlc_media_list_count(list);
    for (int i = 0; i < count; ++i) {
        libvlc_media_t* item = libvlc_media_list_item_at_index(list, i);
        if (!item) {
            continue;
        }
        if (char* mrl = libvlc_media_get_mrl(item)) {
            result << QUrl(QString::fromUtf8(mrl), QUrl::TolerantMode);
            libvlc_free(mrl);
        }
        libvlc_media_release(item);
    }
    libvlc_media_list_unlock(list);
    libvlc_media_list_release(list);
    return result;
}

QString VlcEngine::nowPlaying() const {
    return d_->nowPlaying;
}

// The radio's own title where the stream is read from a connection of ours, else libVLC's.
void VlcEngine::readNowPlaying() {
    QString title = d_->connection ? d_->connection->title() : QString();
    if (title.isEmpty() && d_->media) {
        if (char* text = libvlc_media_get_meta(d_->media, libvlc_meta_NowPlaying)) {
            title = QString::fromUtf8(text).trimmed();
            libvlc_free(text);
        }
    }
    if (title != d_->nowPlaying) {
        d_->nowPlaying = title;
        Q_EMIT nowPlayingChanged();
    }
}

QList<MediaTrack> VlcEngine::tracks(TrackKind kind) const {
    QList<MediaTrack> result;
    if (!d_->player) {
        return result;
    }
    libvlc_track_description_t* list = kind == TrackKind::Audio
                                           ? libvlc_audio_get_track_description(d_->player)
                                           : libvlc_video_get_spu_description(d_->player);
    for (const libvlc_track_description_t* track = list; track; track = track->p_next) {
        if (track->i_id >= 0) { // not libVLC's own "Disable"
            result << MediaTrack{track->i_id, QString::fromUtf8(track->psz_name)};
        }
    }
    if (list) {
        libvlc_track_description_list_release(list);
    }
    return result;
}

int VlcEngine::currentTrack(TrackKind kind) const {
    if (!d_->player) {
        return MediaTrack::Off;
    }
    const int id = kind == TrackKind::Audio ? libvlc_audio_get_track(d_->player)
                                            : libvlc_video_get_spu(d_->player);
    return id >= 0 ? id : MediaTrack::Off;
}

bool VlcEngine::setTrack(TrackKind kind, int id) {
    if (!d_->player) {
        return false;
    }
    return (kind == TrackKind::Audio ? libvlc_audio_set_track(d_->player, id)
                                     : libvlc_video_set_spu(d_->player, id)) == 0;
}

void VlcEngine::setMaxHeight(int height) {
    d_->maxHeight = height > 0 ? height : 0;
}

} // namespace orvanto
