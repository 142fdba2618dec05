#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace orvanto {

// A programme the user asked to record: which channel of which list, the programme's times as
// the guide gives them (seconds since the epoch), the minutes added before and after, and how it
// stands.
struct ScheduledRecording {
    enum class State { Scheduled, Recording, Done, Failed };

    quint64 id = 0;
    QString list;    // the list or account the channel is in, as the session keys it
    QString channel; // its name in that list
    QString programme;
    qint64 start = 0;
    qint64 stop = 0;
    qint64 paddingBefore = 0; // seconds
    qint64 paddingAfter = 0;
    State state = State::Scheduled;
    QString reason; // why it failed
    QString path;   // the file made, once there is one

    qint64 recordFrom() const { return start - paddingBefore; }
    qint64 recordUntil() const { return stop + paddingAfter; }
    bool isOpen() const { return state == State::Scheduled || state == State::Recording; }

    friend bool operator==(const ScheduledRecording&, const ScheduledRecording&) = default;
};

// The scheduled recordings, in the order of their start, kept in a file of their own between
// runs. What the file holds is read with bounds: MaxEntries at most, and an entry without a
// channel, with times that cannot be or with padding beyond MaxPaddingSeconds is dropped.
class RecordingSchedule : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxEntries = 1000;
    static constexpr qint64 MaxPaddingSeconds = 3 * 3600;
    static constexpr qint64 MaxLengthSeconds = 24 * 3600;

    // `file`: where the schedule is kept (INI); it need not exist yet.
    explicit RecordingSchedule(QString file, QObject* parent = nullptr);

    const QList<ScheduledRecording>& entries() const { return entries_; }
    const ScheduledRecording* find(quint64 id) const;

    // Adds `entry` under a new id, which it returns; 0 when the entry cannot be (no channel, its
    // stop not after its start) or the schedule is full of recordings still to come. When it is
    // full, the finished one that started first is forgotten.
    quint64 add(ScheduledRecording entry);
    // Replaces the entry of the same id; false when there is none.
    bool update(const ScheduledRecording& entry);
    void remove(quint64 id);

Q_SIGNALS:
    void changed();

private:
    static bool valid(const ScheduledRecording& entry);
    void sort();
    void load();
    void save() const;

    QString file_;
    QList<ScheduledRecording> entries_;
    quint64 lastId_ = 0;
};

} // namespace orvanto
