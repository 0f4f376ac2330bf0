// The whole-file integrity check of a database, kept off the start: the
// check runs when the connection closes (only if the file changed while it
// was open), and a record of the files found intact lets the next open skip
// it as long as the file is exactly as it was then. A file changed in any
// other way (its change time moves with every write, even one that puts
// the modification time back), a log left by a crash, or a record older
// than a day gets the whole check at open again.
#pragma once

#include <QString>
#include <cstdint>

struct sqlite3;

namespace ado {

// The file system's identity of a file's present content.
struct FileState {
    uint64_t device = 0, inode = 0;
    int64_t size = 0, modifiedNs = 0, changedNs = 0;

    friend bool operator==(const FileState&, const FileState&) = default;
};

// The state of an opened database file and when it was last wholly checked
// (seconds since the epoch; 0: not known intact).
struct CheckedFile {
    QString path;
    FileState state;
    int64_t checkedAt = 0;
};

// Opens like OpenDatabaseFile (writable), checking the whole file only when
// no fresh record vouches for it. Raises EDatabaseError.
sqlite3* OpenCheckedDatabaseFile(const QString& path, CheckedFile& checked);

// Closes the handle; records the file as intact when it still is as it was
// opened, or when it changed and the whole check now passes.
void CloseCheckedDatabaseFile(sqlite3* db, const CheckedFile& checked);

}  // namespace ado
