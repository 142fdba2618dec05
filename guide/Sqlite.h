#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace orvanto {

// One connection to an SQLite database file, used from one thread. Debian's libsqlite3 through
// its C API rather than Qt's SQL driver: the import binds half a million rows' values straight
// into prepared statements (no QVariant for each), each connection is plainly owned by the
// thread that made it, and no driver plug-in has to be found at run time.
class SqliteDatabase {
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Opens (or creates) the file at `path`; false with error() on failure.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Runs statements that return no rows; false with error() on failure.
    bool exec(const char* sql);

    sqlite3* handle() const { return db_; }
    QString error() const;

private:
    sqlite3* db_ = nullptr;
    QString openError_;
};

// A prepared statement: bind, step through the rows, reset to run it again.
class SqliteStatement {
public:
    SqliteStatement(const SqliteDatabase& db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool isValid() const { return statement_ != nullptr; }

    // Parameters count from 1; an empty text binds NULL.
    void bind(int parameter, qint64 value);
    void bind(int parameter, const QString& text);

    // The next row: true while there is one. done() tells a finished run from an error.
    bool step();
    bool done() const { return done_; }
    // Ready to run again, bindings kept.
    void reset();

    qint64 integer(int column) const;
    QString text(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
    bool done_ = false;
    // The UTF-8 of each text parameter, kept until it is bound again: SQLite reads it in place.
    std::vector<QByteArray> texts_;
};

} // namespace orvanto
