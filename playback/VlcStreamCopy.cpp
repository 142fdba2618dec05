#include "playback/VlcStreamCopy.h"

#include "playback/VlcEngine_p.h"

#include <QElapsedTimer>
#include <QTimer>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vlc/vlc.h>

namespace orvanto {

namespace {

constexpr int WatchMs = 1000;
// Opened again this long after it ended or failed; given up when the file has not grown for
// GiveUpMs (the player's own outage rules give up sooner).
constexpr int ReopenAfterMs = 2000;
constexpr int GiveUpMs = 30000;
// Less free room than this on the file's disk: it is full for us.
constexpr qint64 MinFreeBytes = 4 * 1024 * 1024;

// libVLC's stream output remuxing into MPEG-TS: no decoding, no picture, no sound. It writes to
// the file the caller made, through /dev/fd, so that no path (with the quotes and braces a name
// may hold) goes into the output chain; appending, so that a reopening goes on after what was
// written.
class VlcStreamCopy final : public StreamCopy {
public:
    VlcStreamCopy(libvlc_instance_t* vlc, const MediaSource& source, int descriptor)
        : vlc_(vlc), source_(source), descriptor_(descriptor),
          player_(libvlc_media_player_new(vlc)) {
        watch_.setInterval(WatchMs);
        connect(&watch_, &QTimer::timeout, this, &VlcStreamCopy::check);
    }
    ~VlcStreamCopy() override {
        stop();
        if (player_) {
            libvlc_media_player_release(player_);
        }
    }

    bool start() {
        if (!player_ || !open()) {
            return false;
        }
        sinceGrowth_.start();
        watch_.start();
        return true;
    }

    void stop() override {
        watch_.stop();
        if (player_) {
            libvlc_media_player_stop(player_);
        }
        if (media_) {
            libvlc_media_release(media_);
            media_ = nullptr;
        }
        if (descriptor_ >= 0) {
            size_ = bytesWritten();
            ::fdatasync(descriptor_);
            ::close(descriptor_);
            descriptor_ = -1;
        }
    }

    void follow(const QString& location) override {
        if (location == source_.location || descriptor_ < 0) {
            return;
        }
        source_.location = location;
        if (!open()) {
            end(QStringLiteral("The stream could not be opened again."));
        }
    }
    QString location() const override { return source_.location; }

    qint64 bytesWritten() const override {
        struct stat status {};
        return descriptor_ >= 0 && ::fstat(descriptor_, &status) == 0 ? qint64(status.st_size)
                                                                      : size_;
    }

private:
    bool open() {
        if (media_) {
            libvlc_media_player_stop(player_);
            libvlc_media_release(media_);
        }
        media_ = libvlc_media_new_location(vlc_, source_.location.toUtf8().constData());
        if (!media_) {
            return false;
        }
        const QByteArray output = ":sout=#std{access=file{append},mux=ts,dst=/dev/fd/" +
                                  QByteArray::number(descriptor_) + "}";
        libvlc_media_add_option(media_, output.constData());
        libvlc_media_add_option(media_, ":sout-all"); // every track, not just the first
        libvlc_media_add_option(media_, ":no-sout-display");
        addHeaderOptions(media_, source_.headers);
        libvlc_media_player_set_media(player_, media_);
        reopenAt_ = -1;
        return libvlc_media_player_play(player_) == 0;
    }

    void check() {
        struct stat status {};
        if (::fstat(descriptor_, &status) != 0) {
            end(QStringLiteral("The recording's file was removed."));
            return;
        }
        // A file's disk and links; a pipe (a paused channel's copy) has neither, and the copy
        // goes on while libVLC reads.
        qint64 progress = 0;
        if (S_ISREG(status.st_mode)) {
            if (status.st_nlink == 0) {
                end(QStringLiteral("The recording's file was removed."));
                return;
            }
            struct statvfs disk {};
            if (::fstatvfs(descriptor_, &disk) == 0 &&
                qint64(disk.f_bavail) * qint64(disk.f_frsize) < MinFreeBytes) {
                end(QStringLiteral("The disk is full."));
                return;
            }
            size_ = qMax(size_, qint64(status.st_size));
            progress = size_;
        } else if (libvlc_media_stats_t stats{}; media_ && libvlc_media_get_stats(media_, &stats)) {
            progress = stats.i_read_bytes;
        }
        if (progress != progress_) {
            progress_ = progress;
            sinceGrowth_.restart();
        }
        const libvlc_state_t state = libvlc_media_player_get_state(player_);
        if (state != libvlc_Ended && state != libvlc_Error) {
            return;
        }
        if (sinceGrowth_.elapsed() > GiveUpMs) {
            end(QStringLiteral("The stream could not be opened again."));
        } else if (reopenAt_ < 0) {
            reopenAt_ = sinceGrowth_.elapsed() + ReopenAfterMs;
        } else if (sinceGrowth_.elapsed() >= reopenAt_ && !open()) {
            end(QStringLiteral("The stream could not be opened again."));
        }
    }

    void end(const QString& reason) {
        stop();
        Q_EMIT ended(reason);
    }

    libvlc_instance_t* vlc_;
    MediaSource source_;
    int descriptor_;
    libvlc_media_player_t* player_;
    libvlc_media_t* media_ = nullptr;
    QTimer watch_;
    QElapsedTimer sinceGrowth_;
    qint64 reopenAt_ = -1; // on sinceGrowth_'s clock; -1: no reopening waits
    qint64 size_ = 0;
    qint64 progress_ = 0; // the file's size, or what libVLC read of the current media
};

} // namespace

std::unique_ptr<StreamCopy> copyStream(libvlc_instance_t* vlc, const MediaSource& source,
                                       int descriptor) {
    auto copy = std::make_unique<VlcStreamCopy>(vlc, source, descriptor);
    if (!copy->start()) {
        return nullptr; // the descriptor is closed with it
    }
    return copy;
}

} // namespace orvanto
