#include "store/Dbfiles.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

#include "store/Adodb.h"
#include "store/Adosqlite.h"

namespace ado {

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

bool Exists(const QString& path) {
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0;
}

QString Errno(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

void SyncPath(const QString& path, int flags) {
    const int fd = ::open(Native(path).constData(), flags | O_CLOEXEC);
    if (fd < 0) throw EDatabaseError(Errno(QStringLiteral("Cannot open \"%1\"").arg(path)));
    const int rc = ::fsync(fd);
    ::close(fd);
    if (rc != 0) throw EDatabaseError(Errno(QStringLiteral("Cannot flush \"%1\"").arg(path)));
}

// Folds the log into the file. A reader in another program can keep the
// log from being folded in whole: the pragma answers that in its first
// column, not in its result code.
int Checkpoint(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA wal_checkpoint(TRUNCATE)", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) rc = sqlite3_column_int(stmt, 0) != 0 ? SQLITE_BUSY : SQLITE_OK;
    if (rc == SQLITE_DONE) rc = SQLITE_OK;
    sqlite3_finalize(stmt);
    return rc;
}

// A log or journal left beside the destination belongs to the file being
// replaced; paired with the new file it would be replayed into it. Folded
// into its own file where possible, otherwise removed (it cannot be used).
void SettleSidecars(const QString& destination) {
    const QString wal = destination + QStringLiteral("-wal");
    const QString journal = destination + QStringLiteral("-journal");
    if (!Exists(wal) && !Exists(journal)) return;
    if (Exists(destination)) {
        sqlite3* db = nullptr;
        int rc =
            sqlite3_open_v2(Native(destination).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(db, BusyTimeoutMs());
            rc = Checkpoint(db);
        }
        const bool busy = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
        if (busy) {
            sqlite3_close_v2(db);
            ThrowSqlite(nullptr, rc, QStringLiteral("Cannot replace \"%1\"").arg(destination));
        }
        sqlite3_close_v2(db);
    }
    for (const QString& side : {wal, journal, destination + QStringLiteral("-shm")})
        if (Exists(side) && ::unlink(Native(side).constData()) != 0)
            throw EDatabaseError(Errno(QStringLiteral("Cannot remove \"%1\"").arg(side)));
}

// A new file in "folder" that only its owner may read: a calendar is
// private. A file it replaces passes its own permissions on (below).
class TempFile {
public:
    explicit TempFile(const QString& folder) {
        for (int attempt = 0; path_.isEmpty(); ++attempt) {
            const QString candidate =
                folder + QStringLiteral("/.vornel-%1.tmp")
                             .arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
            const int fd = ::open(Native(candidate).constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno == EEXIST && attempt < 100) continue;
            if (fd < 0)
                throw EDatabaseError(
                    Errno(QStringLiteral("Cannot create a file in \"%1\"").arg(folder)));
            ::close(fd);
            path_ = candidate;
        }
    }
    ~TempFile() {
        if (path_.isEmpty()) return;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            ::unlink(Native(path_ + QLatin1String(suffix)).constData());
    }
    const QString& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    QString path_;
};

// A pack or restore must not take away what others were allowed to do with
// the database: the replacement gets the permissions of the file it
// replaces. (Not being its owner, it keeps those of a new file.)
void KeepPermissions(const QString& replaced, const QString& replacement) {
    struct stat st {};
    if (::stat(Native(replaced).constData(), &st) == 0 && S_ISREG(st.st_mode))
        (void)::chmod(Native(replacement).constData(), st.st_mode & 07777);
}

}  // namespace

bool SameFile(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    if (::stat(Native(a).constData(), &sa) != 0 || ::stat(Native(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString WriteTarget(const QString& path) {
    const QFileInfo info(path);
    const QString target = info.canonicalFilePath();  // empty unless it exists
    return target.isEmpty() ? info.absoluteFilePath() : target;
}

void InstallDatabaseFile(const QString& destination,
                         const std::function<void(const QString&)>& write) {
    const QString target = WriteTarget(destination);
    const QString folder = QFileInfo(target).absolutePath();
    TempFile temp(folder);
    write(temp.Path());
    KeepPermissions(target, temp.Path());
    SyncPath(temp.Path(), O_RDONLY);
    SettleSidecars(target);
    if (::rename(Native(temp.Path()).constData(), Native(target).constData()) != 0)
        throw EDatabaseError(Errno(QStringLiteral("Cannot replace \"%1\"").arg(target)));
    temp.Keep();
    SyncPath(folder, O_RDONLY | O_DIRECTORY);  // the rename itself must survive a crash
}

}  // namespace ado
