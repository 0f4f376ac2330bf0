// The iCalendar UID of each event, kept in a table of its own ("EventUids")
// beside the four tables, so that databases without it keep opening and a
// second export of an event gives the same UID.
#pragma once

#include <QString>

#include "store/Adosqlite.h"

namespace ado {

class TEventUids {
public:
    // Creates the table when the database has none; removes the rows of
    // events that no longer exist (raises EDatabaseError).
    explicit TEventUids(sqlite3* db);

    // The UID stored for the event; empty when none.
    QString Uid(int eventId);
    void Store(int eventId, const QString& uid);
    // The event of the user that carries the UID; 0 when there is none (also
    // when the event it was stored for has been deleted).
    int EventOf(const QString& uid, int userId);

private:
    StatementCache stmts_;
};

}  // namespace ado
