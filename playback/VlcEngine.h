#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>

namespace orvanto {

// The one place that talks to libVLC: an instance with one media player, used on the GUI thread
// only. libVLC reports from its own threads (and a few times synchronously from inside play()
// and stop()); those reports are only posted to the GUI thread, where event() delivers them.
// Reports about an earlier media are dropped, so after play() or stop() returns nothing of the
// media before arrives any more.
class VlcEngine : public QObject {
    Q_OBJECT
public:
    enum class Event {
        Opening,
        Buffering, // value: cache fill in percent
        Playing,   // the input is open (not yet proof that anything decodes)
        Paused,
        Ended,       // the media ended (or turned out to be a playlist: see subItems())
        Error,       // the media cannot be opened, or broke off with an error
        TimeChanged, // value: play time in ms
        Vout,        // value: number of video outputs
    };

    struct Stats {
        quint32 readBytes = 0; // bytes read from the source; a 32-bit count that wraps
        int decodedAudio = 0;  // audio blocks decoded
        int decodedVideo = 0;  // video frames decoded
    };

    // `dummyOutputs`: libVLC's dummy audio and video outputs (tests, headless runs);
    // `noVideo`: dummy video output only (platforms without window embedding).
    VlcEngine(bool dummyOutputs, bool noVideo, QObject* parent = nullptr);
    ~VlcEngine() override;

    // False when libVLC could not be started; play() then reports Error.
    bool isValid() const;

    // Stops whatever plays and starts `location` (an address, or a local file path when
    // `isLocalPath`).
    void play(const QString& location, bool isLocalPath);
    void stop();

    Stats stats() const;
    // The addresses libVLC found inside the current media when it was a playlist.
    QList<QUrl> subItems() const;
    bool hasVideo() const;
    // libVLC accepts a volume only while an audio output exists: returns false when refused.
    bool setVolume(int volume);
    bool setMuted(bool muted);
    // The video's scale (0: fitted to the window) and aspect ratio (empty: the stream's own).
    // Both hold for the media played after them too.
    void setScale(float scale);
    float scale() const;
    void setAspectRatio(const QByteArray& ratio);
    QByteArray aspectRatio() const;
    // The X11 window the video is drawn into (0: none); takes effect with the next play().
    void setVideoWindow(quintptr window);

Q_SIGNALS:
    // Named apart from QObject::event(), which it would otherwise hide.
    void engineEvent(orvanto::VlcEngine::Event event, qint64 value);

private:
    struct Private;
    void deliver(quint64 generation, Event event, qint64 value);

    std::unique_ptr<Private> d_;
};

} // namespace orvanto
