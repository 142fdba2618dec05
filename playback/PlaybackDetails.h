#pragma once

#include "playback/MediaTrack.h"
#include "playback/TrackChoices.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

namespace orvanto {

class PlayerEngine;
class StreamPlayer;
class VariantProbe;

// What is known of the media that plays beyond its play state, over the player's rules and its
// engine: the stream's own title, whether a picture shows, its tracks and the qualities an
// adaptive stream offers, and the choices the user made among them, which hold for the
// addresses played after them until forgetChoices().
class PlaybackDetails : public QObject {
    Q_OBJECT
public:
    explicit PlaybackDetails(StreamPlayer& rules, QObject* parent = nullptr);
    ~PlaybackDetails() override;

    // Hands in the engine and, for the qualities, the probe; both outlive these details. The
    // probe may be null: no qualities are offered then.
    void attach(PlayerEngine& engine, VariantProbe* variants);

    const QString& nowPlaying() const { return nowPlaying_; }
    bool showsPicture() const { return picture_; }

    QList<MediaTrack> tracks(TrackKind kind) const;
    int currentTrack(TrackKind kind) const;
    void chooseTrack(TrackKind kind, int id);
    const QList<int>& qualities() const { return qualities_; }
    int quality() const { return choices_.maxHeight(); }
    void chooseQuality(int height);
    void forgetChoices();

Q_SIGNALS:
    void nowPlayingChanged(const QString& title);
    void pictureChanged(bool showing);

private:
    void onOpening();
    void onEntryStopped();
    void onTracks();
    void setNowPlaying(const QString& title);
    void updatePicture();

    StreamPlayer& rules_;
    QPointer<PlayerEngine> engine_;
    VariantProbe* variants_ = nullptr;
    TrackChoices choices_;
    QString nowPlaying_;
    bool picture_ = false;
    int vouts_ = 0;
    QUrl probed_; // the entry whose qualities are known (or looked for)
    QList<int> qualities_;
};

} // namespace orvanto
