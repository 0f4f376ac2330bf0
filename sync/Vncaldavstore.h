// The CalDAV bindings and what the last synchronisation saw, kept in tables
// of their own beside the four tables ("CalDavAccounts", "CalDavItems"), so
// that databases without them keep opening and nothing of it needs the server.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "store/Adosqlite.h"
#include "sync/Vncaldavtypes.h"

// One event as the last synchronisation left it on both sides.
struct TvnCalDavItem {
    int EventID = 0;  // the local event; it may since have been deleted
    QString Href;
    QByteArray ETag;
    QString Uid;
    QByteArray Hash;          // of the synchronised fields then (see CalDavEventHash)
    qint64 LocalChanged = 0;  // when a local change was first noticed (UTC seconds); 0: none
    // One of several events made from one resource (a series this calendar
    // cannot say, stored as its occurrences): never sent back, since the
    // server's series would be lost.
    bool Part = false;
    // A part of a series that goes on past the ten years read (stored as
    // Part 2): it is read again once time has moved on, for what lies beyond.
    bool GoesOn = false;
};

namespace ado {

class TCalDavStore {
public:
    // Creates the tables when the database has none (raises EDatabaseError).
    explicit TCalDavStore(sqlite3* db);

    std::optional<TvnCalDavAccount> Account(int userId);
    std::vector<TvnCalDavAccount> Accounts();
    // Binding a user to another calendar forgets what was synchronised before.
    void SaveAccount(const TvnCalDavAccount& account);
    void RemoveAccount(int userId);

    QString SyncToken(int userId);
    void SetSyncToken(int userId, const QString& token);

    std::vector<TvnCalDavItem> Items(int userId);
    void SaveItem(int userId, const TvnCalDavItem& item);
    void RemoveItem(int eventId);
    void SetLocalChanged(int eventId, qint64 at);

    // The server's last text of a resource (by decoded href) that holds one
    // event kept as one record: a change made here is written over it.
    QByteArray Original(int userId, const QString& hrefKey);
    void SaveOriginal(int userId, const QString& hrefKey, const QByteArray& text);

private:
    StatementCache stmts_;
};

}  // namespace ado
