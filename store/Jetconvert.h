// Bringing a calendar over from the Windows version: its Jet database
// "DB.vdbv2" converted into this program's database, every row of the four
// tables with its key.
#pragma once

#include <QString>

// Writes this program's database at "destination", replacing any file there
// only once the copy is complete and on disk, with the rows of BColors,
// Events, Holidays and Notes of the Windows database "jetPath". Columns
// match by name; columns the file lacks stay empty. Raises EJetError when
// the file cannot be read or does not hold the calendar's tables,
// EDatabaseError when the destination cannot be written; nothing is changed
// then.
void ConvertJetDatabase(const QString& jetPath, const QString& destination);

// The name the original is kept under beside "path": "<path>.jet", or
// "<path>.jet.<n>" for the first n free when that is taken.
QString KeptJetFilePath(const QString& path);

// Converts the Windows database at "path" in place, keeping the original as
// KeptJetFilePath(path); answers that path. On failure (raised as in
// ConvertJetDatabase) both files are as they were.
QString ConvertJetDatabaseInPlace(const QString& path);
