#include "store/Adocheck.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include "store/Adodb.h"
#include "store/Adosqlite.h"

namespace ado {

namespace {

// A record older than this gets the whole check again: damage that no write
// makes (a failing disk) is found within a day.
constexpr int64_t kRecordLifeSeconds = 24 * 3600;
constexpr int kRecordsKept = 32;

bool StatFile(const QString& path, FileState& out) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.size = st.st_size;
    out.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    out.changedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return true;
}

// A log with frames holds changes the record does not cover.
bool LogPending(const QString& path) {
    QFile log(path + QStringLiteral("-wal"));
    return log.exists() && log.size() > 0;
}

QString RecordsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/vornel/intact-databases");
}

// One line per file: path, then device, inode, size, the two times and
// the moment of the last whole check, separated by tabs.
QString RecordLine(const QString& path, const FileState& s, int64_t checkedAt) {
    return QStringList{path,
                       QString::number(s.device),
                       QString::number(s.inode),
                       QString::number(s.size),
                       QString::number(s.modifiedNs),
                       QString::number(s.changedNs),
                       QString::number(checkedAt)}
        .join(u'\t');
}

QStringList ReadRecords() {
    QFile file(RecordsPath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.read(1 << 20)).split(u'\n', Qt::SkipEmptyParts);
}

// Keeps the newest records, this file's first; a failure to write only
// costs the next open a whole check.
void WriteRecords(const QString& path, const QString& line) {
    QStringList lines;
    if (!line.isEmpty()) lines << line;
    for (const QString& old : ReadRecords())
        if (old.section(u'\t', 0, 0) != path && lines.size() < kRecordsKept) lines << old;
    QDir().mkpath(QFileInfo(RecordsPath()).path());
    QSaveFile file(RecordsPath());
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(lines.join(u'\n').toUtf8() + '\n');
    file.commit();
}

// The moment of the last whole check when the record matches the file.
int64_t RecordedCheck(const QString& path, const FileState& state) {
    const int64_t now = QDateTime::currentSecsSinceEpoch();
    for (const QString& line : ReadRecords()) {
        const QStringList f = line.split(u'\t');
        if (f.size() != 7 || f[0] != path) continue;
        const int64_t at = f[6].toLongLong();
        if (RecordLine(path, state, at) != line || at > now || now - at >= kRecordLifeSeconds)
            return 0;
        return at;
    }
    return 0;
}

}  // namespace

sqlite3* OpenCheckedDatabaseFile(const QString& path, CheckedFile& checked) {
    checked = {};
    checked.path = QFileInfo(path).absoluteFilePath();
    FileState before;
    const bool known = StatFile(path, before) && !LogPending(path);
    const int64_t at = known ? RecordedCheck(checked.path, before) : 0;
    sqlite3* db = OpenDatabaseFile(path, true, at == 0);
    checked.checkedAt = at != 0 ? at : QDateTime::currentSecsSinceEpoch();
    StatFile(path, checked.state);
    return db;
}

void CloseCheckedDatabaseFile(sqlite3* db, const CheckedFile& checked) {
    FileState before, after;
    int64_t at = checked.checkedAt;
    bool intact = StatFile(checked.path, before);
    if (intact && before != checked.state) {
        // Written while open: checked again now, while the program ends.
        try {
            intact = WholeFileIntact(db, QString());
        } catch (const EDatabaseError&) {
            intact = false;
        }
        at = QDateTime::currentSecsSinceEpoch();
    }
    sqlite3_close_v2(db);
    intact =
        intact && StatFile(checked.path, after) && after == before && !LogPending(checked.path);
    if (intact && RecordedCheck(checked.path, after) == at) return;  // as recorded already
    WriteRecords(checked.path, intact ? RecordLine(checked.path, after, at) : QString());
}

}  // namespace ado
