#pragma once

#include "guide/GuideMatch.h"
#include "guide/GuideService.h"
#include "guide/GuideStore.h"

#include <QObject>
#include <QUrl>
#include <deque>
#include <memory>
#include <vector>

namespace orvanto {

class GuideFetch;

// GuideService's worker, on the service's thread: the stores of the list's guides (a
// connection that reads and one that imports, per guide), the matching and the fetches.
class GuideWorker : public QObject {
    Q_OBJECT
public:
    // Guides that could not be read are tried again this long after.
    static constexpr qint64 RetrySeconds = 30 * 60;
    // How many guides a list may have.
    static constexpr int MaxSources = 4;

    GuideWorker(const QString& folder, GuideService* service);
    ~GuideWorker() override;

    // Ended programmes are kept `keepSeconds` (see GuideLimits).
    void showList(int generation, const QList<QUrl>& sources, std::vector<ListedChannel> channels,
                  qint64 now, qint64 keepSeconds);
    void refreshDue(int generation, qint64 now);
    void refreshSchedule(int generation, qint64 now);
    // `forRecordings`: the answer goes to the scheduled recordings rather than the day view.
    void day(int generation, int channel, qint64 from, qint64 to, bool forRecordings);

private:
    struct Source {
        QUrl location;
        QString name; // as it is stored and shown
        std::unique_ptr<GuideStore> reader;
        std::unique_ptr<GuideStore> writer; // opened when the guide is imported or pruned
        GuideInfo info;
        GuideChannelIndex index;
    };

    void loadSource(Source& source);
    bool isDue(const Source& source, qint64 now) const;
    void queueDue(qint64 now);
    void startNextFetch();
    void fetchFinished();
    void rematch();
    void sendSchedule(qint64 now);
    void sendStatus();
    QString statusText() const;
    qint64 nextDue() const;
    template <typename Delivery> void deliver(Delivery delivery);

    QString folder_;
    GuideService* service_;
    int generation_ = 0;
    qint64 now_ = 0;
    qint64 keepSeconds_ = GuideLimits::DefaultKeepSeconds;
    std::vector<Source> sources_;
    std::vector<ListedChannel> channels_;
    std::vector<GuideMatch> matches_;
    int matched_ = 0;
    std::deque<size_t> queue_;
    std::unique_ptr<GuideFetch> fetch_;
    size_t fetching_ = 0;
    qint64 done_ = 0;
    qint64 total_ = -1;
};

} // namespace orvanto
