// File-level helpers for database files: whether two paths name one file,
// and writing a database beside its destination and renaming it into place
// so that a failure never leaves a half-written or mismatched file.
#pragma once

#include <QString>
#include <functional>

struct sqlite3;

namespace ado {

// True when both paths exist and are the same file (through any spelling,
// symbolic or hard link).
bool SameFile(const QString& a, const QString& b);

// The file a write to "path" should replace: the target of a symbolic link,
// else the path made absolute.
QString WriteTarget(const QString& path);

// Writes a new database into a temporary file in the destination's folder
// with "write" (given the temporary file's path), flushes it to disk and
// renames it over the destination. On any failure the temporary file is
// removed, the destination is untouched, and the EDatabaseError is raised.
void InstallDatabaseFile(const QString& destination,
                         const std::function<void(const QString&)>& write);

}  // namespace ado
