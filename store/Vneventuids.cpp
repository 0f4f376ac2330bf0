#include "store/Vneventuids.h"

#include "store/Adoschema.h"

namespace ado {

TEventUids::TEventUids(sqlite3* db) : stmts_(db) {
    const QString what = QStringLiteral("Cannot prepare the table of event UIDs");
    UpgradeSchema(db);  // a file restored from before the table existed
    // IDs are never given again, so a row of a deleted event only takes room.
    for (const char* sql :
         {"DELETE FROM \"EventUids\" WHERE \"EventID\" NOT IN (SELECT \"ID\" FROM \"Events\")",
          "DELETE FROM \"EventOriginals\" WHERE \"EventID\" NOT IN (SELECT \"ID\" FROM "
          "\"Events\")"})
        Exec(db, sql, what);
}

QString TEventUids::Uid(int eventId) {
    Query q = stmts_.Run(QStringLiteral("SELECT \"UID\" FROM \"EventUids\" WHERE \"EventID\" = ?"));
    q.BindInt(eventId);
    return q.Step() ? q.Text(0) : QString();
}

void TEventUids::Store(int eventId, const QString& uid) {
    Query q = stmts_.Run(
        QStringLiteral("INSERT OR REPLACE INTO \"EventUids\"(\"EventID\", \"UID\") VALUES (?, ?)"));
    q.BindInt(eventId).BindText(uid);
    q.Step();
}

int TEventUids::EventOf(const QString& uid, int userId) {
    Query q = stmts_.Run(QStringLiteral(
        "SELECT e.\"ID\" FROM \"EventUids\" u JOIN \"Events\" e ON e.\"ID\" = u.\"EventID\" "
        "WHERE u.\"UID\" = ? AND e.\"UserID\" = ? ORDER BY e.\"ID\" LIMIT 1"));
    q.BindText(uid).BindInt(userId);
    return q.Step() ? int(q.Int(0)) : 0;
}

QByteArray TEventUids::Original(int eventId) {
    Query q =
        stmts_.Run(QStringLiteral("SELECT \"Text\" FROM \"EventOriginals\" WHERE \"EventID\" = ?"));
    q.BindInt(eventId);
    return q.Step() ? q.Blob(0) : QByteArray();
}

void TEventUids::StoreOriginal(int eventId, const QByteArray& text) {
    Query q = stmts_.Run(
        text.isEmpty() ? QStringLiteral("DELETE FROM \"EventOriginals\" WHERE \"EventID\" = ?")
                       : QStringLiteral("INSERT OR REPLACE INTO \"EventOriginals\"(\"EventID\", "
                                        "\"Text\") VALUES (?, ?)"));
    q.BindInt(eventId);
    if (!text.isEmpty()) q.BindBlob(text);
    q.Step();
}

std::vector<int> TEventUids::SeriesCarriers(int userId) {
    Query q = stmts_.Run(QStringLiteral(
        "SELECT o.\"EventID\" FROM \"EventOriginals\" o JOIN \"EventUids\" u ON "
        "u.\"EventID\" = o.\"EventID\" JOIN \"Events\" e ON e.\"ID\" = o.\"EventID\" "
        "WHERE instr(u.\"UID\", '/') > 0 AND e.\"UserID\" = ? ORDER BY o.\"EventID\""));
    q.BindInt(userId);
    std::vector<int> out;
    while (q.Step())
        out.push_back(int(q.Int(0)));
    return out;
}

}  // namespace ado
