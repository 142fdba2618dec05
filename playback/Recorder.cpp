#include "playback/Recorder.h"

#include "playback/RecordingFile.h"
#include "playback/RecordingName.h"
#include "playback/StreamPlayer.h"

#include <QDir>

namespace orvanto {

Recorder::Recorder(StreamPlayer& player, QObject* parent) : QObject(parent), player_(player) {}

Recorder::~Recorder() {
    if (file_) {
        player_.setTap(nullptr);
    }
    file_.reset(); // each file finishes what is queued first
    finishing_.clear();
}

QString Recorder::start(const Request& request) {
    if (file_) {
        return QStringLiteral("A recording is already under way.");
    }
    if (!player_.readsOwnStream()) {
        return QStringLiteral("This stream cannot be recorded: only streams the viewer reads "
                              "itself can be, and this one (HLS, DASH, MMS or RTSP) is read by "
                              "the player.");
    }
    if (!request.folder.isEmpty() && !QDir().mkpath(request.folder)) {
        return QStringLiteral("The folder %1 cannot be made.").arg(request.folder);
    }
    const quint64 id = ++lastId_;
    auto namer = [request](const QByteArray& first) {
        const QString extension = RecordingName::extensionFor(first);
        return RecordingName::folderFor(RecordingName::isVideo(extension), request.folder) + u'/' +
               RecordingName::fileName(request.channel, request.programme, request.start,
                                       extension);
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

void Recorder::stop() {
    if (!file_) {
        return;
    }
    player_.setTap(nullptr);
    file_->finish();
    finishing_.push_back({lastId_, std::move(file_)});
    Q_EMIT recordingChanged(false);
}

qint64 Recorder::bytesWritten() const {
    return file_ ? file_->bytesWritten() : 0;
}

QString Recorder::path() const {
    return file_ ? file_->path() : QString();
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
