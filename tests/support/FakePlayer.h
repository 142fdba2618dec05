#pragma once

#include "playback/MediaPlayer.h"
#include "playback/PlayState.h"

#include <QStringList>
#include <functional>

namespace orvanto::test {

// A media player whose state the test sets. Like the real one it notifies synchronously when
// setURL() or stop() change the state, and once per change only.
class FakePlayer final : public MediaPlayer {
    Q_OBJECT
public:
    using MediaPlayer::MediaPlayer;

    void setURL(const StreamAddress& address) override;
    QString URL() const override { return url_; }
    StreamAddress address() const override { return {url_, headers_}; }
    void stop() override;
    int playState() const override { return state_; }
    qint64 positionMs() const override { return position; }
    qint64 lengthMs() const override { return length; }
    bool canSeek() const override { return seekable; }
    bool seek(qint64 ms) override {
        if (!seekable) {
            return false;
        }
        seeks << ms;
        position = ms;
        return true;
    }
    int refusalStatus() const override { return refusal; }
    qint64 receivedPackets() const override { return packets; }
    void setVolume(int volume) override;
    int volume() const override { return volume_; }
    void setMuted(bool muted) override { muted_ = muted; }
    bool isMuted() const override { return muted_; }
    void setVideoZoom(VideoZoom zoom) override { zoom_ = zoom; }
    VideoZoom videoZoom() const override { return zoom_; }
    void setAspectRatio(AspectRatio ratio) override { ratio_ = ratio; }
    AspectRatio aspectRatio() const override { return ratio_; }
    bool setFullScreen(bool on) override;
    bool isFullScreen() const override { return fullScreen_; }
    QString nowPlaying() const override { return title_; }
    bool showsPicture() const override { return picture_; }
    QList<MediaTrack> tracks(TrackKind kind) const override {
        return kind == TrackKind::Audio ? audioTracks : subtitleTracks;
    }
    int currentTrack(TrackKind kind) const override {
        return kind == TrackKind::Audio ? audioTrack : subtitleTrack;
    }
    void chooseTrack(TrackKind kind, int id) override {
        (kind == TrackKind::Audio ? audioTrack : subtitleTrack) = id;
    }
    QList<int> qualities() const override { return heights; }
    int quality() const override { return height; }
    void chooseQuality(int value) override { height = value; }
    void forgetChoices() override { ++forgetCount; }

    // What the engine would report: a title of the stream, a picture shown or gone.
    void setNowPlaying(const QString& title);
    void setPicture(bool showing);

    // Changes the state as the engine would, notifying when the number changes.
    void setState(int state);

    // Called after each setURL(), for tests that script the outcome per address.
    std::function<void(const QString& url)> onOpen;

    QStringList openedUrls;           // every setURL(), in order
    QList<HttpHeaders> openedHeaders; // the headers of each
    int stopCount = 0;
    qint64 packets = 0;
    int stateOnOpen = PlayState::Transitioning;
    bool canFullScreen = false;
    QList<MediaTrack> audioTracks;
    QList<MediaTrack> subtitleTracks;
    int audioTrack = MediaTrack::Off;
    int subtitleTrack = MediaTrack::Off;
    QList<int> heights;
    int height = 0;
    int forgetCount = 0;
    qint64 position = 0;
    qint64 length = 0;
    bool seekable = false;
    QList<qint64> seeks;
    int refusal = 0; // setURL() sets it from refusalOnOpen
    std::function<int(const QString& url)> refusalOnOpen;

private:
    QString url_;
    HttpHeaders headers_;
    int state_ = PlayState::Undefined;
    int volume_ = 50;
    bool fullScreen_ = false;
    bool muted_ = false;
    VideoZoom zoom_ = VideoZoom::Fit;
    AspectRatio ratio_ = AspectRatio::Default;
    QString title_;
    bool picture_ = false;
};

} // namespace orvanto::test
