#include "store/Udbmanagement.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>

#include "store/Adodb.h"
#include "store/Adoschema.h"
#include "store/Adosqlite.h"
#include "store/Adotransaction.h"
#include "store/Datafolder.h"
#include "store/Dbfiles.h"
#include "store/Jetfiles.h"

namespace {

class Handle {
public:
    explicit Handle(sqlite3* db) : db_(db) {}
    ~Handle() { sqlite3_close_v2(db_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_;
};

void VacuumInto(sqlite3* source, const QString& target) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(source, "VACUUM INTO ?", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray name = QFile::encodeName(target);
        sqlite3_bind_text(stmt, 1, name.constData(), static_cast<int>(name.size()),
                          SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK)
        ado::ThrowSqlite(source, rc, QStringLiteral("Cannot write the copy \"%1\"").arg(target));
}

// The tables the previous version's import copies, open on one database.
class ImportTables {
public:
    explicit ImportTables(const QString& path) {
        static const char* const kNames[] = {"BColors", "Events"};
        connection_.ConnectionString = DatabaseConnectionString(path);
        for (size_t i = 0; i < tables_.size(); ++i) {
            tables_[i] = std::make_unique<TADOTable>(&connection_);
            tables_[i]->SetTableName(QLatin1String(kNames[i]));
        }
    }
    // False when the file is no database or lacks one of the tables.
    bool Open() {
        try {
            for (auto& table : tables_)
                table->Open();
            return true;
        } catch (const EDatabaseError&) {
            return false;
        }
    }
    TADOConnection& Connection() { return connection_; }
    TADOTable& Table(size_t i) { return *tables_[i]; }
    static constexpr size_t Count = 2;

private:
    TADOConnection connection_;  // declared first: the tables leave it before it closes
    std::array<std::unique_ptr<TADOTable>, Count> tables_;
};

void CopyRows(TADOTable& source, TADOTable& dest, const TImportProgress& progress) {
    if (progress.TableStarted)
        progress.TableStarted(source.TableName(), std::max(source.RecordCount() - 1, 0));
    source.First();
    if (!source.Eof()) source.Next();
    while (!source.Eof()) {
        dest.Append();
        // Both tables have the program's columns (checked on opening); the
        // key is the destination's own.
        for (int c = 1; c < source.FieldCount(); ++c)
            dest.Fields(c)->SetAsVariant(source.Fields(c)->AsVariant());
        dest.Post();
        source.Next();
        if (progress.RowCopied) progress.RowCopied();
    }
}

// The version 1.0 columns line up with the program's by position; a file
// with more columns, or values of another kind, is refused before any row
// is written.
void CheckLinesUp(const TJetTable& from, TADOTable& to, const QString& file) {
    const std::vector<ado::ColumnDef>& columns = ado::FindTableDef(to.TableName())->columns;
    bool fits = from.columns.size() <= columns.size();
    for (size_t c = 1; fits && c < from.columns.size(); ++c) {
        const TJetType type = from.columns[c].type;
        switch (columns[c].type) {
            case ado::ColumnType::Integer:
                fits = type == TJetType::Integer || type == TJetType::Boolean;
                break;
            case ado::ColumnType::DateTime:
                fits = type == TJetType::Date || type == TJetType::Real;
                break;
            case ado::ColumnType::Text:
                fits = type == TJetType::Text;
                break;
        }
    }
    if (!fits)
        throw EJetError(QStringLiteral("The columns of the table %1 in \"%2\" do not match.")
                            .arg(from.name, file));
}

void CopyJetRows(const TJetTable& source, TADOTable& dest, const TImportProgress& progress) {
    if (progress.TableStarted)
        progress.TableStarted(source.name, std::max(int(source.rows.size()) - 1, 0));
    for (size_t r = 1; r < source.rows.size(); ++r) {
        dest.Append();
        for (size_t c = 1; c < source.columns.size(); ++c)
            dest.Fields(int(c))->SetAsVariant(source.rows[r][c]);
        dest.Post();
        if (progress.RowCopied) progress.RowCopied();
    }
}

// The whole file is read through the helper before the first row is written.
bool ImportJetData(const QString& source, const QString& destination,
                   const TImportProgress& progress) {
    const std::vector<TJetTable> from =
        ReadJetTables(source, {QStringLiteral("BColors"), QStringLiteral("Events")});
    ImportTables to(destination);
    if (!to.Open()) return false;
    for (size_t i = 0; i < ImportTables::Count; ++i)
        CheckLinesUp(from[i], to.Table(i), source);
    TTransactionScope transaction(&to.Connection());
    for (size_t i = 0; i < ImportTables::Count; ++i)
        CopyJetRows(from[i], to.Table(i), progress);
    transaction.Commit();
    return true;
}

}  // namespace

bool ImportPreviousData(const QString& source, const QString& destination,
                        const TImportProgress& progress) {
    if (ado::SameFile(source, destination)) return false;
    if (IsJetFile(source)) return ImportJetData(source, destination, progress);
    ImportTables from(source);
    ImportTables to(destination);
    // Both files are checked whole before the first row is written, so a
    // file that cannot be read never leaves a half import behind.
    if (!from.Open() || !to.Open()) return false;
    TTransactionScope transaction(&to.Connection());
    for (size_t i = 0; i < ImportTables::Count; ++i)
        CopyRows(from.Table(i), to.Table(i), progress);
    transaction.Commit();
    return true;
}

bool CompactDatabaseFile(const QString& source, const QString& destination) {
    if (ado::SameFile(source, destination)) return false;
    // The source may lie on read-only media (a backup being restored).
    Handle src(ado::OpenDatabaseFile(source, false));
    ado::InstallDatabaseFile(destination,
                             [&](const QString& temp) { VacuumInto(src.get(), temp); });
    return true;
}

void CheckDatabaseFile(const QString& path) {
    Handle db(ado::OpenDatabaseFile(path, false));
    for (const ado::TableDef& table : ado::AllTables())
        ado::CheckTableSchema(db.get(), table);
}

bool BackupDatabase(const QString& path) {
    try {
        CompactDatabaseFile(DatabaseFilePath(), path);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool RestoreDatabase(const QString& path) {
    try {
        if (ado::SameFile(path, DatabaseFilePath())) return true;
        // Never replace the database with something the program cannot open.
        CheckDatabaseFile(path);
        CompactDatabaseFile(path, DatabaseFilePath());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool PackDatabase() {
    const QString temp = DataFolder() + QStringLiteral("tmpDB8vymfujgfqwrf.mdb");
    try {
        CompactDatabaseFile(DatabaseFilePath(), temp);
        // The database is replaced by one rename: it is never missing, even
        // for a moment, and a failure leaves it as it was.
        ado::InstallDatabaseFile(DatabaseFilePath(), [&](const QString& target) {
            if (::rename(QFile::encodeName(temp).constData(),
                         QFile::encodeName(target).constData()) == 0)
                return;
            // The database is a link into another file system: copy across.
            if (errno != EXDEV)
                throw EDatabaseError(QStringLiteral("Cannot move \"%1\"").arg(temp));
            Handle copy(ado::OpenDatabaseFile(temp, false));
            VacuumInto(copy.get(), target);
        });
        QFile::remove(temp);
        return true;
    } catch (const std::exception&) {
        QFile::remove(temp);
        return false;
    }
}

TCalendarTables OpenCalendarTables(TADOConnection& connection) {
    static const char* const kNames[TableCount] = {"BColors", "Events", "Holidays", "Notes"};
    // A file from before a table existed (a restored backup) gets it here.
    if (connection.Connected()) ado::UpgradeSchema(connection.Handle());
    TCalendarTables tables;
    for (int i = 0; i < TableCount; ++i) {
        tables[i] = std::make_unique<TADOTable>(&connection);
        tables[i]->SetTableName(QLatin1String(kNames[i]));
        tables[i]->Open();
    }
    return tables;
}
