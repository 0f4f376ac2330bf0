#include "store/Jetconvert.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <functional>

#include "store/Adoschema.h"
#include "store/Adosqlite.h"
#include "store/Dbfiles.h"
#include "store/Jetfiles.h"

namespace {

using ado::ColumnType;

// Which source column feeds each column of the program's table (-1: none).
std::vector<int> MatchColumns(const ado::TableDef& def, const TJetTable& table,
                              const QString& file) {
    std::vector<int> sources;
    for (const ado::ColumnDef& column : def.columns) {
        int found = -1;
        for (size_t i = 0; i < table.columns.size(); ++i)
            if (table.columns[i].name.compare(QLatin1String(column.name), Qt::CaseInsensitive) == 0)
                found = int(i);
        if (found >= 0) {
            const TJetType type = table.columns[found].type;
            const bool fits = column.type == ColumnType::Integer
                                  ? type == TJetType::Integer || type == TJetType::Boolean
                              : column.type == ColumnType::DateTime
                                  ? type == TJetType::Date || type == TJetType::Real
                                  : type == TJetType::Text;
            if (!fits)
                throw EJetError(QStringLiteral("The column %1 of the table %2 in \"%3\" holds "
                                               "values of another kind.")
                                    .arg(QLatin1String(column.name), table.name, file));
        }
        sources.push_back(found);
    }
    if (sources.front() < 0)
        throw EJetError(
            QStringLiteral("The table %1 in \"%2\" has no ID column.").arg(table.name, file));
    return sources;
}

void Bind(sqlite3_stmt* stmt, int index, const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::LongLong:
            sqlite3_bind_int64(stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(stmt, index, value.toDouble());
            break;
        case QMetaType::QString: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        default:
            sqlite3_bind_null(stmt, index);
    }
}

QString InsertSql(const ado::TableDef& def) {
    QString names, marks;
    for (const ado::ColumnDef& column : def.columns) {
        names += (names.isEmpty() ? QString() : QStringLiteral(",")) + ado::Quoted(column.name);
        marks += marks.isEmpty() ? QStringLiteral("?") : QStringLiteral(",?");
    }
    return QStringLiteral("INSERT INTO %1(%2) VALUES(%3)").arg(ado::Quoted(def.name), names, marks);
}

void InsertRows(sqlite3* db, const ado::TableDef& def, const TJetTable& table,
                const std::vector<int>& sources) {
    const QString what = QStringLiteral("Cannot write the table %1").arg(QLatin1String(def.name));
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, InsertSql(def).toUtf8().constData(), -1, &stmt, nullptr);
    for (size_t r = 0; rc == SQLITE_OK && r < table.rows.size(); ++r) {
        for (size_t c = 0; c < sources.size(); ++c)
            Bind(stmt, int(c) + 1, sources[c] < 0 ? QVariant() : table.rows[r][sources[c]]);
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) rc = sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK) ado::ThrowSqlite(db, rc, what);
}

void WriteDatabase(const QString& path, const std::vector<TJetTable>& tables,
                   const std::vector<std::vector<int>>& sources) {
    ado::CreateDatabaseFile(path, [&](sqlite3* db, const QString&) {
        for (size_t i = 0; i < tables.size(); ++i)
            InsertRows(db, ado::AllTables()[i], tables[i], sources[i]);
    });
}

// Reads the whole file and checks it before anything is written.
void Convert(const QString& jetPath, const QString& destination,
             const std::function<void()>& beforeRename) {
    QStringList names;
    for (const ado::TableDef& def : ado::AllTables())
        names << QLatin1String(def.name);
    const std::vector<TJetTable> tables = ReadJetTables(jetPath, names);
    std::vector<std::vector<int>> sources;
    for (size_t i = 0; i < tables.size(); ++i)
        sources.push_back(MatchColumns(ado::AllTables()[i], tables[i], jetPath));
    ado::InstallDatabaseFile(destination, [&](const QString& temp) {
        WriteDatabase(temp, tables, sources);
        if (beforeRename) beforeRename();
    });
}

// A second name for the original (a hard link), or a copy where the file
// system has no links (a USB stick); flushed before the original is replaced.
void KeepOriginal(const QString& path, const QString& kept) {
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(kept);
    if (::link(from.constData(), to.constData()) == 0) return;
    if (errno == EEXIST || !QFile::copy(path, kept))
        throw EDatabaseError(QStringLiteral("Cannot keep the original as \"%1\"").arg(kept));
    QFile copy(kept);
    if (!copy.open(QIODevice::ReadOnly) || ::fsync(copy.handle()) != 0) {
        QFile::remove(kept);
        throw EDatabaseError(QStringLiteral("Cannot keep the original as \"%1\"").arg(kept));
    }
}

}  // namespace

void ConvertJetDatabase(const QString& jetPath, const QString& destination) {
    Convert(jetPath, destination, {});
}

QString KeptJetFilePath(const QString& path) {
    QString kept = path + QStringLiteral(".jet");
    for (int n = 1; QFileInfo::exists(kept) || QFileInfo(kept).isSymLink(); ++n)
        kept = path + QStringLiteral(".jet.%1").arg(n);
    return kept;
}

QString ConvertJetDatabaseInPlace(const QString& path) {
    const QString target = ado::WriteTarget(path);
    const QString kept = KeptJetFilePath(target);
    bool keptMade = false;
    try {
        Convert(target, target, [&] {
            KeepOriginal(target, kept);
            keptMade = true;
        });
    } catch (...) {
        // A failure after the rename (flushing the folder) keeps both files.
        if (keptMade && IsJetFile(target)) QFile::remove(kept);
        throw;
    }
    return kept;
}
