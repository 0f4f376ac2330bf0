// The four tables of the calendar database: their columns in stored order,
// the types the engine reads them as, the statements that create them with
// their indexes, and the check that an opened file holds them.
#pragma once

#include <QString>
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

// Creates the tables and indexes on an empty database (raises EDatabaseError).
void CreateSchema(sqlite3* db);
// Raises EDatabaseError unless the database holds the table with exactly
// these columns in this order (key first), of matching types.
void CheckTableSchema(sqlite3* db, const TableDef& table);

}  // namespace ado
