#pragma once

#include "app/RecordingScheduler.h"
#include "app/ScheduledSessions.h"
#include "guide/Programme.h"
#include "playback/RecordingSchedule.h"

#include <QObject>
#include <memory>
#include <vector>

namespace orvanto {

class Catalogue;
class Clock;
class FailoverPlayer;
class GuideWiring;
class ListOpener;
class MessageSink;
class RecordingList;
class Ticker;

// Scheduled recordings in the viewer: "Record" in the guide's day schedules the programme (and
// says when its server or account may refuse the connection it needs), a guide read anew moves
// what is scheduled with its programmes, and what is over goes to the list of recordings made.
class ScheduleWiring : public QObject {
    Q_OBJECT
public:
    struct Setup {
        QString file;   // where the schedule is kept
        QString folder; // where recordings go; empty: the desktop's videos and music folders
        qint64 paddingBefore = 0; // seconds
        qint64 paddingAfter = 0;
    };
    struct Collaborators {
        const Catalogue& catalogue; // the list on show
        GuideWiring& guide;
        const ListOpener& lists;
        const FailoverPlayer& window; // what the window plays
        MessageSink& messages;
        const Clock& clock;
        Ticker& ticker; // once a second
        RecordingList& made;
    };

    // All of `with` must outlive this.
    ScheduleWiring(const Collaborators& with, const Setup& setup, QObject* parent = nullptr);
    ~ScheduleWiring() override;

    RecordingSchedule& schedule() { return schedule_; }
    RecordingScheduler& scheduler() { return *scheduler_; }

    // "Record" on `programme` of `channel` in the list on show.
    void record(const QString& channel, const Programme& programme);

private:
    const Station* find(const QString& list, const QString& channel) const;
    QString warning(const ScheduledRecording& entry) const;
    void guideChanged();
    void programmesReady(int channel, const std::vector<Programme>& programmes);
    void finished(const ScheduledRecording& entry, qint64 bytes);

    Collaborators with_;
    Setup setup_;
    RecordingSchedule schedule_;
    ScheduledSessions sessions_;
    std::unique_ptr<RecordingScheduler> scheduler_;
};

} // namespace orvanto
