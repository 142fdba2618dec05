#include "app/RecordingScheduler.h"

#include "core/Clock.h"
#include "core/Ticker.h"

#include <QPointer>
#include <limits>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;
using State = ScheduledRecording::State;

} // namespace

RecordingScheduler::RecordingScheduler(RecordingSchedule& schedule,
                                       RecordingSessionFactory& sessions, const Clock& clock,
                                       Ticker& ticker, QObject* parent)
    : QObject(parent), schedule_(schedule), factory_(sessions), clock_(clock), ticker_(ticker) {
    ticker_.start([this] { check(); });
}

RecordingScheduler::~RecordingScheduler() {
    ticker_.stop();
    sessions_.clear(); // each session finishes its file as it goes
}

// What the schedule holds from the last run: missed, or to start anew.
void RecordingScheduler::resume() {
    resumed_ = true;
    const qint64 time = now();
    const QList<ScheduledRecording> entries = schedule_.entries(); // updates reorder the list
    for (ScheduledRecording entry : entries) {
        if (!entry.isOpen()) {
            continue;
        }
        if (time >= entry.recordUntil()) {
            fail(entry, entry.state == State::Recording
                            ? u"The program was closed while it recorded."_s
                            : u"The program was not running at its time."_s);
        } else if (entry.state == State::Recording) {
            entry.state = State::Scheduled; // it starts again, in a file of its own
            schedule_.update(entry);
        }
    }
}

qint64 RecordingScheduler::now() const {
    return clock_.currentDateTime().toSecsSinceEpoch();
}

quint64 RecordingScheduler::schedule(const QString& list, const QString& channel,
                                     const Programme& programme, qint64 paddingBefore,
                                     qint64 paddingAfter) {
    for (const ScheduledRecording& entry : schedule_.entries()) {
        if (entry.isOpen() && entry.list == list && entry.channel == channel &&
            entry.start == programme.start && entry.programme == programme.title) {
            return 0;
        }
    }
    ScheduledRecording entry{.id = 0,
                             .list = list,
                             .channel = channel,
                             .programme = programme.title,
                             .start = programme.start,
                             .stop = programme.stop,
                             .paddingBefore = paddingBefore,
                             .paddingAfter = paddingAfter,
                             .state = State::Scheduled,
                             .reason = {},
                             .path = {}};
    if (now() >= entry.recordUntil()) {
        return 0;
    }
    const quint64 id = schedule_.add(entry);
    if (id != 0) {
        check(); // one on now starts at once
    }
    return id;
}

void RecordingScheduler::cancel(quint64 id) {
    const ScheduledRecording* entry = schedule_.find(id);
    if (entry == nullptr) {
        return;
    }
    if (sessions_.contains(id)) {
        stop(id);
    } else {
        schedule_.remove(id);
    }
}

void RecordingScheduler::retime(const QString& list, const QString& channel,
                                const std::vector<Programme>& programmes) {
    const QList<ScheduledRecording> entries = schedule_.entries();
    for (ScheduledRecording entry : entries) {
        if (!entry.isOpen() || entry.list != list || entry.channel != channel) {
            continue;
        }
        const Programme* nearest = nullptr;
        qint64 distance = std::numeric_limits<qint64>::max();
        for (const Programme& programme : programmes) {
            const qint64 d = qAbs(programme.start - entry.start);
            if (programme.title == entry.programme && d <= MatchWindowSeconds && d < distance) {
                nearest = &programme;
                distance = d;
            }
        }
        if (nearest == nullptr || nearest->stop <= nearest->start) {
            continue; // not in these hours of the guide: it keeps its times
        }
        if (entry.state == State::Scheduled) {
            entry.start = nearest->start;
        }
        entry.stop = std::max(nearest->stop, entry.start + 1);
        schedule_.update(entry);
    }
    check();
}

void RecordingScheduler::check() {
    if (!resumed_) {
        resume();
    }
    over_.clear();
    const qint64 time = now();
    const QList<ScheduledRecording> entries = schedule_.entries();
    for (const ScheduledRecording& entry : entries) {
        if (entry.state == State::Recording && time >= entry.recordUntil()) {
            stop(entry.id);
        } else if (entry.state == State::Scheduled && time >= entry.recordUntil()) {
            fail(entry, entry.reason.isEmpty() ? u"The program was not running at its time."_s
                                               : entry.reason);
        } else if (entry.state == State::Scheduled && time >= entry.recordFrom()) {
            begin(entry);
        }
    }
}

void RecordingScheduler::begin(ScheduledRecording entry) {
    const quint64 id = entry.id;
    QPointer<RecordingScheduler> self(this);
    RecordingSessionFactory::Start start =
        factory_.start(entry, [self, id](const RecordingSessionFactory::Ended& end) {
            if (self) {
                self->ended(id, end);
            }
        });
    if (!start.session) {
        if (start.retry) {
            entry.reason = start.refusal; // said should the time run out before it can start
            schedule_.update(entry);
        } else {
            fail(entry, start.refusal);
        }
        return;
    }
    sessions_[id] = Running{std::move(start.session)};
    entry.state = State::Recording;
    entry.reason.clear();
    schedule_.update(entry);
}

void RecordingScheduler::stop(quint64 id) {
    auto at = sessions_.find(id);
    if (at == sessions_.end() || at->second.stopping) {
        return;
    }
    at->second.stopping = true;
    at->second.session->stop(); // ended() follows
}

void RecordingScheduler::ended(quint64 id, const RecordingSessionFactory::Ended& end) {
    auto at = sessions_.find(id);
    if (at == sessions_.end()) {
        return;
    }
    const bool asked = at->second.stopping;
    over_.push_back(std::move(at->second.session));
    sessions_.erase(at);
    const ScheduledRecording* found = schedule_.find(id);
    if (found == nullptr) {
        return;
    }
    ScheduledRecording entry = *found;
    entry.path = end.path;
    if (asked && end.bytes > 0 && !end.path.isEmpty()) {
        entry.state = State::Done;
        entry.reason = end.reason;
    } else {
        entry.state = State::Failed;
        entry.reason = !end.reason.isEmpty() ? end.reason
                       : asked               ? u"Nothing came to record."_s
                                             : u"The recording stopped before its time."_s;
    }
    schedule_.update(entry);
    Q_EMIT finished(entry, end.bytes);
}

void RecordingScheduler::fail(ScheduledRecording entry, const QString& reason) {
    entry.state = State::Failed;
    entry.reason = reason;
    schedule_.update(entry);
    Q_EMIT finished(entry, 0);
}

} // namespace orvanto
