#include "net/PortalLoader.h"

#include <utility>

namespace orvanto {

PortalLoader::PortalLoader(QObject* parent) : QObject(parent) {
    thread_.setObjectName(QStringLiteral("portal"));
}

PortalLoader::~PortalLoader() {
    drop();
    thread_.quit();
    thread_.wait();
}

void PortalLoader::load(const PortalAccount& account, Catalogue& catalogue,
                        const QStringList& reservedNames) {
    drop();
    if (!thread_.isRunning()) {
        thread_.start();
    }
    auto* fetch = new PortalFetch(account, catalogue, reservedNames);
    fetch->setLimits(limits_);
    if (!cacheFolder_.isEmpty()) {
        fetch->setCacheFile(portalCacheFile(cacheFolder_, account));
    }
    fetch->moveToThread(&thread_);
    fetch_ = fetch;
    const quint64 generation = ++generation_;
    connect(
        fetch, &PortalFetch::finished, this,
        [this, fetch, generation](const PortalResult& result) {
            if (generation != generation_ || fetch_ != fetch) {
                return; // dropped meanwhile
            }
            fetch_ = nullptr;
            fetch->deleteLater(); // on its own thread
            Q_EMIT finished(result);
        },
        Qt::QueuedConnection);
    QMetaObject::invokeMethod(fetch, &PortalFetch::start, Qt::QueuedConnection);
}

void PortalLoader::drop() {
    PortalFetch* fetch = std::exchange(fetch_, nullptr);
    ++generation_;
    if (!fetch) {
        return;
    }
    // The reader may be registering into the caller's catalogue: it is let go only when the
    // reader has stopped, which it does between two pieces of its answer.
    QMetaObject::invokeMethod(
        fetch,
        [fetch] {
            fetch->abort();
            delete fetch;
        },
        Qt::BlockingQueuedConnection);
}

} // namespace orvanto
