#include "catalogue/PlaylistSource.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

QString megabytes(qint64 bytes) {
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1) + u" MiB"_s;
}

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

QString openError(int error) {
    switch (error) {
    case ENOENT:
        return u"the file does not exist"_s;
    case EACCES:
        return u"the file may not be read (no permission)"_s;
    default:
        return u"the file cannot be opened (%1)"_s.arg(qt_error_string(error));
    }
}

} // namespace

QString playlistTooLarge(qint64 size) {
    QString reason = u"it is larger than %1 MiB"_s.arg(MaxPlaylistBytes / (1024 * 1024));
    if (size >= 0) {
        // Sizes that one decimal would round down to the bound itself are given in bytes.
        constexpr qint64 tenthMiB = 1024 * 1024 / 10;
        reason += u" (%1)"_s.arg(size - MaxPlaylistBytes < tenthMiB
                                     ? QLocale(QLocale::English).toString(size) + u" bytes"_s
                                     : megabytes(size));
    }
    return reason;
}

QUrl playlistLocation(const QString& source) {
    if (source.isEmpty()) {
        return {};
    }
    if (!source.contains(u"://"_s)) {
        return QUrl::fromLocalFile(QDir::cleanPath(QDir::current().absoluteFilePath(source)));
    }
    const QUrl url(source, QUrl::TolerantMode);
    if (!url.isValid()) {
        return {};
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == u"file"_s) {
        const bool thisComputer = url.host().isEmpty() || url.host() == u"localhost"_s;
        return thisComputer && !url.path().isEmpty() ? url : QUrl();
    }
    if ((scheme == u"http"_s || scheme == u"https"_s) && !url.host().isEmpty()) {
        return url;
    }
    return {};
}

PlaylistData readLocalPlaylist(const QString& source, const QUrl& location) {
    PlaylistData data;
    data.source = source;
    data.location = location;

    const QByteArray path = QFile::encodeName(location.toLocalFile());
    // O_NONBLOCK: opening a named pipe must not wait for a writer.
    const FileDescriptor fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        data.error = openError(errno);
        return data;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        data.error = openError(errno);
        return data;
    }
    if (S_ISDIR(info.st_mode)) {
        data.error = u"it is a folder, not a playlist file"_s;
        return data;
    }
    if (!S_ISREG(info.st_mode)) {
        data.error = u"it is a device or a pipe, not a playlist file"_s;
        return data;
    }
    if (info.st_size > MaxPlaylistBytes) {
        data.error = playlistTooLarge(info.st_size);
        return data;
    }

    // Read at most one byte more than allowed, in case the file grows while we read.
    QByteArray bytes(static_cast<qsizetype>(info.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (true) {
        if (filled == bytes.size()) {
            if (filled > MaxPlaylistBytes) {
                data.error = playlistTooLarge(filled);
                return data;
            }
            bytes.resize(qMin<qsizetype>(filled * 2 + 4096, MaxPlaylistBytes + 1));
        }
        const ssize_t got =
            ::read(fd.get(), bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            data.error = u"the file cannot be read (%1)"_s.arg(qt_error_string(errno));
            return data;
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    bytes.truncate(filled);
    data.bytes = std::move(bytes);
    return data;
}

} // namespace orvanto
