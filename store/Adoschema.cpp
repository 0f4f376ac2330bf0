#include "store/Adoschema.h"

#include <sqlite3.h>

#include <QFile>

#include "store/Adodb.h"
#include "store/Adosqlite.h"

namespace ado {

namespace {

constexpr ColumnType I = ColumnType::Integer;
constexpr ColumnType D = ColumnType::DateTime;
constexpr ColumnType T = ColumnType::Text;

const char* SqlType(ColumnType type) {
    switch (type) {
        case ColumnType::Integer:
            return "INTEGER";
        case ColumnType::DateTime:
            return "REAL";  // the day count with the time as fraction
        case ColumnType::Text:
            return "TEXT";
    }
    return "";
}

// SQLite's affinity rules, so that a file written by another tool with
// other spellings of the same types is still accepted.
ColumnType AffinityOf(const QString& declared, bool* known) {
    const QString t = declared.toUpper();
    *known = true;
    if (t.contains(QLatin1String("INT"))) return ColumnType::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
        t.contains(QLatin1String("TEXT")))
        return ColumnType::Text;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
        t.contains(QLatin1String("DOUB")))
        return ColumnType::DateTime;
    *known = false;
    return ColumnType::Integer;
}

QString CreateTableSql(const TableDef& table) {
    QString sql = QStringLiteral("CREATE TABLE ") + Quoted(table.name) + u'(';
    for (size_t c = 0; c < table.columns.size(); ++c) {
        const ColumnDef& col = table.columns[c];
        if (c > 0) sql += QStringLiteral(", ");
        sql += Quoted(col.name) + u' ' + QLatin1String(SqlType(col.type));
        // AUTOINCREMENT: a deleted row's ID is never given again, so a
        // bookmark or a remembered ID can never name another row.
        if (c == 0) sql += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
    }
    return sql + u')';
}

const ColumnDef& Column(const TableDef& table, const char* name) {
    for (const ColumnDef& col : table.columns)
        if (qstrcmp(col.name, name) == 0) return col;
    throw EDatabaseError(QStringLiteral("Unknown column %1").arg(QLatin1String(name)));
}

QString CreateIndexSql(const TableDef& table, const std::vector<const char*>& columns) {
    QString name = QLatin1String(table.name);
    QString list;
    for (const char* c : columns) {
        name += u'_' + QLatin1String(c);
        if (!list.isEmpty()) list += QStringLiteral(", ");
        list += ComparedExpr(Column(table, c));
    }
    return QStringLiteral("CREATE INDEX ") + Quoted(name.toLatin1().constData()) +
           QStringLiteral(" ON ") + Quoted(table.name) + u'(' + list + u')';
}

void ExecText(sqlite3* db, const QString& sql) {
    Exec(db, sql.toUtf8().constData(), QStringLiteral("Cannot create the database tables"));
}

}  // namespace

const std::vector<TableDef>& AllTables() {
    // Column order matters: the import of the previous version copies by position.
    static const std::vector<TableDef> tables = {
        {"BColors", {{"ID", I}, {"UserID", I}, {"Date", D}, {"Color", I}}, {{"UserID", "Date"}}},
        {"Events",
         {{"ID", I},
          {"UserID", I},
          {"eType", I},
          {"Desc", T},
          {"Date", D},
          {"RunDate", D},
          {"EndDate", D},
          {"UseStartTime", I},
          {"UseEndDate", I},
          {"Notify", I},
          {"NotifyParam", I},
          {"NotifyType", I},
          {"Category", I},
          {"Recurrence", I},
          {"nParam", I},
          {"Action_File", T},
          {"Sound_File", T},
          {"Notes", T},
          {"Completed", I}},
         // The user's rows in ID order; the reminder's due rows; date ranges.
         {{"UserID"}, {"UserID", "Completed", "RunDate"}, {"UserID", "Date"}}},
        {"Holidays",
         {{"ID", I}, {"Month", I}, {"Day", I}, {"DayOfWeek", I}, {"NumOfWeek", I}, {"Name", T}},
         {}},
        {"Notes",
         {{"ID", I}, {"UserID", I}, {"Date", D}, {"Title", T}, {"Notes", T}},
         {{"UserID"}, {"UserID", "Date"}}},
    };
    return tables;
}

const TableDef* FindTableDef(const QString& name) {
    for (const TableDef& table : AllTables())
        if (name.compare(QLatin1String(table.name), Qt::CaseInsensitive) == 0) return &table;
    return nullptr;
}

QString Quoted(const char* name) {
    return u'"' + QLatin1String(name) + u'"';
}

QString ComparedExpr(const ColumnDef& column) {
    if (qstrcmp(column.name, "ID") == 0) return Quoted(column.name);
    const char* nullValue = column.type == ColumnType::Text ? "''" : "0";
    return QStringLiteral("ifnull(%1, %2)").arg(Quoted(column.name), QLatin1String(nullValue));
}

namespace {

// Step i leads from version i to version i + 1.
const std::vector<std::vector<const char*>> kUpgradeSteps = {
    {"CREATE TABLE IF NOT EXISTS \"EventUids\"(\"EventID\" INTEGER PRIMARY KEY, "
     "\"UID\" TEXT NOT NULL)",
     "CREATE INDEX IF NOT EXISTS \"EventUids_UID\" ON \"EventUids\"(\"UID\")"},
    {"CREATE TABLE IF NOT EXISTS \"CalDavAccounts\"(\"UserID\" INTEGER PRIMARY KEY, "
     "\"Server\" TEXT NOT NULL, \"UserName\" TEXT NOT NULL, \"Calendar\" TEXT NOT NULL, "
     "\"Fingerprint\" TEXT NOT NULL, \"SyncToken\" TEXT NOT NULL DEFAULT '')",
     // One row per event as the last synchronisation left it; a row whose
     // event is gone is a local deletion still to be sent.
     "CREATE TABLE IF NOT EXISTS \"CalDavItems\"(\"EventID\" INTEGER PRIMARY KEY, "
     "\"UserID\" INTEGER NOT NULL, \"Href\" TEXT NOT NULL, \"ETag\" TEXT NOT NULL, "
     "\"UID\" TEXT NOT NULL, \"Hash\" TEXT NOT NULL, \"LocalChanged\" INTEGER NOT NULL, "
     "\"Part\" INTEGER NOT NULL DEFAULT 0)",
     "CREATE INDEX IF NOT EXISTS \"CalDavItems_User\" ON \"CalDavItems\"(\"UserID\")"},
    // The iCalendar text an event from another program came in, so that
    // writing it back changes only what the user changed.
    {"CREATE TABLE IF NOT EXISTS \"EventOriginals\"(\"EventID\" INTEGER PRIMARY KEY, "
     "\"Text\" BLOB NOT NULL)",
     // The same for a synchronised event: the server's text of its resource,
     // kept as it arrives so that a large download is not held in memory.
     "CREATE TABLE IF NOT EXISTS \"CalDavOriginals\"(\"UserID\" INTEGER NOT NULL, "
     "\"Href\" TEXT NOT NULL, \"Text\" BLOB NOT NULL, PRIMARY KEY(\"UserID\", \"Href\"))"},
};
static_assert(SchemaVersion == 3, "a new version needs its step above");

void RunUpgradeSteps(sqlite3* db, int from) {
    const QString what = QStringLiteral("Cannot bring the database up to date");
    for (size_t step = size_t(from); step < kUpgradeSteps.size(); ++step)
        for (const char* sql : kUpgradeSteps[step])
            Exec(db, sql, what);
    Exec(db, QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion).toUtf8().constData(),
         what);
}

}  // namespace

void CreateDatabaseFile(const QString& path,
                        const std::function<void(sqlite3* db, const QString& what)>& fill) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const QString what = QStringLiteral("Cannot create the database \"%1\"").arg(path);
    try {
        if (rc != SQLITE_OK) ThrowSqlite(db, rc, what);
        Exec(db, "PRAGMA journal_mode=WAL", what);
        Exec(db, "BEGIN", what);
        CreateSchema(db);
        fill(db, what);
        Exec(db, "COMMIT", what);
        Exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", what);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    sqlite3_close_v2(db);
}

void CreateSchema(sqlite3* db) {
    for (const TableDef& table : AllTables()) {
        ExecText(db, CreateTableSql(table));
        for (const auto& index : table.indexes)
            ExecText(db, CreateIndexSql(table, index));
    }
    RunUpgradeSteps(db, 0);
}

int StoredSchemaVersion(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    int version = 0;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return version;
}

void UpgradeSchema(sqlite3* db) {
    const int from = StoredSchemaVersion(db);
    if (from >= SchemaVersion || sqlite3_db_readonly(db, "main") == 1) return;
    // A savepoint, not a transaction: the caller may be inside one.
    const QString what = QStringLiteral("Cannot bring the database up to date");
    Exec(db, "SAVEPOINT schema_upgrade", what);
    try {
        RunUpgradeSteps(db, from);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO schema_upgrade; RELEASE schema_upgrade", nullptr, nullptr,
                     nullptr);
        throw;
    }
    Exec(db, "RELEASE schema_upgrade", what);
}

void CheckTableSchema(sqlite3* db, const TableDef& table) {
    const QString what = QStringLiteral("Cannot open the table \"%1\"").arg(table.name);
    StatementCache stmts(db);
    {
        Query q = stmts.Run(QStringLiteral(
            "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ? COLLATE NOCASE"));
        q.BindText(QLatin1String(table.name));
        if (!q.Step())
            throw EDatabaseError(what + QStringLiteral(": the database has no such table"));
    }
    Query q = stmts.Run(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"));
    q.BindText(QLatin1String(table.name));
    size_t c = 0;
    for (; q.Step(); ++c) {
        const QString name = q.Text(0);
        if (c >= table.columns.size())
            throw EDatabaseError(what +
                                 QStringLiteral(": it has a column \"%1\" too many").arg(name));
        const ColumnDef& col = table.columns[c];
        if (name.compare(QLatin1String(col.name), Qt::CaseInsensitive) != 0)
            throw EDatabaseError(what + QStringLiteral(": column %1 is \"%2\", expected \"%3\"")
                                            .arg(c + 1)
                                            .arg(name, QLatin1String(col.name)));
        bool known = false;
        const QString declared = q.Text(1);
        const ColumnType type = AffinityOf(declared, &known);
        // The key must be the row number itself, so IDs are automatic.
        const bool keyOk =
            (c == 0) == (q.Int(2) == 1) &&
            (c != 0 || declared.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0);
        if (!known || (type == ColumnType::Text) != (col.type == ColumnType::Text) || !keyOk)
            throw EDatabaseError(
                what + QStringLiteral(": column \"%1\" has the type \"%2\"").arg(name, declared));
    }
    if (c != table.columns.size())
        throw EDatabaseError(
            what +
            QStringLiteral(": it has %1 columns, expected %2").arg(c).arg(table.columns.size()));
}

}  // namespace ado
