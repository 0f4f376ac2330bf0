// A fresh delivered database in a temporary folder with its four tables
// open, and short ways to add rows the way the program stores them. Only Qt
// Core and the store: the store tests use it without any widget (binding a
// calendar to it is in support/BoundCalendar.h).
#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <optional>

#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "store/Vntypes.h"

// What a new event holds beyond its user, text and start. The defaults make
// a pending one-off event of no particular category that runs at its start.
struct EventColumns {
    int recurrence = rkOnce;
    int nParam = 1;
    int category = ecMiscellaneous;
    bool completed = false;
    std::optional<TDateTime> runDate = std::nullopt;  // the start when not given
    bool useStartTime = false;
};

class TestDatabase {
    static QString CreateIn(const QTemporaryDir& dir) {
        const QString file = dir.filePath(QStringLiteral("DB.vdbv2"));
        CreateDeliveredDatabase(file);
        return file;
    }
    TCalendarTables OpenTables() {
        connection.ConnectionString = DatabaseConnectionString(path);
        connection.Open();
        return OpenCalendarTables(connection);
    }

public:
    // Appends an event of a user; answers its ID.
    int AddEvent(int user, const QString& desc, TDateTime date = 0, const EventColumns& more = {}) {
        TADOTable& t = ForAdding(tsEvents);
        t.Append();
        t.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        t.FieldByName(QStringLiteral("eType"))
            ->SetAsInteger(more.recurrence == rkOnce ? etEvent : etRecurring);
        t.FieldByName(QStringLiteral("Desc"))->SetAsString(desc);
        t.FieldByName(QStringLiteral("Date"))->SetAsDateTime(date);
        t.FieldByName(QStringLiteral("RunDate"))->SetAsDateTime(more.runDate.value_or(date));
        t.FieldByName(QStringLiteral("Recurrence"))->SetAsInteger(more.recurrence);
        t.FieldByName(QStringLiteral("nParam"))->SetAsInteger(more.nParam);
        t.FieldByName(QStringLiteral("Category"))->SetAsInteger(more.category);
        t.FieldByName(QStringLiteral("Completed"))->SetAsInteger(more.completed ? 1 : 0);
        t.FieldByName(QStringLiteral("UseStartTime"))->SetAsInteger(more.useStartTime ? 1 : 0);
        t.Post();
        return t.FieldByName(QStringLiteral("ID"))->AsInteger();
    }

    int AddNote(int user, TDateTime date, const QString& title) {
        TADOTable& t = ForAdding(tsNotes);
        t.Append();
        t.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        t.FieldByName(QStringLiteral("Date"))->SetAsDateTime(date);
        t.FieldByName(QStringLiteral("Title"))->SetAsString(title);
        t.Post();
        return t.FieldByName(QStringLiteral("ID"))->AsInteger();
    }

    int AddHoliday(int month, int day, const QString& name, int dayOfWeek = 0, int week = 0) {
        TADOTable& t = ForAdding(tsHolidays);
        t.Append();
        t.FieldByName(QStringLiteral("Month"))->SetAsInteger(month);
        t.FieldByName(QStringLiteral("Day"))->SetAsInteger(day);
        t.FieldByName(QStringLiteral("DayOfWeek"))->SetAsInteger(dayOfWeek);
        t.FieldByName(QStringLiteral("NumOfWeek"))->SetAsInteger(week);
        t.FieldByName(QStringLiteral("Name"))->SetAsString(name);
        t.Post();
        return t.FieldByName(QStringLiteral("ID"))->AsInteger();
    }

    // The colour is a TColor (0x00BBGGRR), taken as its integer so that this
    // header needs no Qt Gui.
    void AddColor(int user, TDateTime date, uint32_t color) {
        TADOTable& t = ForAdding(tsBColors);
        t.Append();
        t.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        t.FieldByName(QStringLiteral("Date"))->SetAsDateTime(date);
        t.FieldByName(QStringLiteral("Color"))->SetAsInteger(int(color));
        t.Post();
    }

    TADOTable& Table(int index) { return *tables[index]; }

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

    // Rows of a table whatever its filter is, counted by a second connection.
    int CountRows(const char* table) {
        TADOConnection other;
        TADOTable t(&other);
        OpenOther(other, t, table);
        return t.RecordCount();
    }

    // A text column of a row, read by a second connection.
    QString ReadText(const char* table, int id, const char* column) {
        TADOConnection other;
        TADOTable t(&other);
        OpenOther(other, t, table);
        return t.Locate(QStringLiteral("ID"), id) ? t.FieldByName(QLatin1String(column))->AsString()
                                                  : QString();
    }

    void OpenOther(TADOConnection& other, TADOTable& t, const char* table) {
        other.ConnectionString = DatabaseConnectionString(path);
        other.Open();
        t.SetTableName(QLatin1String(table));
        t.Open();
    }

    QTemporaryDir dir;
    QString path = CreateIn(dir);
    TADOConnection connection;
    // Opened in the order BColors, Events, Holidays, Notes.
    TCalendarTables tables = OpenTables();
    TADOTable& bcolors = *tables[tsBColors];
    TADOTable& events = *tables[tsEvents];
    TADOTable& holidays = *tables[tsHolidays];
    TADOTable& notes = *tables[tsNotes];

    // Rows are added to a table as it stands, under its filter: the store
    // tests look at exactly that. A bound calendar filters the tables to what
    // it shows, so BindCalendar turns this on and rows go in unfiltered.
    bool addUnfiltered = false;

private:
    TADOTable& ForAdding(int index) {
        TADOTable& t = Table(index);
        if (addUnfiltered) t.SetFiltered(false);
        return t;
    }
};

inline QString Desc(TADOTable& t) {
    return t.FieldByName(QStringLiteral("Desc"))->AsString();
}
