#include "guide/GuideFetch.h"

#include "net/HttpGet.h"

#include <QDateTime>
#include <QFileInfo>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr qint64 FileReadBytes = 256 * 1024;
constexpr qint64 ProgressEveryMs = 100;
constexpr qsizetype MaxValidatorBytes = 512; // of each of the server's entity tag and time

// A server's validator of `location`, as kept in the store: the address, its entity tag and its
// time, a line each.
QString httpValidatorOf(const QUrl& location, const QByteArray& tag, const QByteArray& modified) {
    if (tag.isEmpty() && modified.isEmpty()) {
        return {};
    }
    return location.toString(QUrl::FullyEncoded) + u'\n' +
           QString::fromLatin1(tag.left(MaxValidatorBytes)) + u'\n' +
           QString::fromLatin1(modified.left(MaxValidatorBytes));
}

} // namespace

GuideFetch::GuideFetch(GuideStore& store, const QString& source, const QUrl& location, qint64 now,
                       const GuideLimits& limits, QObject* parent)
    : QObject(parent), store_(store), import_(store, now, limits), source_(source),
      location_(location), now_(now) {
    idle_.setSingleShot(true);
    limit_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, [this] {
        fail(u"the server sent nothing for %1 seconds"_s.arg(
            std::chrono::duration_cast<std::chrono::seconds>(IdleTimeout).count()));
    });
    connect(&limit_, &QTimer::timeout, this, [this] {
        fail(u"it took longer than %1 minutes"_s.arg(
            std::chrono::duration_cast<std::chrono::minutes>(TotalTimeout).count()));
    });
}

GuideFetch::~GuideFetch() {
    cancel();
}

QString GuideFetch::validatorOf(const QUrl& location) {
    if (!location.isLocalFile()) {
        return {};
    }
    const QFileInfo info(location.toLocalFile());
    return info.isFile() ? u"%1 %2"_s.arg(info.lastModified().toMSecsSinceEpoch()).arg(info.size())
                         : QString();
}

void GuideFetch::start() {
    running_ = true;
    sinceProgress_.start();
    previous_ = store_.info();
    if (!import_.begin()) {
        QTimer::singleShot(0, this, [this] { fail(import_.failure()); });
        return;
    }
    if (location_.isLocalFile()) {
        const QFileInfo info(location_.toLocalFile());
        // A pipe or a device could block the opening or never end: only regular files.
        if (!info.exists()) {
            QTimer::singleShot(0, this, [this] { fail(u"the file does not exist"_s); });
            return;
        }
        if (!info.isFile()) {
            QTimer::singleShot(0, this, [this] { fail(u"it is not a regular file"_s); });
            return;
        }
        file_.setFileName(info.filePath());
        if (!file_.open(QIODevice::ReadOnly)) {
            QTimer::singleShot(0, this, [this] { fail(file_.errorString()); });
            return;
        }
        total_ = file_.size();
        QTimer::singleShot(0, this, &GuideFetch::readFile);
        return;
    }
    get_ = std::make_unique<HttpGet>();
    connect(get_.get(), &HttpGet::headReceived, this, &GuideFetch::onHead);
    connect(get_.get(), &HttpGet::bodyReceived, this, &GuideFetch::onBody);
    connect(get_.get(), &HttpGet::finished, this, &GuideFetch::onHttpFinished);
    HttpRequest request = httpRequest(location_, GuideLimits::MaxRawBytes);
    // Only for a whole guide of this very address.
    const QStringList validator = previous_.validator.split(u'\n');
    if (previous_.fetched > 0 && previous_.programmes > 0 && validator.size() == 3 &&
        validator[0] == location_.toString(QUrl::FullyEncoded)) {
        request.ifNoneMatch = validator[1].toLatin1();
        request.ifModifiedSince = validator[2].toLatin1();
        conditional_ = true;
    }
    get_->start(request);
    idle_.start(IdleTimeout);
    limit_.start(TotalTimeout);
}

void GuideFetch::cancel() {
    if (!running_) {
        return;
    }
    running_ = false;
    idle_.stop();
    limit_.stop();
    if (get_) {
        get_->abort();
    }
    file_.close();
    import_.cancel();
}

void GuideFetch::readFile() {
    if (!running_) {
        return;
    }
    const QByteArray bytes = file_.read(FileReadBytes);
    if (bytes.isEmpty()) {
        if (file_.error() != QFileDevice::NoError) {
            fail(u"the file cannot be read (%1)"_s.arg(file_.errorString()));
        } else {
            complete();
        }
        return;
    }
    if (!feed(bytes)) {
        complete(); // the guide's own fault: what was read is kept
        return;
    }
    reportProgress();
    QTimer::singleShot(0, this, &GuideFetch::readFile);
}

void GuideFetch::onHead() {
    const int status = get_->status();
    if (status == 304 && conditional_) {
        keepUnchanged();
        return;
    }
    if (status < 200 || status >= 300) {
        fail(u"the server answered %1 %2"_s.arg(status).arg(
            QString::fromLatin1(get_->reason().left(80))));
        return;
    }
    total_ = get_->contentLength();
    if (total_ > GuideLimits::MaxRawBytes) {
        fail(u"the server announces %1 MiB, more than a guide may have"_s.arg(total_ >> 20));
    }
}

void GuideFetch::onBody() {
    if (!running_) {
        return;
    }
    idle_.start(IdleTimeout);
    const QByteArray bytes = get_->readBody();
    if (!feed(bytes)) {
        get_->abort();
        complete();
        return;
    }
    reportProgress();
}

void GuideFetch::onHttpFinished() {
    if (!running_) {
        return;
    }
    if (get_->error() != HttpGet::Error::None) {
        fail(get_->error() == HttpGet::Error::BodyTooLarge
                 ? u"it is larger than %1 MiB"_s.arg(GuideLimits::MaxRawBytes >> 20)
                 : get_->errorString());
        return;
    }
    const QByteArray rest = get_->readBody();
    if (!rest.isEmpty() && !feed(rest)) {
        complete();
        return;
    }
    complete();
}

bool GuideFetch::feed(QByteArrayView bytes) {
    return import_.feed(bytes);
}

void GuideFetch::reportProgress(bool force) {
    if (force || sinceProgress_.elapsed() >= ProgressEveryMs) {
        sinceProgress_.restart();
        Q_EMIT progress(import_.rawBytes(), total_);
    }
}

qint64 GuideFetch::dueFromHeaders() const {
    qint64 due = now_ + RefreshSeconds;
    if (!get_ || !get_->hasHead()) {
        return due;
    }
    qint64 expires = 0;
    const QByteArray control = get_->header("cache-control").toLower();
    for (const QByteArray& part : control.split(',')) {
        const QByteArray directive = part.trimmed();
        if (directive == "no-cache" || directive == "no-store") {
            expires = now_;
        } else if (directive.startsWith("max-age=")) {
            bool ok = false;
            const qint64 age = directive.mid(8).toLongLong(&ok);
            if (ok && age >= 0) {
                expires = now_ + age;
            }
        }
    }
    if (expires == 0) {
        const QDateTime at =
            QDateTime::fromString(QString::fromLatin1(get_->header("expires")), Qt::RFC2822Date);
        if (at.isValid()) {
            expires = at.toSecsSinceEpoch();
        }
    }
    // The server may ask for it sooner than the usual 12 hours, but not for every opening.
    if (expires > 0) {
        due = std::clamp(expires, now_ + EarliestRefreshSeconds, due);
    }
    return due;
}

void GuideFetch::fail(const QString& why) {
    if (!running_) {
        return;
    }
    cancel();
    result_ = {};
    result_.outcome.failure = why;
    Q_EMIT finished();
}

void GuideFetch::complete() {
    if (!running_) {
        return;
    }
    running_ = false;
    idle_.stop();
    limit_.stop();
    reportProgress(true);
    GuideInfo info;
    info.source = source_;
    info.fetched = now_;
    info.due = dueFromHeaders();
    info.validator = location_.isLocalFile() ? validatorOf(location_) : httpValidator();
    result_.due = info.due;
    result_.outcome = import_.finish(info);
    file_.close();
    Q_EMIT finished();
}

QString GuideFetch::httpValidator() const {
    return get_ && get_->hasHead()
               ? httpValidatorOf(location_, get_->header("etag"), get_->header("last-modified"))
               : QString();
}

// The server found the guide kept unchanged: it stays, and is read again when due.
void GuideFetch::keepUnchanged() {
    running_ = false;
    idle_.stop();
    limit_.stop();
    import_.cancel();
    GuideInfo info = previous_;
    info.fetched = now_;
    info.due = dueFromHeaders();
    // A 304 may bring a newer validator; without one the old holds.
    if (const QString renewed = httpValidator(); !renewed.isEmpty()) {
        info.validator = renewed;
    }
    get_->abort();
    result_ = {};
    result_.due = info.due;
    result_.unchanged = true;
    result_.outcome.channels = info.channels;
    result_.outcome.programmes = info.programmes;
    if (!store_.renew(info)) {
        result_.unchanged = false;
        result_.outcome.failure = u"the guide cannot be stored (%1)"_s.arg(store_.error());
    }
    Q_EMIT finished();
}

} // namespace orvanto
