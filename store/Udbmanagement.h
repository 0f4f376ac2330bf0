// Database files: compaction of one database file into another, the
// backup, restore and pack built on it, and the import of the previous
// version's data. The caller closes the connection before any of these and
// opens it again afterwards.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "store/Vntypes.h"

class TADOConnection;
class TADOTable;

// Writes a compacted copy of the source database as the destination,
// replacing any file of that name only once the copy is complete and on
// disk. Answers false, doing nothing, when both paths name the same file
// (also through another spelling or a link); true when the copy is in
// place. Raises EDatabaseError when the source cannot be read or the
// destination cannot be written; existing files are then as they were.
bool CompactDatabaseFile(const QString& source, const QString& destination);

// Compacted copy of the database as "path"; false on failure. Naming the
// database itself does nothing and answers true.
bool BackupDatabase(const QString& path);
// Replaces the database with a compacted copy of "path"; false on failure,
// also when "path" is not a database of this program's tables (the
// database is then untouched). Naming the database itself answers true.
bool RestoreDatabase(const QString& path);
// Compacts the database in place through "tmpDB8vymfujgfqwrf.mdb" in the
// data folder; false on failure, with the database untouched.
bool PackDatabase();

// Raises EDatabaseError unless "path" is an intact database holding the
// program's four tables.
void CheckDatabaseFile(const QString& path);

// The four tables of an open connection, opened in the order BColors,
// Events, Holidays, Notes (indexed by the table selectors tsBColors ...).
using TCalendarTables = std::array<std::unique_ptr<TADOTable>, TableCount>;
TCalendarTables OpenCalendarTables(TADOConnection& connection);

// What the import of the previous version's data reports as it goes: the
// table it starts with the number of rows it will copy from it, then each
// copied row.
struct TImportProgress {
    std::function<void(const QString& table, int rows)> TableStarted;
    std::function<void()> RowCopied;
};

// Appends the rows of BColors and then Events of the previous version's
// database "source" to those tables of "destination", column by column
// after the key; the first row of each source table is not copied. Answers
// false, copying nothing, when either file, or one of those tables in it,
// cannot be opened, and when both paths name one file. An error while rows
// are copied is raised (EDatabaseError); the rows copied before it stay.
// "source" may be the previous version's Jet file (from Windows): it is then
// read whole through the Jet helper first, and a file that cannot be read
// raises EJetError with the reason, copying nothing.
bool ImportPreviousData(const QString& source, const QString& destination,
                        const TImportProgress& progress = {});
