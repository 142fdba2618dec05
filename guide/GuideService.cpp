#include "guide/GuideService.h"

#include "guide/GuideWorker.h"

#include <QDir>
#include <QFileInfo>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

GuideService::GuideService(const QString& folder, QObject* parent)
    : QObject(parent), schedule_(std::make_shared<GuideSchedule>()) {
    thread_.setObjectName(u"guide"_s);
    worker_ = new GuideWorker(folder, this);
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start(QThread::LowPriority);
}

GuideService::~GuideService() {
    // The worker's event loop ends after the piece it is reading; an import under way is rolled
    // back, and the store keeps its guide.
    thread_.quit();
    thread_.wait();
}

QUrl GuideService::guideLocation(const QString& written, const QUrl& list) {
    const QString text = written.trimmed();
    if (text.isEmpty()) {
        return {};
    }
    const bool fromNetwork = list.isValid() && !list.isLocalFile();
    QUrl url;
    if (text.contains(u"://"_s)) {
        url = QUrl(text, QUrl::TolerantMode);
    } else if (text.startsWith(u'/')) {
        url = QUrl::fromLocalFile(QDir::cleanPath(text));
    } else if (list.isLocalFile()) {
        url = QUrl::fromLocalFile(
            QDir::cleanPath(QFileInfo(list.toLocalFile()).absolutePath() + u'/' + text));
    } else if (fromNetwork) {
        url = list.resolved(QUrl(text, QUrl::TolerantMode));
    }
    const QString scheme = url.scheme().toLower();
    if (url.isLocalFile()) {
        return fromNetwork ? QUrl() : url; // a downloaded list may not read the user's files
    }
    if ((scheme == u"http"_s || scheme == u"https"_s) && !url.host().isEmpty()) {
        return url;
    }
    return {};
}

template <typename Work> void GuideService::post(Work work) {
    QMetaObject::invokeMethod(worker_, std::move(work), Qt::QueuedConnection);
}

void GuideService::showList(const QList<QUrl>& sources, std::vector<ListedChannel> channels,
                            qint64 now, qint64 keepSeconds) {
    const int generation = ++generation_;
    schedule_ = std::make_shared<GuideSchedule>(static_cast<int>(channels.size()));
    status_ = {};
    status_.hasGuide = !sources.isEmpty();
    status_.channels = static_cast<int>(channels.size());
    nextDue_ = 0;
    Q_EMIT scheduleChanged(schedule_);
    Q_EMIT statusChanged(status_);
    post([worker = worker_, generation, sources, channels = std::move(channels), now,
          keepSeconds]() mutable {
        worker->showList(generation, sources, std::move(channels), now, keepSeconds);
    });
}

void GuideService::refreshDue(qint64 now) {
    post(
        [worker = worker_, generation = generation_, now] { worker->refreshDue(generation, now); });
}

void GuideService::refreshSchedule(qint64 now) {
    post([worker = worker_, generation = generation_, now] {
        worker->refreshSchedule(generation, now);
    });
}

void GuideService::requestDay(int channel, qint64 from, qint64 to) {
    post([worker = worker_, generation = generation_, channel, from, to] {
        worker->day(generation, channel, from, to, false);
    });
}

void GuideService::requestProgrammes(int channel, qint64 from, qint64 to) {
    post([worker = worker_, generation = generation_, channel, from, to] {
        worker->day(generation, channel, from, to, true);
    });
}

void GuideService::deliverSchedule(int generation, std::shared_ptr<const GuideSchedule> schedule) {
    if (generation != generation_) {
        return;
    }
    schedule_ = std::move(schedule);
    Q_EMIT scheduleChanged(schedule_);
}

void GuideService::deliverStatus(int generation, const GuideStatus& status, qint64 nextDue) {
    if (generation != generation_) {
        return;
    }
    status_ = status;
    nextDue_ = nextDue;
    Q_EMIT statusChanged(status_);
}

void GuideService::deliverDay(int generation, int channel, const std::vector<Programme>& programmes,
                              bool forRecordings) {
    if (generation != generation_) {
        return;
    }
    if (forRecordings) {
        Q_EMIT programmesReady(channel, programmes);
    } else {
        Q_EMIT dayReady(channel, programmes);
    }
}

} // namespace orvanto
