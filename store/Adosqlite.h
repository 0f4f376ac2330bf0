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
    // True while there is a row to read; raises on failure.
    bool Step();
    int64_t Int(int column) const;
    QString Text(int column) const;
    Cell Value(int column) const;

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
// "requireWritable" a file that can only be read is refused.
sqlite3* OpenDatabaseFile(const QString& path, bool requireWritable);

// Busy timeout of every connection, in milliseconds (another program may
// hold the file for a moment). Tests shorten it.
int BusyTimeoutMs();
void SetBusyTimeoutMs(int ms);

}  // namespace ado
