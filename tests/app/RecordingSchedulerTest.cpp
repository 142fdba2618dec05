// Scheduled recordings on a clock the test moves: started at the programme's start less the
// padding and stopped after its end plus the padding, overlapping ones side by side, moved by a
// guide read anew, and carried over a restart of the program.

#include "app/RecordingScheduler.h"

#include "support/FakeClock.h"
#include "support/ManualTicker.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace orvanto::test {
namespace {

using namespace Qt::Literals::StringLiterals;
using State = ScheduledRecording::State;
using Ended = RecordingSessionFactory::Ended;

constexpr qint64 Before = 2 * 60;
constexpr qint64 After = 5 * 60;

QDateTime at(int hour, int minute, int second = 0) {
    return QDateTime(QDate(2026, 12, 9), QTime(hour, minute, second));
}

qint64 secs(int hour, int minute) {
    return at(hour, minute).toSecsSinceEpoch();
}

Programme programme(const QString& title, int hour, int minute, int endHour, int endMinute) {
    Programme p;
    p.title = title;
    p.start = secs(hour, minute);
    p.stop = secs(endHour, endMinute);
    return p;
}

// Sessions that record nothing: the test sees which started and stopped, and ends them.
class FakeSessions final : public RecordingSessionFactory {
public:
    class Session final : public RecordingSession {
    public:
        Session(FakeSessions& owner, quint64 id, std::function<void(const Ended&)> ended)
            : owner_(owner), id_(id), ended_(std::move(ended)) {
            owner_.live[id_] = this;
        }
        ~Session() override { owner_.live.erase(id_); }
        void stop() override { stopped = true; }
        void end(const Ended& end) { ended_(end); }
        bool stopped = false;

    private:
        FakeSessions& owner_;
        quint64 id_;
        std::function<void(const Ended&)> ended_;
    };

    Start start(const ScheduledRecording& entry, std::function<void(const Ended&)> ended) override {
        starts.push_back(entry);
        if (!refusal.isEmpty()) {
            return {.session = nullptr, .refusal = refusal, .retry = retry};
        }
        return {.session = std::make_unique<Session>(*this, entry.id, std::move(ended)),
                .refusal = {},
                .retry = false};
    }

    // Ends the session of `id` as a session does once it is stopped or gives up.
    void end(quint64 id, qint64 bytes, const QString& reason = {}) {
        ASSERT_TRUE(live.contains(id));
        live[id]->end({.path = u"/rec/%1.ts"_s.arg(id), .bytes = bytes, .reason = reason});
    }
    bool stopped(quint64 id) const { return live.contains(id) && live.at(id)->stopped; }

    std::vector<ScheduledRecording> starts;
    std::map<quint64, Session*> live;
    QString refusal;
    bool retry = false;
};

class RecordingSchedulerTest : public ::testing::Test {
protected:
    RecordingSchedulerTest() { restart(); }

    // The program starts (again) with the schedule as its file keeps it.
    void restart() {
        scheduler.reset();
        schedule.reset();
        schedule = std::make_unique<RecordingSchedule>(dir.filePath(u"schedule.conf"_s));
        scheduler = std::make_unique<RecordingScheduler>(*schedule, sessions, clock, ticker);
    }

    // The clock goes to `time` and the scheduler looks.
    void goTo(const QDateTime& time) {
        clock.now = time;
        ticker.tick();
    }

    quint64 record(const Programme& p, const QString& channel = u"One"_s) {
        return scheduler->schedule(u"/lists/tv.m3u"_s, channel, p, Before, After);
    }

    const ScheduledRecording& entry(quint64 id) const {
        const ScheduledRecording* found = schedule->find(id);
        EXPECT_NE(found, nullptr);
        static const ScheduledRecording none;
        return found != nullptr ? *found : none;
    }

    QTemporaryDir dir;
    FakeClock clock{at(19, 0)};
    ManualTicker ticker;
    FakeSessions sessions;
    std::unique_ptr<RecordingSchedule> schedule;
    std::unique_ptr<RecordingScheduler> scheduler;
};

TEST_F(RecordingSchedulerTest, RecordsFromThePaddingBeforeToThePaddingAfter) {
    QSignalSpy finished(scheduler.get(), &RecordingScheduler::finished);
    const quint64 id = record(programme(u"News"_s, 20, 0, 21, 0));
    ASSERT_NE(id, 0u);
    EXPECT_EQ(entry(id).state, State::Scheduled);

    goTo(at(19, 57, 59));
    EXPECT_TRUE(sessions.starts.empty());
    goTo(at(19, 58));
    ASSERT_EQ(sessions.starts.size(), 1u);
    EXPECT_EQ(sessions.starts[0].channel, u"One"_s);
    EXPECT_EQ(sessions.starts[0].programme, u"News"_s);
    EXPECT_EQ(entry(id).state, State::Recording);
    EXPECT_EQ(scheduler->running(), 1);

    goTo(at(21, 4, 59));
    EXPECT_FALSE(sessions.stopped(id)) << "the padding after is recorded too";
    goTo(at(21, 5));
    EXPECT_TRUE(sessions.stopped(id));
    goTo(at(21, 5, 1));
    EXPECT_EQ(sessions.starts.size(), 1u) << "stopped once, never started again";

    sessions.end(id, 4096);
    EXPECT_EQ(entry(id).state, State::Done);
    EXPECT_EQ(entry(id).path, u"/rec/%1.ts"_s.arg(id));
    EXPECT_EQ(scheduler->running(), 0);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][1].toLongLong(), 4096);
}

TEST_F(RecordingSchedulerTest, OneOnNowStartsAtOnceAndOneOverIsRefused) {
    clock.now = at(20, 30);
    EXPECT_EQ(record(programme(u"Old"_s, 19, 0, 20, 20)), 0u) << "over, padding and all";
    const quint64 now = record(programme(u"News"_s, 20, 0, 21, 0));
    ASSERT_NE(now, 0u);
    EXPECT_EQ(entry(now).state, State::Recording);
    EXPECT_EQ(record(programme(u"News"_s, 20, 0, 21, 0)), 0u) << "scheduled already";
}

TEST_F(RecordingSchedulerTest, OverlappingRecordingsBothRun) {
    const quint64 first = record(programme(u"News"_s, 20, 0, 21, 0), u"One"_s);
    const quint64 second = record(programme(u"Film"_s, 20, 30, 22, 0), u"Two"_s);
    const quint64 same = record(programme(u"Sport"_s, 21, 0, 22, 0), u"One"_s);

    goTo(at(20, 28));
    EXPECT_EQ(scheduler->running(), 2);
    goTo(at(20, 58));
    EXPECT_EQ(scheduler->running(), 3) << "the next on the same channel starts in the padding";
    goTo(at(21, 5));
    EXPECT_TRUE(sessions.stopped(first));
    EXPECT_FALSE(sessions.stopped(second));
    EXPECT_FALSE(sessions.stopped(same));
    sessions.end(first, 10);
    EXPECT_EQ(entry(first).state, State::Done);
    EXPECT_EQ(entry(second).state, State::Recording);
    EXPECT_EQ(entry(same).state, State::Recording);
}

TEST_F(RecordingSchedulerTest, AGuideReadAnewMovesTheProgramme) {
    const quint64 id = record(programme(u"News"_s, 20, 0, 21, 0));
    const quint64 gone = record(programme(u"Weather"_s, 22, 0, 22, 10));
    // The news moves half an hour on; another "News" far off and a film at the old time do not
    // take it, nor does a channel of another name.
    scheduler->retime(u"/lists/tv.m3u"_s, u"One"_s,
                      {programme(u"Film"_s, 20, 0, 20, 30), programme(u"News"_s, 20, 30, 21, 30),
                       programme(u"News"_s, 23, 30, 23, 45)});
    scheduler->retime(u"/lists/tv.m3u"_s, u"Two"_s, {programme(u"News"_s, 19, 30, 20, 0)});
    EXPECT_EQ(entry(id).start, secs(20, 30));
    EXPECT_EQ(entry(id).stop, secs(21, 30));
    EXPECT_EQ(entry(gone).start, secs(22, 0)) << "not in the guide now: it keeps its times";

    goTo(at(19, 58));
    EXPECT_TRUE(sessions.starts.empty());
    goTo(at(20, 28));
    ASSERT_EQ(sessions.starts.size(), 1u);

    // Under way, it takes the new end; the start it had stays.
    scheduler->retime(u"/lists/tv.m3u"_s, u"One"_s, {programme(u"News"_s, 20, 35, 21, 15)});
    EXPECT_EQ(entry(id).start, secs(20, 30));
    EXPECT_EQ(entry(id).stop, secs(21, 15));
    goTo(at(21, 20));
    EXPECT_TRUE(sessions.stopped(id));
}

TEST_F(RecordingSchedulerTest, ARestartFailsWhatWasMissedAndResumesWhatIsUnderWay) {
    const quint64 missed = record(programme(u"Early"_s, 19, 30, 19, 45));
    const quint64 cut = record(programme(u"Short"_s, 19, 10, 19, 20));
    const quint64 running = record(programme(u"News"_s, 19, 20, 21, 0));
    const quint64 later = record(programme(u"Late"_s, 22, 0, 23, 0));
    goTo(at(19, 19));
    EXPECT_EQ(scheduler->running(), 2);

    // Closed at 19:20, started again at 20:00.
    clock.now = at(19, 20);
    scheduler.reset();
    clock.now = at(20, 0);
    restart();
    QSignalSpy finished(scheduler.get(), &RecordingScheduler::finished);
    sessions.starts.clear();
    ticker.tick();

    EXPECT_EQ(entry(missed).state, State::Failed);
    EXPECT_EQ(entry(missed).reason, u"The program was not running at its time."_s);
    EXPECT_EQ(entry(cut).state, State::Failed);
    EXPECT_EQ(entry(cut).reason, u"The program was closed while it recorded."_s);
    EXPECT_EQ(entry(later).state, State::Scheduled);
    EXPECT_EQ(entry(later).programme, u"Late"_s);
    EXPECT_EQ(finished.size(), 2) << "the two failed go to the recordings made";
    ASSERT_EQ(sessions.starts.size(), 1u);
    EXPECT_EQ(sessions.starts[0].id, running);
    EXPECT_EQ(entry(running).state, State::Recording);
}

// Scheduled, the program closed and started again, the guide read anew: it records at the
// programme's new time, on the padding kept with it.
TEST_F(RecordingSchedulerTest, AfterARestartAGuideReadAnewStillMovesIt) {
    const quint64 id = record(programme(u"News"_s, 20, 0, 21, 0));
    restart();
    ticker.tick();
    scheduler->retime(u"/lists/tv.m3u"_s, u"One"_s, {programme(u"News"_s, 21, 0, 22, 0)});
    restart();
    EXPECT_EQ(entry(id).start, secs(21, 0)) << "the new time is kept too";
    goTo(at(19, 58));
    EXPECT_TRUE(sessions.starts.empty());
    goTo(at(20, 58));
    ASSERT_EQ(sessions.starts.size(), 1u);
    goTo(at(22, 5));
    EXPECT_TRUE(sessions.stopped(id));
    sessions.end(id, 1);
    EXPECT_EQ(entry(id).state, State::Done);
}

TEST_F(RecordingSchedulerTest, RefusedSessionsAndOnesThatEndEarlyFailWithTheirReason) {
    sessions.refusal = u"News was not in the list on show at its time."_s;
    sessions.retry = true;
    const quint64 waiting = record(programme(u"News"_s, 20, 0, 20, 30));
    goTo(at(19, 58));
    goTo(at(19, 59));
    EXPECT_EQ(sessions.starts.size(), 2u) << "asked again on each tick";
    EXPECT_EQ(entry(waiting).state, State::Scheduled);
    goTo(at(20, 35));
    EXPECT_EQ(entry(waiting).state, State::Failed);
    EXPECT_EQ(entry(waiting).reason, sessions.refusal);

    sessions.retry = false;
    sessions.refusal = u"The folder cannot be made."_s;
    const quint64 refused = record(programme(u"Film"_s, 20, 30, 22, 0));
    EXPECT_EQ(entry(refused).state, State::Failed);
    EXPECT_EQ(entry(refused).reason, sessions.refusal);

    sessions.refusal.clear();
    const quint64 broken = record(programme(u"Sport"_s, 20, 30, 22, 0), u"Two"_s);
    sessions.end(broken, 512, u"The disk is full."_s);
    EXPECT_EQ(entry(broken).state, State::Failed);
    EXPECT_EQ(entry(broken).reason, u"The disk is full."_s);
    EXPECT_EQ(entry(broken).path, u"/rec/%1.ts"_s.arg(broken)) << "what it recorded is named";

    const quint64 empty = record(programme(u"Quiz"_s, 20, 30, 21, 0), u"Three"_s);
    goTo(at(21, 5));
    sessions.end(empty, 0);
    EXPECT_EQ(entry(empty).state, State::Failed);
    EXPECT_EQ(entry(empty).reason, u"Nothing came to record."_s);
}

TEST_F(RecordingSchedulerTest, CancellingForgetsOrStopsKeepingWhatWasRecorded) {
    const quint64 later = record(programme(u"Late"_s, 22, 0, 23, 0));
    const quint64 now = record(programme(u"News"_s, 19, 0, 20, 0));
    scheduler->cancel(later);
    EXPECT_EQ(schedule->find(later), nullptr);
    goTo(at(22, 0));
    EXPECT_EQ(sessions.starts.size(), 1u) << "the cancelled one never starts";

    clock.now = at(19, 30);
    scheduler->cancel(now);
    sessions.end(now, 100);
    EXPECT_EQ(entry(now).state, State::Done);
    scheduler->cancel(now);
    EXPECT_EQ(schedule->find(now), nullptr) << "a finished one is forgotten";
}

} // namespace
} // namespace orvanto::test
