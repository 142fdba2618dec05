#pragma once

#include "guide/Programme.h"
#include "playback/RecordingSchedule.h"
#include "playback/RecordingSession.h"

#include <QObject>
#include <map>
#include <memory>
#include <vector>

namespace orvanto {

class Clock;
class Ticker;

// Runs the scheduled recordings: each starts at its programme's start less the padding before
// and stops at its stop plus the padding after, on a session of its own, so that recordings
// that overlap both run. It looks at the schedule on each tick of `ticker` (once a second).
// On its first look, a recording whose time went by while the program was not running is marked
// failed, and one whose time is under way starts anew.
class RecordingScheduler : public QObject {
    Q_OBJECT
public:
    // How far from its old start a programme is looked for when the guide is read again.
    static constexpr qint64 MatchWindowSeconds = 3 * 3600;

    // All must outlive this.
    RecordingScheduler(RecordingSchedule& schedule, RecordingSessionFactory& sessions,
                       const Clock& clock, Ticker& ticker, QObject* parent = nullptr);
    // Stops the recordings under way (their files are finished); they resume at the next start
    // while their time lasts.
    ~RecordingScheduler() override;

    // Schedules `programme` of `channel` in `list`, with padding in seconds. Returns its id, 0
    // when the schedule takes no more, the programme is over, or it is scheduled already.
    quint64 schedule(const QString& list, const QString& channel, const Programme& programme,
                     qint64 paddingBefore, qint64 paddingAfter);
    // A scheduled recording is forgotten, one under way stopped (what it recorded is kept), and a
    // finished one forgotten.
    void cancel(quint64 id);
    // The guide gives `programmes` for `channel` of `list` anew: each recording not started yet
    // takes the times of the programme of the same title nearest its start (within
    // MatchWindowSeconds), one under way its new stop.
    void retime(const QString& list, const QString& channel,
                const std::vector<Programme>& programmes);

    int running() const { return int(sessions_.size()); }
    // Starts and stops what is due at the clock's time; the ticker calls it.
    void check();

Q_SIGNALS:
    // A recording is over (done or failed), for the list of recordings made.
    void finished(const orvanto::ScheduledRecording& entry, qint64 bytes);

private:
    struct Running {
        std::unique_ptr<RecordingSession> session;
        bool stopping = false;
    };
    qint64 now() const;
    void resume();
    void begin(ScheduledRecording entry);
    void stop(quint64 id);
    void ended(quint64 id, const RecordingSessionFactory::Ended& end);
    void fail(ScheduledRecording entry, const QString& reason);

    RecordingSchedule& schedule_;
    RecordingSessionFactory& factory_;
    const Clock& clock_;
    Ticker& ticker_;
    std::map<quint64, Running> sessions_;
    // Sessions that ended, let go on the next look rather than inside their own report.
    std::vector<std::unique_ptr<RecordingSession>> over_;
    bool resumed_ = false;
};

} // namespace orvanto
