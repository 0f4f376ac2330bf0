// Helpers of the store tests: a fresh delivered database in a temporary
// folder with its four tables open, and short ways to add rows.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "store/Adodb.h"
#include "store/Datafolder.h"

class TestDatabase {
public:
    TestDatabase() {
        path = dir.filePath(QStringLiteral("DB.vdbv2"));
        CreateDeliveredDatabase(path);
        connection.ConnectionString = DatabaseConnectionString(path);
        connection.Open();
        for (auto [table, name] : {std::pair{&bcolors, "BColors"},
                                   {&events, "Events"},
                                   {&holidays, "Holidays"},
                                   {&notes, "Notes"}}) {
            table->SetTableName(QLatin1String(name));
            table->Open();
        }
    }

    // Appends an event of a user; answers its ID.
    int AddEvent(int user, const QString& desc, TDateTime date = 0, bool completed = false,
                 TDateTime runDate = 0) {
        events.Append();
        events.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        events.FieldByName(QStringLiteral("Desc"))->SetAsString(desc);
        events.FieldByName(QStringLiteral("Date"))->SetAsDateTime(date);
        events.FieldByName(QStringLiteral("RunDate"))->SetAsDateTime(runDate);
        events.FieldByName(QStringLiteral("Completed"))->SetAsInteger(completed ? 1 : 0);
        events.Post();
        return events.FieldByName(QStringLiteral("ID"))->AsInteger();
    }

    // The Desc texts of the visible events from the first row on.
    QStringList VisibleDescs() {
        QStringList out;
        for (events.First(); !events.Eof(); events.Next())
            out << events.FieldByName(QStringLiteral("Desc"))->AsString();
        return out;
    }

    void SetEventsFilter(const QString& filter) {
        events.SetFiltered(false);
        events.SetFilter(filter);
        events.SetFiltered(true);
    }

    QTemporaryDir dir;
    QString path;
    TADOConnection connection;
    TADOTable bcolors{&connection};
    TADOTable events{&connection};
    TADOTable holidays{&connection};
    TADOTable notes{&connection};
};

inline QString Desc(TADOTable& t) {
    return t.FieldByName(QStringLiteral("Desc"))->AsString();
}
