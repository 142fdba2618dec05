#include "playback/Recorder.h"

#include "playback/PlayState.h"
#include "playback/RecordingFile.h"
#include "playback/RecordingName.h"
#include "playback/StreamCopy.h"
#include "playback/StreamPlayer.h"

#include <QDir>
#include <QFile>

namespace orvanto {

namespace {

// The file chosen by the user, else one named and placed after what it holds.
QString pathFor(const Recorder::Request& request, const QString& extension) {
    if (!request.path.isEmpty()) {
        return request.path;
    }
    return RecordingName::folderFor(RecordingName::isVideo(extension), request.folder) + u'/' +
           RecordingName::fileName(request.channel, request.programme, request.start, extension);
}

} // namespace

Recorder::Recorder(StreamPlayer& player, QObject* parent) : QObject(parent), player_(player) {
    // A copy follows the player to another address of the channel that the engine reads itself.
    connect(&player_, &StreamPlayer::playStateChanged, this, [this](int state) {
        if (copy_ && state == PlayState::Playing && !player_.readsOwnStream()) {
            const MediaSource source = player_.entrySource();
            if (!source.isLocalPath && source.location != copy_->location()) {
                copy_->follow(source.location);
            }
        }
    });
}

Recorder::~Recorder() {
    if (file_) {
        player_.setTap(nullptr);
    }
    file_.reset(); // each file finishes what is queued first
    finishing_.clear();
}

QString Recorder::start(const Request& request) {
    if (isRecording()) {
        return QStringLiteral("A recording is already under way.");
    }
    if (!request.folder.isEmpty() && !QDir().mkpath(request.folder)) {
        return QStringLiteral("The folder %1 cannot be made.").arg(request.folder);
    }
    if (!player_.readsOwnStream()) {
        return startCopy(request);
    }
    const quint64 id = ++lastId_;
    auto namer = [request](const QByteArray& first) {
        return pathFor(request, RecordingName::extensionFor(first));
    };
    // Called on the file's writer thread; the report is taken on this object's.
    auto ended = [this, id](const RecordingFile::Outcome& outcome) {
        QMetaObject::invokeMethod(
            this,
            [this, id, outcome] {
                onEnded(id, outcome.failed, outcome.path, outcome.bytes, outcome.reason);
            },
            Qt::QueuedConnection);
    };
    file_ = std::make_shared<RecordingFile>(std::move(namer), std::move(ended));
    player_.setTap(file_);
    Q_EMIT recordingChanged(true);
    return {};
}

QString Recorder::startCopy(const Request& request) {
    const QString wanted = pathFor(request, QStringLiteral("ts")); // a remux into MPEG-TS
    QString made;
    QString error;
    const int descriptor = RecordingFile::create(wanted, {}, &made, &error);
    if (descriptor < 0) {
        return error;
    }
    copy_ = player_.copyTo(descriptor);
    if (!copy_) {
        QFile::remove(made);
        return QStringLiteral("Nothing plays that can be recorded.");
    }
    copyPath_ = made;
    connect(copy_.get(), &StreamCopy::ended, this, &Recorder::endCopy);
    Q_EMIT recordingChanged(true);
    return {};
}

// The copy stops, by itself (`reason`) or asked to.
void Recorder::endCopy(const QString& reason) {
    const qint64 bytes = copy_->bytesWritten();
    copy_->stop();
    copy_.release()->deleteLater(); // it may be the copy that reports
    if (bytes == 0) {
        QFile::remove(copyPath_);
    }
    const QString path = bytes > 0 ? std::exchange(copyPath_, {}) : QString();
    copyPath_.clear();
    Q_EMIT recordingChanged(false);
    const QString why =
        !reason.isEmpty() || bytes > 0 ? reason : QStringLiteral("Nothing came to record.");
    // After the caller's turn, as for a file finished on its own thread.
    QMetaObject::invokeMethod(
        this, [this, path, bytes, why] { Q_EMIT ended(path, bytes, why); }, Qt::QueuedConnection);
}

void Recorder::stop() {
    if (copy_) {
        endCopy({});
        return;
    }
    if (!file_) {
        return;
    }
    player_.setTap(nullptr);
    file_->finish();
    finishing_.push_back({lastId_, std::move(file_)});
    Q_EMIT recordingChanged(false);
}

qint64 Recorder::bytesWritten() const {
    return file_ ? file_->bytesWritten() : copy_ ? copy_->bytesWritten() : 0;
}

QString Recorder::path() const {
    return file_ ? file_->path() : copyPath_;
}

void Recorder::onEnded(quint64 id, bool failed, const QString& path, qint64 bytes,
                       const QString& reason) {
    if (file_ && id == lastId_) {
        // It failed while recording.
        player_.setTap(nullptr);
        file_.reset();
        Q_EMIT recordingChanged(false);
    } else {
        std::erase_if(finishing_, [id](const Finishing& f) { return f.id == id; });
    }
    Q_EMIT ended(path, bytes, failed ? reason : QString());
}

} // namespace orvanto
