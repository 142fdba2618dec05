#pragma once

#include "guide/GuideImport.h"
#include "guide/GuideMatch.h"
#include "guide/GuideSchedule.h"
#include "guide/GuideStatus.h"
#include "guide/Programme.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <memory>
#include <vector>

namespace orvanto {

class GuideWorker;

// The programme guide of the list on show. Its work (reading guides, the SQLite store, matching,
// filling now and next) runs on a thread of its own with its own database connections, so the
// GUI thread never waits for it; results come back as signals on the GUI thread. Every request
// carries its time (seconds since the epoch), so the guide itself reads no clock.
class GuideService : public QObject {
    Q_OBJECT
public:
    // Guides are kept in `folder`, a file per guide source.
    explicit GuideService(const QString& folder, QObject* parent = nullptr);
    ~GuideService() override;

    // A guide source as the list or the user writes it, made an address: an http(s) URL, an
    // absolute path or file: URL, or a path relative to the list's own location. A list from the
    // network may name no file. Invalid: not usable.
    static QUrl guideLocation(const QString& written, const QUrl& list);

    // The list on show has `channels` (its stations 1..n, in order) and its guides are at
    // `sources`. The stored guides show at once; those that are due are read again.
    // Programmes that have ended are kept `keepSeconds` (at least a day, at most GuideLimits'
    // most): as long as the list's archives reach back.
    void showList(const QList<QUrl>& sources, std::vector<ListedChannel> channels, qint64 now,
                  qint64 keepSeconds = GuideLimits::DefaultKeepSeconds);
    // Reads again the guides that are due at `now`.
    void refreshDue(qint64 now);
    // Fills now and next again for `now` (once the schedule's validUntil has passed).
    void refreshSchedule(qint64 now);
    // Asks for the programmes of `channel` between `from` and `to`: dayReady() follows.
    void requestDay(int channel, qint64 from, qint64 to);
    // The same for the scheduled recordings, which find their programmes again in a guide read
    // anew: programmesReady() follows.
    void requestProgrammes(int channel, qint64 from, qint64 to);

    // The schedule on show; never null.
    const std::shared_ptr<const GuideSchedule>& schedule() const { return schedule_; }
    const GuideStatus& status() const { return status_; }
    // When a guide is next due to be read again (0: none is).
    qint64 nextDue() const { return nextDue_; }

Q_SIGNALS:
    void scheduleChanged(const std::shared_ptr<const orvanto::GuideSchedule>& schedule);
    void statusChanged(const orvanto::GuideStatus& status);
    void dayReady(int channel, const std::vector<orvanto::Programme>& programmes);
    void programmesReady(int channel, const std::vector<orvanto::Programme>& programmes);

private:
    friend class GuideWorker;
    template <typename Work> void post(Work work);
    void deliverSchedule(int generation, std::shared_ptr<const GuideSchedule> schedule);
    void deliverStatus(int generation, const GuideStatus& status, qint64 nextDue);
    void deliverDay(int generation, int channel, const std::vector<Programme>& programmes,
                    bool forRecordings);

    QThread thread_;
    GuideWorker* worker_ = nullptr; // lives in thread_
    int generation_ = 0;            // of the list on show: results for an earlier one are dropped
    std::shared_ptr<const GuideSchedule> schedule_;
    GuideStatus status_;
    qint64 nextDue_ = 0;
};

} // namespace orvanto
