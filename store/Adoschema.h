// The four tables of the calendar database: their columns in stored order,
// the types the engine reads them as, the statements that create them with
// their indexes, and the check that an opened file holds them.
#pragma once

#include <QString>
#include <functional>
#include <vector>

struct sqlite3;

namespace ado {

enum class ColumnType { Integer, DateTime, Text };

struct ColumnDef {
    const char* name;
    ColumnType type;
};

struct TableDef {
    const char* name;
    std::vector<ColumnDef> columns;  // column 0 is always the key "ID"
    // Index column lists. Comparisons are made on ifnull(column, 0) because a
    // null reads as 0, so the indexes are built on the same expressions.
    std::vector<std::vector<const char*>> indexes;
};

// The tables in the order the program opens them: BColors, Events, Holidays, Notes.
const std::vector<TableDef>& AllTables();
// Case-insensitive; null for a name that is not one of the four tables.
const TableDef* FindTableDef(const QString& name);

// "name" in double quotes, for SQL.
QString Quoted(const char* name);
// The expression filters and indexes compare: the key as it is, other
// numeric columns with a null read as 0, texts with a null read as ''.
QString ComparedExpr(const ColumnDef& column);

// The version of the whole schema, kept in PRAGMA user_version: 0 the four
// tables alone (every database made before versions were kept), 1 with the
// event UIDs of the iCalendar exchange, 2 with the CalDAV synchronisation's
// accounts and items, 3 with the original iCalendar texts of events from
// other programs (imported, and synchronised). A new table or column is a new step in
// Adoschema.cpp.
constexpr int SchemaVersion = 3;

// Creates every table and index on an empty database, at SchemaVersion
// (raises EDatabaseError).
void CreateSchema(sqlite3* db);
// Creates the database file at path with the schema and the rows fill
// writes, in one transaction (raises EDatabaseError, whose text names the
// file; fill gets that text for its own errors).
void CreateDatabaseFile(const QString& path,
                        const std::function<void(sqlite3* db, const QString& what)>& fill);
// Brings a database of any earlier version up to SchemaVersion, all steps or
// none; one already there, or a read-only one, is left alone. The steps
// accept tables that builds before the version was kept made on their own.
void UpgradeSchema(sqlite3* db);
int StoredSchemaVersion(sqlite3* db);
// Raises EDatabaseError unless the database holds the table with exactly
// these columns in this order (key first), of matching types.
void CheckTableSchema(sqlite3* db, const TableDef& table);

}  // namespace ado
