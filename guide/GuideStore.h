#pragma once

#include "guide/PreviousProgrammes.h"
#include "guide/Programme.h"
#include "guide/Sqlite.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace orvanto {

// A guide's channel as the store keeps it.
struct StoredChannel {
    qint64 key = 0; // the store's own number for it
    QString id;     // the guide's id
    QStringList names;
};

// The start, end and title of a programme: what now and next show.
struct ProgrammeSlot {
    qint64 start = 0;
    qint64 stop = 0;
    QString title;
};

// What the store knows about its guide beside the programmes.
struct GuideInfo {
    QString source;     // where the guide comes from, as the list names it
    qint64 fetched = 0; // when the guide was last read whole (seconds since the epoch), or 0
    qint64 due = 0;     // when it is to be read again
    QString validator;  // what tells a changed source (a file's time and size, a server's
                        // entity tag and time), or empty
    qint64 channels = 0;
    qint64 programmes = 0;
    QString problem;     // what was wrong with the guide last read, if anything
    QString failure;     // why the last refresh failed, if it did (cleared by the next import)
    qint64 failedAt = 0; // when it failed
};

// One guide source's programmes in an SQLite file (WAL: a reader sees the last committed guide
// while an import writes the next), indexed by channel and time. An import is one transaction:
// until commit() the file holds the previous guide whole, and an import that never commits (an
// error, a cancel, a crash) leaves it so. Each connection belongs to one thread.
class GuideStore {
public:
    GuideStore();
    ~GuideStore();
    GuideStore(const GuideStore&) = delete;
    GuideStore& operator=(const GuideStore&) = delete;

    // The file in `folder` that keeps the guide of `source`.
    static QString fileFor(const QString& folder, const QString& source);

    // Opens the file (creating it and its tables); a file that is no store of this version is
    // replaced by an empty one: it only ever holds what can be fetched again.
    bool open(const QString& path);
    const QString& error() const { return error_; }
    const QString& path() const { return path_; }

    GuideInfo info() const;
    // Notes a refresh that failed, keeping the guide as it is.
    void recordFailure(const QString& why, qint64 at);
    // Notes a refresh that found the source unchanged: `info`'s times and validator, the guide
    // kept as it is.
    bool renew(const GuideInfo& info);

    // The import: begin(), the guide's channels and programmes, then commit() or rollback().
    // An import writes only what changed: a programme whose element (by its digest) the store
    // holds already is kept as it is, one of a changed element takes the place of the one it
    // was, and at the commit the programmes the new guide no longer has go.
    bool begin();
    // The channel of `id`, added if it is new (its names taken where the guide gives some);
    // returns its key.
    qint64 addChannel(const QString& id, const QStringList& names = {});
    // The programmes read before from an element of `digest` that end at `oldestStop` or
    // later are kept: how many (0: the element is new, or only what it held has ended).
    qint64 keep(quint64 digest, qint64 oldestStop);
    // Adds a programme of the channel `key`, read from an element of `digest`; one that ends
    // when another of the channel ends is a duplicate and left out (false), unless that other
    // is one of the guide before which the new guide has not had again.
    bool addProgramme(qint64 key, const Programme& programme, quint64 digest = 0);
    // Drops what the guide before had and the new one has not had (commit() does it too);
    // returns how many programmes went.
    qint64 dropLeftOver();
    qint64 channelCount() const;
    bool commit(const GuideInfo& info);
    void rollback();
    bool inImport() const { return importing_; }

    // Reads that follow see one state of the file, and pay for its locks once, until
    // endReading() (each read on its own takes and drops them).
    void beginReading();
    void endReading();

    // Drops programmes that ended before `before`; returns how many.
    qint64 prune(qint64 before);

    std::vector<StoredChannel> channels() const;
    // The channel's first `limit` programmes that end after `after`, in order.
    void upcoming(qint64 key, qint64 after, int limit, std::vector<ProgrammeSlot>& out) const;
    // The channel's programmes that run between `from` and `to`, in order, at most `limit`.
    std::vector<Programme> between(qint64 key, qint64 from, qint64 to, int limit = 500) const;

private:
    struct Statements;
    bool createTables();
    void setMeta(const char* key, const QString& value);
    void setMeta(const char* key, qint64 value);
    QString meta(const QString& key) const;

    SqliteDatabase db_;
    std::unique_ptr<Statements> statements_;
    QString path_;
    QString error_;
    bool importing_ = false;
    bool reading_ = false;
    PreviousProgrammes previous_; // while importing
    QSet<qint64> channelsSeen_;   // channels the import has met, or kept programmes of
};

} // namespace orvanto
