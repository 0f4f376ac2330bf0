#include "sync/Vncaldavstore.h"

#include "store/Adoschema.h"

namespace ado {

namespace {

TvnCalDavAccount AccountOf(const Query& q) {
    TvnCalDavAccount a;
    a.UserID = int(q.Int(0));
    a.Server = q.Text(1);
    a.UserName = q.Text(2);
    a.Calendar = q.Text(3);
    a.Fingerprint = q.Text(4).toLatin1();
    return a;
}

const QString kAccountColumns = QStringLiteral(
    "SELECT \"UserID\", \"Server\", \"UserName\", \"Calendar\", \"Fingerprint\" FROM "
    "\"CalDavAccounts\"");

}  // namespace

TCalDavStore::TCalDavStore(sqlite3* db) : stmts_(db) {
    // The tables are the schema's own (store/Adoschema.cpp); a file restored
    // from before they existed gets them here.
    UpgradeSchema(db);
}

std::optional<TvnCalDavAccount> TCalDavStore::Account(int userId) {
    Query q = stmts_.Run(kAccountColumns + QStringLiteral(" WHERE \"UserID\" = ?"));
    q.BindInt(userId);
    if (!q.Step()) return std::nullopt;
    return AccountOf(q);
}

std::vector<TvnCalDavAccount> TCalDavStore::Accounts() {
    Query q = stmts_.Run(kAccountColumns + QStringLiteral(" ORDER BY \"UserID\""));
    std::vector<TvnCalDavAccount> out;
    while (q.Step())
        out.push_back(AccountOf(q));
    return out;
}

void TCalDavStore::SaveAccount(const TvnCalDavAccount& account) {
    const auto before = Account(account.UserID);
    if (before && (before->Calendar != account.Calendar || before->UserName != account.UserName))
        RemoveAccount(account.UserID);
    Query q = stmts_.Run(QStringLiteral(
        "INSERT INTO \"CalDavAccounts\"(\"UserID\", \"Server\", \"UserName\", \"Calendar\", "
        "\"Fingerprint\") VALUES (?, ?, ?, ?, ?) ON CONFLICT(\"UserID\") DO UPDATE SET "
        "\"Server\" = excluded.\"Server\", \"Fingerprint\" = excluded.\"Fingerprint\""));
    q.BindInt(account.UserID)
        .BindText(account.Server)
        .BindText(account.UserName)
        .BindText(account.Calendar)
        .BindText(QString::fromLatin1(account.Fingerprint));
    q.Step();
}

void TCalDavStore::RemoveAccount(int userId) {
    for (const char* sql : {"DELETE FROM \"CalDavAccounts\" WHERE \"UserID\" = ?",
                            "DELETE FROM \"CalDavItems\" WHERE \"UserID\" = ?",
                            "DELETE FROM \"CalDavOriginals\" WHERE \"UserID\" = ?"}) {
        Query q = stmts_.Run(QString::fromLatin1(sql));
        q.BindInt(userId);
        q.Step();
    }
}

QString TCalDavStore::SyncToken(int userId) {
    Query q = stmts_.Run(
        QStringLiteral("SELECT \"SyncToken\" FROM \"CalDavAccounts\" WHERE \"UserID\" = ?"));
    q.BindInt(userId);
    return q.Step() ? q.Text(0) : QString();
}

void TCalDavStore::SetSyncToken(int userId, const QString& token) {
    Query q = stmts_.Run(
        QStringLiteral("UPDATE \"CalDavAccounts\" SET \"SyncToken\" = ? WHERE \"UserID\" = ?"));
    q.BindText(token).BindInt(userId);
    q.Step();
}

std::vector<TvnCalDavItem> TCalDavStore::Items(int userId) {
    Query q = stmts_.Run(QStringLiteral(
        "SELECT \"EventID\", \"Href\", \"ETag\", \"UID\", \"Hash\", \"LocalChanged\", \"Part\" "
        "FROM \"CalDavItems\" WHERE \"UserID\" = ? ORDER BY \"EventID\""));
    q.BindInt(userId);
    std::vector<TvnCalDavItem> out;
    while (q.Step()) {
        TvnCalDavItem item;
        item.EventID = int(q.Int(0));
        item.Href = q.Text(1);
        item.ETag = q.Text(2).toUtf8();
        item.Uid = q.Text(3);
        item.Hash = q.Text(4).toLatin1();
        item.LocalChanged = q.Int(5);
        item.Part = q.Int(6) != 0;
        item.GoesOn = q.Int(6) == 2;
        out.push_back(std::move(item));
    }
    return out;
}

void TCalDavStore::SaveItem(int userId, const TvnCalDavItem& item) {
    Query q = stmts_.Run(QStringLiteral(
        "INSERT OR REPLACE INTO \"CalDavItems\"(\"EventID\", \"UserID\", \"Href\", \"ETag\", "
        "\"UID\", \"Hash\", \"LocalChanged\", \"Part\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    q.BindInt(item.EventID)
        .BindInt(userId)
        .BindText(item.Href)
        .BindText(QString::fromUtf8(item.ETag))
        .BindText(item.Uid)
        .BindText(QString::fromLatin1(item.Hash))
        .BindInt(item.LocalChanged)
        .BindInt(item.Part ? (item.GoesOn ? 2 : 1) : 0);
    q.Step();
}

void TCalDavStore::RemoveItem(int eventId) {
    Query q = stmts_.Run(QStringLiteral("DELETE FROM \"CalDavItems\" WHERE \"EventID\" = ?"));
    q.BindInt(eventId);
    q.Step();
}

void TCalDavStore::SetLocalChanged(int eventId, qint64 at) {
    Query q = stmts_.Run(
        QStringLiteral("UPDATE \"CalDavItems\" SET \"LocalChanged\" = ? WHERE \"EventID\" = ?"));
    q.BindInt(at).BindInt(eventId);
    q.Step();
}

QByteArray TCalDavStore::Original(int userId, const QString& hrefKey) {
    Query q = stmts_.Run(QStringLiteral(
        "SELECT \"Text\" FROM \"CalDavOriginals\" WHERE \"UserID\" = ? AND \"Href\" = ?"));
    q.BindInt(userId).BindText(hrefKey);
    return q.Step() ? q.Blob(0) : QByteArray();
}

void TCalDavStore::SaveOriginal(int userId, const QString& hrefKey, const QByteArray& text) {
    Query q = stmts_.Run(
        text.isEmpty()
            ? QStringLiteral(
                  "DELETE FROM \"CalDavOriginals\" WHERE \"UserID\" = ? AND \"Href\" = ?")
            : QStringLiteral("INSERT OR REPLACE INTO \"CalDavOriginals\"(\"UserID\", \"Href\", "
                             "\"Text\") VALUES (?, ?, ?)"));
    q.BindInt(userId).BindText(hrefKey);
    if (!text.isEmpty()) q.BindBlob(text);
    q.Step();
}

}  // namespace ado
