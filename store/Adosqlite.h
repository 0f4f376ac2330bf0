// Thin helpers over the SQLite C API for the table engine: values of one
// cell, prepared statements with their bindings, and errors turned into
// EDatabaseError with a readable text.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/Adoschema.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ado {

// One stored value as SQLite holds it.
struct Cell {
    enum Kind : uint8_t { Null, Int, Real, Text };
    Kind kind = Null;
    int64_t i = 0;
    double r = 0;
    QString s;

    static Cell FromInt(int64_t v) { return {Int, v, 0, {}}; }
    static Cell FromReal(double v) { return {Real, 0, v, {}}; }
    static Cell FromText(const QString& v) { return {Text, 0, 0, v}; }
};

struct Row {
    int64_t id = 0;
    std::vector<Cell> cells;  // in the table's column order, ID first
};

// A stored value read where it lies: numbers as they are, text as the UTF-8
// bytes of a block or as a cell's string. Text() makes the string.
struct CellView {
    Cell::Kind kind = Cell::Null;
    int64_t i = 0;
    double r = 0;
    const char* utf8 = nullptr;
    qsizetype bytes = 0;
    const QString* s = nullptr;

    static CellView Of(const Cell& c) { return {c.kind, c.i, c.r, nullptr, 0, &c.s}; }
    QString Text() const {
        if (s) return *s;
        return bytes == 0 ? QString() : QString::fromUtf8(utf8, bytes);
    }
};

// Rows read in one query, kept as SQLite gave them: for every row and every
// column the query read, a kind and a number or the place of its text in one
// buffer. A column the query did not read has no slot.
class RowBlock {
public:
    // "columns": the table's column indexes the query reads, in its order.
    RowBlock(const std::vector<int>& columns, size_t tableColumns);

    size_t Size() const { return ids_.size(); }
    int64_t Id(size_t row) const { return ids_[row]; }
    const std::vector<int64_t>& Ids() const { return ids_; }
    bool Has(int column) const { return slot_[column] >= 0; }
    bool HasAll() const { return width_ == slot_.size(); }
    CellView View(size_t row, int column) const {
        const Value& v = values_[row * width_ + slot_[column]];
        switch (v.kind) {
            case Cell::Int:
                return {Cell::Int, v.i, 0, nullptr, 0, nullptr};
            case Cell::Real:
                return {Cell::Real, 0, v.r, nullptr, 0, nullptr};
            case Cell::Text:
                return {Cell::Text, 0, 0, text_.data() + v.at, v.bytes, nullptr};
            case Cell::Null:
                break;
        }
        return {};
    }
    // The row with every column the block holds (the others null).
    Row Materialize(size_t row) const;
    // Takes the statement's current row; answers the bytes of text it held.
    size_t Append(sqlite3_stmt* stmt, int64_t id);

private:
    struct Value {
        Cell::Kind kind;
        uint32_t bytes;
        union {
            int64_t i;
            double r;
            size_t at;
        };
    };
    std::vector<int> slot_;  // per table column: the query column, -1 when not read
    size_t width_;
    std::vector<int64_t> ids_;
    std::vector<Value> values_;
    std::string text_;
};

// Raises EDatabaseError: "what" followed by the reason SQLite gives.
[[noreturn]] void ThrowSqlite(sqlite3* db, int rc, const QString& what);

// Runs statements without results (pragmas, DDL, BEGIN/COMMIT).
void Exec(sqlite3* db, const char* sql, const QString& what);

// A statement in use: bind, step, read; reset when it goes out of scope so
// the cached statement is ready for the next use.
class Query {
public:
    Query(sqlite3* db, sqlite3_stmt* stmt, int* inUse = nullptr)
        : db_(db), stmt_(stmt), inUse_(inUse) {
        if (inUse_) ++*inUse_;
    }
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& Bind(const Cell& value);
    Query& BindInt(int64_t value);
    Query& BindText(const QString& value);
    Query& BindBlob(const QByteArray& value);
    // True while there is a row to read; raises on failure.
    bool Step();
    int64_t Int(int column) const;
    QString Text(int column) const;
    QByteArray Blob(int column) const;
    Cell Value(int column) const;
    sqlite3_stmt* Statement() const { return stmt_; }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
    int* inUse_;  // the cache's count of statements in use
    int next_ = 1;
};

// Prepared statements of one table, by SQL text.
class StatementCache {
public:
    explicit StatementCache(sqlite3* db = nullptr) : db_(db) {}
    ~StatementCache() { Clear(); }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    void Reset(sqlite3* db);
    Query Run(const QString& sql);
    void Clear();
    sqlite3* Db() const { return db_; }

private:
    sqlite3* db_;
    std::unordered_map<std::string, sqlite3_stmt*> stmts_;
    int inUse_ = 0;
};

// Opens an existing database file (never creates one) with the engine's
// safety settings and checks that it is an intact database. With
// "requireWritable" a file that can only be read is refused. Without
// "checkWhole" only the file's type and size are checked (Adocheck.h says
// when the whole check may wait).
sqlite3* OpenDatabaseFile(const QString& path, bool requireWritable, bool checkWhole = true);
// Whether SQLite's check of every page and every table finds no damage.
bool WholeFileIntact(sqlite3* db, const QString& what);

// Busy timeout of every connection, in milliseconds (another program may
// hold the file for a moment). Tests shorten it.
int BusyTimeoutMs();
void SetBusyTimeoutMs(int ms);

}  // namespace ado
