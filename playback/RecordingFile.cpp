#include "playback/RecordingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanto {

namespace {

int createNew(const QString& path) {
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  0644);
}

// `path` with " (n)" before its extension.
QString numbered(const QString& path, int n) {
    if (n == 1) {
        return path;
    }
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? path : path.chopped(suffix.size() + 1);
    return stem + QStringLiteral(" (%1)").arg(n) + (suffix.isEmpty() ? QString() : u'.' + suffix);
}

QString writeError(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("The disk is full.");
    case EFBIG:
        return QStringLiteral("The file has grown as big as its file system allows.");
    default:
        return QStringLiteral("The recording could not be written: %1.")
            .arg(qt_error_string(error));
    }
}

} // namespace

RecordingFile::RecordingFile(Namer namer, std::function<void(const Outcome&)> ended, Opener opener)
    : namer_(std::move(namer)), ended_(std::move(ended)),
      opener_(opener ? std::move(opener) : Opener(&createNew)) {
    writer_ = std::thread([this] { run(); });
}

RecordingFile::~RecordingFile() {
    finish();
    writer_.join();
}

void RecordingFile::take(const char* data, qint64 size) {
    const std::lock_guard lock(mutex_);
    if (refusing_ || finishing_ || size <= 0) {
        return;
    }
    if (queuedBytes_ + size > MaxQueuedBytes) {
        refusing_ = true;
        tooSlow_ = QStringLiteral("The disk does not keep up with the stream.");
    } else {
        queue_.emplace_back(data, qsizetype(size));
        queuedBytes_ += size;
    }
    wake_.notify_one();
}

void RecordingFile::finish() {
    const std::lock_guard lock(mutex_);
    finishing_ = true;
    wake_.notify_one();
}

QString RecordingFile::path() const {
    const std::lock_guard lock(mutex_);
    return path_;
}

void RecordingFile::run() {
    QByteArray head; // what came before the file was made
    while (true) {
        std::deque<QByteArray> batch;
        bool finishing = false;
        QString tooSlow;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock,
                       [this] { return !queue_.empty() || finishing_ || !tooSlow_.isEmpty(); });
            batch.swap(queue_);
            queuedBytes_ = 0;
            finishing = finishing_;
            tooSlow = tooSlow_;
        }
        for (const QByteArray& bytes : batch) {
            if (descriptor_ >= 0) {
                if (!writeOut(bytes)) {
                    return;
                }
                continue;
            }
            head += bytes;
            if (head.size() >= FirstBytes) {
                if (!openFor(head) || !writeOut(head)) {
                    return;
                }
                head.clear();
            }
        }
        if (!tooSlow.isEmpty()) {
            fail(tooSlow);
            return;
        }
        struct stat status {};
        if (descriptor_ >= 0 && ::fstat(descriptor_, &status) == 0 && status.st_nlink == 0) {
            fail(QStringLiteral("The recording's file was removed."));
            return;
        }
        if (finishing) {
            if (!head.isEmpty() && (!openFor(head) || !writeOut(head))) {
                return;
            }
            close();
            return;
        }
    }
}

int RecordingFile::create(const QString& path, const Opener& opener, QString* made,
                          QString* error) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("The folder %1 cannot be made.").arg(folder);
        return -1;
    }
    for (int n = 1; n <= MaxNameTries; ++n) {
        const QString candidate = numbered(path, n);
        const int descriptor = opener ? opener(candidate) : createNew(candidate);
        if (descriptor >= 0) {
            *made = candidate;
            return descriptor;
        }
        if (errno != EEXIST) {
            *error = QStringLiteral("The file %1 cannot be made: %2.")
                         .arg(candidate, qt_error_string(errno));
            return -1;
        }
    }
    *error = QStringLiteral("The folder %1 already holds %2 recordings of that name.")
                 .arg(folder)
                 .arg(MaxNameTries);
    return -1;
}

bool RecordingFile::openFor(const QByteArray& first) {
    QString made;
    QString error;
    const int descriptor = create(namer_(first), opener_, &made, &error);
    if (descriptor < 0) {
        fail(error);
        return false;
    }
    descriptor_ = descriptor;
    const std::lock_guard lock(mutex_);
    path_ = made;
    return true;
}

bool RecordingFile::writeOut(const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(descriptor_, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(writeError(errno));
            return false;
        }
        data += n;
        left -= n;
        written_ += n;
    }
    return true;
}

void RecordingFile::fail(const QString& reason) {
    if (descriptor_ >= 0) {
        ::close(descriptor_); // what was written stays
        descriptor_ = -1;
    }
    {
        const std::lock_guard lock(mutex_);
        refusing_ = true;
        queue_.clear();
        queuedBytes_ = 0;
    }
    ended_({.failed = true, .reason = reason, .path = path(), .bytes = written_.load()});
}

void RecordingFile::close() {
    if (descriptor_ >= 0) {
        // A file system that reports a failed write only now (a full disk over NFS) says so.
        const bool synced = ::fdatasync(descriptor_) == 0 || errno == EINVAL;
        const int syncError = errno;
        const bool closed = ::close(descriptor_) == 0;
        const int closeError = errno;
        descriptor_ = -1;
        if (!synced || !closed) {
            const int error = !synced ? syncError : closeError;
            ended_({.failed = true,
                    .reason = writeError(error),
                    .path = path(),
                    .bytes = written_.load()});
            return;
        }
    }
    const qint64 bytes = written_.load();
    ended_({.failed = bytes == 0,
            .reason = bytes == 0 ? QStringLiteral("Nothing came to record.") : QString(),
            .path = path(),
            .bytes = bytes});
}

} // namespace orvanto
