#include "store/Adosqlite.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "store/Adodb.h"

namespace ado {

namespace {

int busyTimeoutMs = 5000;

QString Reason(int rc) {
    switch (rc & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral("the database file is in use by another program");
        case SQLITE_NOTADB:
            return QStringLiteral("the file is not a database");
        case SQLITE_CORRUPT:
            return QStringLiteral("the database file is damaged");
        case SQLITE_READONLY:
            return QStringLiteral("the database file cannot be written");
        case SQLITE_FULL:
            return QStringLiteral("the disk is full");
        case SQLITE_CANTOPEN:
            return QStringLiteral("the database file cannot be opened");
        case SQLITE_IOERR:
            return QStringLiteral("the database file cannot be read or written");
        default:
            return {};
    }
}

class HandleGuard {
public:
    explicit HandleGuard(sqlite3* db) : db_(db) {}
    ~HandleGuard() {
        if (db_) sqlite3_close_v2(db_);
    }
    sqlite3* Release() { return std::exchange(db_, nullptr); }

private:
    sqlite3* db_;
};

void Configure(sqlite3* db) {
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyTimeoutMs);
    // A database file is outside input: nothing stored in it may run code or
    // let a statement damage the file behind the engine's back.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

// Runs a pragma that answers one value; failures are reported under "what".
QString PragmaValue(sqlite3* db, const char* sql, const QString& what) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK) ThrowSqlite(db, rc, what);
    rc = sqlite3_step(stmt);
    QString value;
    if (rc == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) ThrowSqlite(db, rc, what);
    return value;
}

// A file of no pages is a database to SQLite but holds nothing of ours; a
// damaged one must fail here rather than in the middle of a later operation.
void CheckIntact(sqlite3* db, const QString& what, bool whole) {
    if (PragmaValue(db, "PRAGMA page_count", what).toLongLong() == 0)
        throw EDatabaseError(what + QStringLiteral(": the file is empty"));
    if (whole && !WholeFileIntact(db, what))
        throw EDatabaseError(what + QStringLiteral(": the database file is damaged"));
}

}  // namespace

bool WholeFileIntact(sqlite3* db, const QString& what) {
    return PragmaValue(db, "PRAGMA quick_check(1)", what) == QLatin1String("ok");
}

[[noreturn]] void ThrowSqlite(sqlite3* db, int rc, const QString& what) {
    QString reason = Reason(rc);
    if (reason.isEmpty() && db) reason = QString::fromUtf8(sqlite3_errmsg(db));
    if (reason.isEmpty()) reason = QString::fromUtf8(sqlite3_errstr(rc));
    throw EDatabaseError(what + QStringLiteral(": ") + reason);
}

void Exec(sqlite3* db, const char* sql, const QString& what) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ThrowSqlite(db, rc, what);
}

Query::~Query() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    if (inUse_) --*inUse_;
}

Query& Query::Bind(const Cell& value) {
    switch (value.kind) {
        case Cell::Null:
            sqlite3_bind_null(stmt_, next_++);
            break;
        case Cell::Int:
            sqlite3_bind_int64(stmt_, next_++, value.i);
            break;
        case Cell::Real:
            sqlite3_bind_double(stmt_, next_++, value.r);
            break;
        case Cell::Text:
            BindText(value.s);
            break;
    }
    return *this;
}

Query& Query::BindInt(int64_t value) {
    sqlite3_bind_int64(stmt_, next_++, value);
    return *this;
}

Query& Query::BindText(const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text64(stmt_, next_++, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Query& Query::BindBlob(const QByteArray& value) {
    sqlite3_bind_blob64(stmt_, next_++, value.constData(),
                        static_cast<sqlite3_uint64>(value.size()), SQLITE_TRANSIENT);
    return *this;
}

bool Query::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    ThrowSqlite(db_, rc, QStringLiteral("The database operation failed"));
}

int64_t Query::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

QString Query::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column));
}

QByteArray Query::Blob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return QByteArray(data, sqlite3_column_bytes(stmt_, column));
}

Cell Query::Value(int column) const {
    // The value interface skips the per-call checks of sqlite3_column_*;
    // a walk reads every column of thousands of rows.
    sqlite3_value* v = sqlite3_column_value(stmt_, column);
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
            return Cell::FromInt(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return Cell::FromReal(sqlite3_value_double(v));
        case SQLITE_NULL:
            return {};
        default: {  // text, and blobs that a foreign program may have stored
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
            const int bytes = sqlite3_value_bytes(v);
            return bytes == 0 ? Cell::FromText(QString())
                              : Cell::FromText(QString::fromUtf8(text, bytes));
        }
    }
}

RowBlock::RowBlock(const std::vector<int>& columns, size_t tableColumns)
    : slot_(tableColumns, -1), width_(columns.size()) {
    for (size_t k = 0; k < columns.size(); ++k)
        slot_[columns[k]] = static_cast<int>(k);
}

Row RowBlock::Materialize(size_t row) const {
    Row out{ids_[row], std::vector<Cell>(slot_.size())};
    for (size_t c = 0; c < slot_.size(); ++c) {
        if (slot_[c] < 0) continue;
        const CellView v = View(row, static_cast<int>(c));
        out.cells[c] = {v.kind, v.i, v.r, v.kind == Cell::Text ? v.Text() : QString()};
    }
    return out;
}

size_t RowBlock::Append(sqlite3_stmt* stmt, int64_t id) {
    ids_.push_back(id);
    size_t text = 0;
    for (size_t k = 0; k < width_; ++k) {
        // The value interface skips the per-call checks of sqlite3_column_*.
        sqlite3_value* v = sqlite3_column_value(stmt, static_cast<int>(k));
        Value& out = values_.emplace_back();
        out.bytes = 0;
        out.i = 0;
        switch (sqlite3_value_type(v)) {
            case SQLITE_INTEGER:
                out.kind = Cell::Int;
                out.i = sqlite3_value_int64(v);
                break;
            case SQLITE_FLOAT:
                out.kind = Cell::Real;
                out.r = sqlite3_value_double(v);
                break;
            case SQLITE_NULL:
                out.kind = Cell::Null;
                break;
            default: {  // text, and blobs that a foreign program may have stored
                const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(v));
                const int n = sqlite3_value_bytes(v);
                out.kind = Cell::Text;
                out.at = text_.size();
                out.bytes = static_cast<uint32_t>(n);
                if (n > 0) text_.append(bytes, static_cast<size_t>(n));
                text += static_cast<size_t>(n);
            }
        }
    }
    return text;
}

void StatementCache::Reset(sqlite3* db) {
    Clear();
    db_ = db;
}

Query StatementCache::Run(const QString& sql) {
    const std::string key = sql.toStdString();
    auto it = stmts_.find(key);
    if (it == stmts_.end()) {
        // Filters vary; keep the cache small, but never drop a statement in use.
        if (stmts_.size() >= 48 && inUse_ == 0) Clear();
        sqlite3_stmt* stmt = nullptr;
        const int rc = sqlite3_prepare_v3(db_, key.c_str(), static_cast<int>(key.size()),
                                          SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
        if (rc != SQLITE_OK) ThrowSqlite(db_, rc, QStringLiteral("The database operation failed"));
        it = stmts_.emplace(key, stmt).first;
    }
    return Query(db_, it->second, &inUse_);
}

void StatementCache::Clear() {
    for (auto& [sql, stmt] : stmts_)
        sqlite3_finalize(stmt);
    stmts_.clear();
}

sqlite3* OpenDatabaseFile(const QString& path, bool requireWritable, bool checkWhole) {
    const QString what = QStringLiteral("Cannot open the database \"%1\"").arg(path);
    struct stat st {};
    if (path.isEmpty() || ::stat(path.toLocal8Bit().constData(), &st) != 0)
        throw EDatabaseError(what + QStringLiteral(": the file does not exist"));
    if (!S_ISREG(st.st_mode))
        throw EDatabaseError(what + QStringLiteral(": it is not a regular file"));
    sqlite3* raw = nullptr;
    // One thread uses a connection: no per-call locking inside SQLite.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    HandleGuard guard(raw);
    if (rc != SQLITE_OK) ThrowSqlite(raw, rc, what);
    Configure(raw);
    if (requireWritable && sqlite3_db_readonly(raw, "main") == 1)
        throw EDatabaseError(what + QStringLiteral(": the file is read-only"));
    CheckIntact(raw, what, checkWhole);
    return guard.Release();
}

int BusyTimeoutMs() {
    return busyTimeoutMs;
}

void SetBusyTimeoutMs(int ms) {
    busyTimeoutMs = ms;
}

}  // namespace ado
