// The iCalendar UID of each event, kept in a table of its own ("EventUids")
// beside the four tables, with the text of an event that came from another
// program ("EventOriginals"), so that databases without it keep opening and a
// second export of an event gives the same UID.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

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

    // The iCalendar text the event came in from another program (empty when
    // none): writing it back patches this text. Storing an empty one removes it.
    QByteArray Original(int eventId);
    void StoreOriginal(int eventId, const QByteArray& text);
    // The events of the user that carry the text of a series kept as single
    // events (the last occurrence read of it).
    std::vector<int> SeriesCarriers(int userId);

private:
    StatementCache stmts_;
};

}  // namespace ado
