#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

namespace orvanto {

// The recordings made, newest first, kept in a file of their own between runs: what each is
// of, how long and how large, or why it failed. Recordings whose file has gone are dropped when
// the list is read.
class RecordingList : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxEntries = 1000;

    struct Entry {
        QString path; // empty for a recording that failed before its file was made
        QString channel;
        QString programme;
        QDateTime start;
        qint64 lengthMs = 0;
        qint64 bytes = 0;
        QString failure; // why it stopped short or failed; empty when it ended as asked

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // `file`: where the list is kept (INI); it need not exist yet.
    explicit RecordingList(QString file, QObject* parent = nullptr);

    const QList<Entry>& entries() const { return entries_; }
    // Adds a recording at the top; the oldest beyond MaxEntries are forgotten (their files stay).
    void add(const Entry& entry);
    // Deletes the recording's file and forgets it. False, with why in `error`, when its file
    // cannot be deleted (the entry then stays).
    bool remove(int index, QString* error);

Q_SIGNALS:
    void changed();

private:
    void load();
    void save() const;

    QString file_;
    QList<Entry> entries_;
};

} // namespace orvanto
