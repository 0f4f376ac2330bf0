#include "store/Adodb.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "store/Adocheck.h"
#include "store/Adosqlite.h"
#include "store/Adotableimpl.h"

EDatabaseError::EDatabaseError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

namespace {

// "Key=Value" pairs separated by semicolons; a value may be quoted with
// double or single quotes to hold a semicolon.
QString ConnectionValue(const QString& connection, const QString& key) {
    int i = 0;
    const int n = static_cast<int>(connection.size());
    while (i < n) {
        const int eq = connection.indexOf(u'=', i);
        if (eq < 0) break;
        const QString name = connection.mid(i, eq - i).trimmed();
        int j = eq + 1;
        while (j < n && connection[j] == u' ')
            ++j;
        QString value;
        if (j < n && (connection[j] == u'"' || connection[j] == u'\'')) {
            const int close = connection.indexOf(connection[j], j + 1);
            value = connection.mid(j + 1, (close < 0 ? n : close) - j - 1);
            j = close < 0 ? n : connection.indexOf(u';', close);
        } else {
            const int semi = connection.indexOf(u';', j);
            value = connection.mid(j, (semi < 0 ? n : semi) - j).trimmed();
            j = semi;
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0) return value;
        if (j < 0) break;
        i = j + 1;
    }
    return {};
}

}  // namespace

TADOConnection::TADOConnection() = default;

TADOConnection::~TADOConnection() {
    Close();
    for (TADOTable* table : tables_)
        table->d_->connection = nullptr;
}

void TADOConnection::Open() {
    if (db_) return;
    const QString path = DataSource();
    auto checked = std::make_unique<ado::CheckedFile>();
    sqlite3* db = ado::OpenCheckedDatabaseFile(path, *checked);
    try {
        const QString what = QStringLiteral("Cannot open the database \"%1\"").arg(path);
        // WAL with full syncs: a Post that returned is on disk, and a reader
        // in another program does not block the calendar.
        ado::Exec(db, "PRAGMA journal_mode=WAL", what);
        ado::Exec(db, "PRAGMA synchronous=FULL", what);
        // Room for the whole calendar of a heavy user: walks read from memory.
        ado::Exec(db, "PRAGMA cache_size=-65536", what);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    db_ = db;
    checked_ = std::move(checked);
}

void TADOConnection::Close() {
    if (!db_) return;
    for (TADOTable* table : tables_)
        table->Close();
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    // Fold the log into the file so that it can be copied or replaced alone.
    sqlite3_exec(db_, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    ado::CloseCheckedDatabaseFile(std::exchange(db_, nullptr), *checked_);
    checked_.reset();
}

bool TADOConnection::Connected() const {
    return db_ != nullptr;
}

QString TADOConnection::DataSource() const {
    return ConnectionValue(ConnectionString, QStringLiteral("Data Source"));
}

void TADOConnection::BeginTrans() {
    if (!db_) throw EDatabaseError(QStringLiteral("The connection is closed"));
    if (InTransaction()) throw EDatabaseError(QStringLiteral("A transaction is already open"));
    ado::Exec(db_, "BEGIN IMMEDIATE", QStringLiteral("Cannot begin a transaction"));
}

void TADOConnection::CommitTrans() {
    if (!InTransaction()) throw EDatabaseError(QStringLiteral("No transaction is open"));
    try {
        ado::Exec(db_, "COMMIT", QStringLiteral("Cannot commit the transaction"));
    } catch (const EDatabaseError&) {
        // A commit failing on a full disk or an I/O error takes the whole
        // transaction back with it.
        if (!InTransaction()) ForgetRows();
        throw;
    }
}

void TADOConnection::RollbackTrans() {
    if (!InTransaction()) throw EDatabaseError(QStringLiteral("No transaction is open"));
    ado::Exec(db_, "ROLLBACK", QStringLiteral("Cannot roll back the transaction"));
    ForgetRows();
}

// Rows the tables have seen may be gone again.
void TADOConnection::ForgetRows() {
    for (TADOTable* table : tables_)
        if (table->Active()) table->d_->ForgetRows();
}

bool TADOConnection::InTransaction() const {
    return db_ && !sqlite3_get_autocommit(db_);
}

sqlite3* TADOConnection::Handle() const {
    return db_;
}

void TADOConnection::Attach(TADOTable* table) {
    tables_.push_back(table);
}

void TADOConnection::Detach(TADOTable* table) {
    tables_.erase(std::remove(tables_.begin(), tables_.end(), table), tables_.end());
}
