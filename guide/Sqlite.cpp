#include "guide/Sqlite.h"

#include <QFile>
#include <sqlite3.h>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

SqliteDatabase::~SqliteDatabase() {
    close();
}

bool SqliteDatabase::open(const QString& path) {
    close();
    const QByteArray name = QFile::encodeName(path);
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(name.constData(), &db_, flags, nullptr) != SQLITE_OK) {
        openError_ = db_ != nullptr ? QString::fromUtf8(sqlite3_errmsg(db_)) : u"out of memory"_s;
        close();
        return false;
    }
    openError_.clear();
    sqlite3_extended_result_codes(db_, 1);
    return true;
}

void SqliteDatabase::close() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

bool SqliteDatabase::exec(const char* sql) {
    return db_ != nullptr && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

QString SqliteDatabase::error() const {
    if (db_ == nullptr) {
        return openError_.isEmpty() ? u"the database is not open"_s : openError_;
    }
    return QString::fromUtf8(sqlite3_errmsg(db_));
}

SqliteStatement::SqliteStatement(const SqliteDatabase& db, const char* sql) {
    if (db.handle() != nullptr) {
        sqlite3_prepare_v3(db.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &statement_, nullptr);
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

void SqliteStatement::bind(int parameter, qint64 value) {
    sqlite3_bind_int64(statement_, parameter, value);
}

void SqliteStatement::bind(int parameter, const QString& text) {
    if (text.isEmpty()) {
        sqlite3_bind_null(statement_, parameter);
    } else {
        sqlite3_bind_text16(statement_, parameter, text.utf16(), static_cast<int>(text.size() * 2),
                            SQLITE_TRANSIENT);
    }
}

bool SqliteStatement::step() {
    if (statement_ == nullptr) {
        done_ = false;
        return false;
    }
    const int status = sqlite3_step(statement_);
    done_ = status == SQLITE_DONE;
    return status == SQLITE_ROW;
}

void SqliteStatement::reset() {
    sqlite3_reset(statement_);
    done_ = false;
}

qint64 SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

QString SqliteStatement::text(int column) const {
    const unsigned char* data = sqlite3_column_text(statement_, column);
    if (data == nullptr) {
        return {};
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data),
                             sqlite3_column_bytes(statement_, column));
}

} // namespace orvanto
