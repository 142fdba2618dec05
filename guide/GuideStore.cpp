#include "guide/GuideStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int SchemaVersion = 3;

// What made the digests kept with the programmes: another kind of digest finds none of them.
QString digestKind() {
    return u"qHash "_s + QString::fromLatin1(qVersion());
}

// Categories are kept in one column, a line each (the reader leaves no line break in them).
QString joined(const QStringList& list) {
    return list.join(u'\n');
}

QStringList split(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

} // namespace

struct GuideStore::Statements {
    explicit Statements(const SqliteDatabase& db)
        : insertChannel(db, "INSERT INTO channel(id, names) VALUES(?1, ?2)"),
          findChannel(db, "SELECT key, names FROM channel WHERE id = ?1"),
          renameChannel(db, "UPDATE channel SET names = ?2 WHERE key = ?1"),
          insertProgramme(db, "INSERT OR IGNORE INTO programme(channel, stop, start, title, "
                              "sub_title, description, categories, episode, icon, rating, "
                              "catchup_id, digest) "
                              "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)"),
          replaceProgramme(db, "UPDATE programme SET start = ?3, title = ?4, sub_title = ?5, "
                               "description = ?6, categories = ?7, episode = ?8, icon = ?9, "
                               "rating = ?10, catchup_id = ?11, digest = ?12 "
                               "WHERE channel = ?1 AND stop = ?2"),
          digestAt(db, "SELECT digest FROM programme WHERE channel = ?1 AND stop = ?2"),
          deleteProgramme(db, "DELETE FROM programme WHERE channel = ?1 AND stop = ?2"),
          upcoming(db, "SELECT start, stop, title FROM programme WHERE channel = ?1 AND stop > ?2 "
                       "ORDER BY stop LIMIT ?3"),
          between(db, "SELECT start, stop, title, sub_title, description, categories, episode, "
                      "icon, rating, catchup_id FROM programme WHERE channel = ?1 AND stop > ?2 "
                      "AND start < ?3 "
                      "ORDER BY stop LIMIT ?4"),
          setMeta(db, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)"),
          getMeta(db, "SELECT key, value FROM meta") {}

    bool valid() const {
        return insertChannel.isValid() && findChannel.isValid() && renameChannel.isValid() &&
               insertProgramme.isValid() && replaceProgramme.isValid() && digestAt.isValid() &&
               deleteProgramme.isValid() && upcoming.isValid() && between.isValid() &&
               setMeta.isValid() && getMeta.isValid();
    }

    SqliteStatement insertChannel;
    SqliteStatement findChannel;
    SqliteStatement renameChannel;
    SqliteStatement insertProgramme;
    SqliteStatement replaceProgramme;
    SqliteStatement digestAt;
    SqliteStatement deleteProgramme;
    mutable SqliteStatement upcoming;
    mutable SqliteStatement between;
    SqliteStatement setMeta;
    mutable SqliteStatement getMeta;
};

GuideStore::GuideStore() = default;

GuideStore::~GuideStore() {
    if (importing_) {
        rollback();
    }
    statements_.reset(); // before the connection closes
}

QString GuideStore::fileFor(const QString& folder, const QString& source) {
    const QByteArray hash = QCryptographicHash::hash(source.toUtf8(), QCryptographicHash::Sha1);
    return QDir(folder).filePath(QString::fromLatin1(hash.toHex()) + u".sqlite"_s);
}

bool GuideStore::open(const QString& path) {
    statements_.reset();
    db_.close();
    path_ = path;
    error_.clear();
    QDir().mkpath(QFileInfo(path).absolutePath());
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (db_.open(path) && createTables()) {
            statements_ = std::make_unique<Statements>(db_);
            if (statements_->valid()) {
                return true;
            }
            statements_.reset();
        }
        error_ = db_.error();
        db_.close();
        // Not a store this program can use (damaged, or of another version): only a cache, so
        // it is made again.
        for (const QString& suffix : {QString(), u"-wal"_s, u"-shm"_s}) {
            QFile::remove(path + suffix);
        }
    }
    return false;
}

bool GuideStore::createTables() {
    // A busy file (another viewer importing the same guide) is waited for a little, never long.
    sqlite3_busy_timeout(db_.handle(), 200);
    SqliteStatement version(db_, "PRAGMA user_version");
    if (!version.step()) {
        return false;
    }
    const qint64 found = version.integer(0);
    version.reset();
    if (found != 0 && found != SchemaVersion) {
        return false;
    }
    if (!db_.exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; "
                  "PRAGMA journal_size_limit = 16777216; PRAGMA cache_size = -16000")) {
        return false;
    }
    if (found == SchemaVersion) {
        return true;
    }
    return db_.exec("BEGIN;"
                    "CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID;"
                    "CREATE TABLE channel(key INTEGER PRIMARY KEY, id TEXT NOT NULL UNIQUE, "
                    "names TEXT);"
                    // Clustered by channel and end: now and next, and a channel's day, are one
                    // seek each.
                    "CREATE TABLE programme(channel INTEGER NOT NULL, stop INTEGER NOT NULL, "
                    "start INTEGER NOT NULL, title TEXT, sub_title TEXT, description TEXT, "
                    "categories TEXT, episode TEXT, icon TEXT, rating TEXT, catchup_id TEXT, "
                    "digest INTEGER NOT NULL DEFAULT 0, "
                    "PRIMARY KEY(channel, stop)) WITHOUT ROWID;"
                    // Also what an import reads first: the digests of the programmes held.
                    "CREATE INDEX programme_slot ON programme(channel, stop, start, title, "
                    "digest);"
                    "PRAGMA user_version = 3;"
                    "COMMIT;");
}

GuideInfo GuideStore::info() const {
    GuideInfo info;
    if (!statements_) {
        return info;
    }
    SqliteStatement& meta = statements_->getMeta;
    while (meta.step()) {
        const QString key = meta.text(0);
        if (key == u"source"_s) {
            info.source = meta.text(1);
        } else if (key == u"fetched"_s) {
            info.fetched = meta.integer(1);
        } else if (key == u"due"_s) {
            info.due = meta.integer(1);
        } else if (key == u"validator"_s) {
            info.validator = meta.text(1);
        } else if (key == u"channels"_s) {
            info.channels = meta.integer(1);
        } else if (key == u"programmes"_s) {
            info.programmes = meta.integer(1);
        } else if (key == u"problem"_s) {
            info.problem = meta.text(1);
        } else if (key == u"failure"_s) {
            info.failure = meta.text(1);
        } else if (key == u"failedAt"_s) {
            info.failedAt = meta.integer(1);
        }
    }
    meta.reset();
    return info;
}

void GuideStore::setMeta(const char* key, const QString& value) {
    SqliteStatement& set = statements_->setMeta;
    set.bind(1, QString::fromLatin1(key));
    set.bind(2, value);
    set.step();
    set.reset();
}

void GuideStore::setMeta(const char* key, qint64 value) {
    SqliteStatement& set = statements_->setMeta;
    set.bind(1, QString::fromLatin1(key));
    set.bind(2, value);
    set.step();
    set.reset();
}

void GuideStore::recordFailure(const QString& why, qint64 at) {
    if (!statements_ || importing_) {
        return;
    }
    setMeta("failure", why);
    setMeta("failedAt", at);
}

bool GuideStore::renew(const GuideInfo& info) {
    if (!statements_ || importing_ || !db_.exec("BEGIN IMMEDIATE")) {
        return false;
    }
    setMeta("fetched", info.fetched);
    setMeta("due", info.due);
    setMeta("validator", info.validator);
    setMeta("failure", QString());
    setMeta("failedAt", qint64(0));
    if (!db_.exec("COMMIT")) {
        error_ = db_.error();
        db_.exec("ROLLBACK");
        return false;
    }
    return true;
}

bool GuideStore::begin() {
    if (!statements_ || importing_) {
        return false;
    }
    // The old guide goes in the same transaction as the new one comes: both or neither.
    if (!db_.exec("BEGIN IMMEDIATE")) {
        error_ = db_.error();
        return false;
    }
    importing_ = true;
    if (meta(u"digest"_s) != digestKind()) {
        if (!db_.exec("DELETE FROM programme; DELETE FROM channel")) {
            error_ = db_.error();
            rollback();
            return false;
        }
        return true;
    }
    // What the guide read again has unchanged stays as it is, unread and unwritten.
    SqliteStatement held(db_, "SELECT digest, channel, stop FROM programme");
    while (held.step()) {
        previous_.add({quint64(held.integer(0)), held.integer(1), held.integer(2)});
    }
    previous_.sort();
    return true;
}

qint64 GuideStore::addChannel(const QString& id, const QStringList& names) {
    SqliteStatement& find = statements_->findChannel;
    find.bind(1, id);
    qint64 key = 0;
    if (find.step()) {
        key = find.integer(0);
        const QString kept = find.text(1);
        find.reset();
        if (!names.isEmpty() && joined(names) != kept) {
            SqliteStatement& rename = statements_->renameChannel;
            rename.bind(1, key);
            rename.bind(2, joined(names));
            rename.step();
            rename.reset();
        }
    } else {
        find.reset();
        SqliteStatement& insert = statements_->insertChannel;
        insert.bind(1, id);
        insert.bind(2, joined(names));
        insert.step();
        insert.reset();
        key = sqlite3_last_insert_rowid(db_.handle());
    }
    channelsSeen_.insert(key);
    return key;
}

qint64 GuideStore::keep(quint64 digest, qint64 oldestStop) {
    return previous_.keep(digest, oldestStop, [this](const PreviousProgrammes::Row& row) {
        channelsSeen_.insert(row.channel);
    });
}

namespace {

void bindProgramme(SqliteStatement& statement, qint64 key, const Programme& p, quint64 digest) {
    statement.bind(1, key);
    statement.bind(2, p.stop);
    statement.bind(3, p.start);
    statement.bind(4, p.title);
    statement.bind(5, p.subTitle);
    statement.bind(6, p.description);
    statement.bind(7, joined(p.categories));
    statement.bind(8, p.episode);
    statement.bind(9, p.icon);
    statement.bind(10, p.rating);
    statement.bind(11, p.catchupId);
    statement.bind(12, qint64(digest));
}

} // namespace

bool GuideStore::addProgramme(qint64 key, const Programme& p, quint64 digest) {
    SqliteStatement& insert = statements_->insertProgramme;
    bindProgramme(insert, key, p, digest);
    insert.step();
    const bool added = insert.done() && sqlite3_changes(db_.handle()) > 0;
    insert.reset();
    if (added || previous_.empty()) {
        return added;
    }
    // Its place is taken: by one of the guide read before that has changed (replaced), or by
    // one of this guide's own (a duplicate, left out).
    SqliteStatement& at = statements_->digestAt;
    at.bind(1, key);
    at.bind(2, p.stop);
    const bool found = at.step();
    const quint64 held = found ? quint64(at.integer(0)) : 0;
    at.reset();
    if (!found || !previous_.takeStale(held, key, p.stop)) {
        return false;
    }
    SqliteStatement& replace = statements_->replaceProgramme;
    bindProgramme(replace, key, p, digest);
    replace.step();
    const bool replaced = replace.done();
    replace.reset();
    return replaced;
}

qint64 GuideStore::dropLeftOver() {
    if (!importing_) {
        return 0;
    }
    qint64 dropped = 0;
    SqliteStatement& drop = statements_->deleteProgramme;
    previous_.forEachLeftOver([&](const PreviousProgrammes::Row& row) {
        drop.bind(1, row.channel);
        drop.bind(2, row.stop);
        drop.step();
        drop.reset();
        ++dropped;
    });
    previous_.clear();
    // Channels the guide no longer has, and no programme of theirs is left.
    std::vector<qint64> gone;
    SqliteStatement all(db_, "SELECT key FROM channel");
    while (all.step()) {
        if (!channelsSeen_.contains(all.integer(0))) {
            gone.push_back(all.integer(0));
        }
    }
    SqliteStatement dropChannel(db_, "DELETE FROM channel WHERE key = ?1 AND NOT EXISTS "
                                     "(SELECT 1 FROM programme WHERE channel = ?1)");
    for (const qint64 key : gone) {
        dropChannel.bind(1, key);
        dropChannel.step();
        dropChannel.reset();
    }
    return dropped;
}

qint64 GuideStore::channelCount() const {
    SqliteStatement count(db_, "SELECT COUNT(*) FROM channel");
    return count.step() ? count.integer(0) : 0;
}

QString GuideStore::meta(const QString& key) const {
    SqliteStatement value(db_, "SELECT value FROM meta WHERE key = ?1");
    value.bind(1, key);
    return value.step() ? value.text(0) : QString();
}

bool GuideStore::commit(const GuideInfo& info) {
    if (!importing_) {
        return false;
    }
    dropLeftOver();
    setMeta("source", info.source);
    setMeta("fetched", info.fetched);
    setMeta("due", info.due);
    setMeta("validator", info.validator);
    setMeta("channels", info.channels);
    setMeta("programmes", info.programmes);
    setMeta("problem", info.problem);
    setMeta("failure", QString());
    setMeta("failedAt", qint64(0));
    setMeta("digest", digestKind());
    importing_ = false;
    channelsSeen_.clear();
    if (!db_.exec("COMMIT")) {
        error_ = db_.error();
        db_.exec("ROLLBACK");
        return false;
    }
    // The log the import wrote goes back into the file, and shrinks again.
    db_.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return true;
}

void GuideStore::rollback() {
    previous_.clear();
    channelsSeen_.clear();
    if (importing_) {
        importing_ = false;
        db_.exec("ROLLBACK");
    }
}

void GuideStore::beginReading() {
    if (!importing_ && !reading_) {
        reading_ = db_.exec("BEGIN");
    }
}

void GuideStore::endReading() {
    if (reading_) {
        reading_ = false;
        db_.exec("COMMIT");
    }
}

qint64 GuideStore::prune(qint64 before) {
    if (!statements_ || importing_) {
        return 0;
    }
    SqliteStatement drop(db_, "DELETE FROM programme WHERE stop < ?1");
    drop.bind(1, before);
    drop.step();
    return sqlite3_changes64(db_.handle());
}

std::vector<StoredChannel> GuideStore::channels() const {
    std::vector<StoredChannel> channels;
    SqliteStatement all(db_, "SELECT key, id, names FROM channel ORDER BY key");
    while (all.step()) {
        channels.push_back({all.integer(0), all.text(1), split(all.text(2))});
    }
    return channels;
}

void GuideStore::upcoming(qint64 key, qint64 after, int limit,
                          std::vector<ProgrammeSlot>& out) const {
    if (!statements_) {
        return;
    }
    SqliteStatement& query = statements_->upcoming;
    query.bind(1, key);
    query.bind(2, after);
    query.bind(3, qint64(limit));
    while (query.step()) {
        out.push_back({query.integer(0), query.integer(1), query.text(2)});
    }
    query.reset();
}

std::vector<Programme> GuideStore::between(qint64 key, qint64 from, qint64 to, int limit) const {
    std::vector<Programme> programmes;
    if (!statements_) {
        return programmes;
    }
    SqliteStatement& query = statements_->between;
    query.bind(1, key);
    query.bind(2, from);
    query.bind(3, to);
    query.bind(4, qint64(limit));
    while (query.step()) {
        Programme p;
        p.start = query.integer(0);
        p.stop = query.integer(1);
        p.title = query.text(2);
        p.subTitle = query.text(3);
        p.description = query.text(4);
        p.categories = split(query.text(5));
        p.episode = query.text(6);
        p.icon = query.text(7);
        p.rating = query.text(8);
        p.catchupId = query.text(9);
        programmes.push_back(std::move(p));
    }
    query.reset();
    return programmes;
}

} // namespace orvanto
