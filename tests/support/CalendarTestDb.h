// A calendar control bound to a fresh delivered database in a temporary
// folder, with short ways to add rows the way the program stores them.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "calendar/Vndbdrawcalendar.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "support/TestSupport.h"

class CalendarDb {
public:
    CalendarDb() {
        path = dir.filePath(QStringLiteral("DB.vdbv2"));
        CreateDeliveredDatabase(path);
        connection.ConnectionString = DatabaseConnectionString(path);
        connection.Open();
        tables = OpenCalendarTables(connection);
    }

    TADOTable& Table(int index) { return *tables[index]; }

    // Binds the four tables to a control and shows a month on a fixed day.
    void Bind(TvnDBDrawCalendar& cal) {
        for (int i = 0; i < 4; ++i)
            cal.SetDataSet(i, tables[i].get());
    }

    int AddEvent(int user, const QString& desc, TDateTime date, int recurrence = rkOnce, int n = 1,
                 int category = ecMiscellaneous) {
        TADOTable& t = Table(tsEvents);
        t.SetFiltered(false);
        t.Append();
        t.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        t.FieldByName(QStringLiteral("eType"))
            ->SetAsInteger(recurrence == rkOnce ? etEvent : etRecurring);
        t.FieldByName(QStringLiteral("Desc"))->SetAsString(desc);
        t.FieldByName(QStringLiteral("Date"))->SetAsDateTime(date);
        t.FieldByName(QStringLiteral("RunDate"))->SetAsDateTime(date);
        t.FieldByName(QStringLiteral("Recurrence"))->SetAsInteger(recurrence);
        t.FieldByName(QStringLiteral("nParam"))->SetAsInteger(n);
        t.FieldByName(QStringLiteral("Category"))->SetAsInteger(category);
        t.FieldByName(QStringLiteral("Completed"))->SetAsInteger(0);
        t.Post();
        return t.FieldByName(QStringLiteral("ID"))->AsInteger();
    }

    int AddNote(int user, TDateTime date, const QString& title) {
        TADOTable& t = Table(tsNotes);
        t.SetFiltered(false);
        t.Append();
        t.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        t.FieldByName(QStringLiteral("Date"))->SetAsDateTime(date);
        t.FieldByName(QStringLiteral("Title"))->SetAsString(title);
        t.Post();
        return t.FieldByName(QStringLiteral("ID"))->AsInteger();
    }

    int AddHoliday(int month, int day, const QString& name, int dayOfWeek = 0, int week = 0) {
        TADOTable& t = Table(tsHolidays);
        t.SetFiltered(false);
        t.Append();
        t.FieldByName(QStringLiteral("Month"))->SetAsInteger(month);
        t.FieldByName(QStringLiteral("Day"))->SetAsInteger(day);
        t.FieldByName(QStringLiteral("DayOfWeek"))->SetAsInteger(dayOfWeek);
        t.FieldByName(QStringLiteral("NumOfWeek"))->SetAsInteger(week);
        t.FieldByName(QStringLiteral("Name"))->SetAsString(name);
        t.Post();
        return t.FieldByName(QStringLiteral("ID"))->AsInteger();
    }

    void AddColor(int user, TDateTime date, TColor color) {
        TADOTable& t = Table(tsBColors);
        t.SetFiltered(false);
        t.Append();
        t.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        t.FieldByName(QStringLiteral("Date"))->SetAsDateTime(date);
        t.FieldByName(QStringLiteral("Color"))->SetAsInteger(int(color));
        t.Post();
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
    QString path;
    TADOConnection connection;
    TCalendarTables tables;
};

// A control bound to a database, showing the month of a fixed today. The
// control is declared after the database so that it is destroyed first.
struct BoundCalendar {
    explicit BoundCalendar(TDateTime today, int width = 700, int height = 500) : clock(today) {
        db.Bind(cal);
        cal.resize(width, height);
        cal.ColorFont = clBlack;
        cal.SetCalendarDate(std::trunc(today));
    }
    // Shows a view on a date as the main window does: through the pressed day.
    void Show(TvnViewModes mode, TDateTime date) {
        cal.SelectedDate = date;
        cal.SetViewMode(mode);
        cal.SetCalendarDate(date);
    }
    ScopedClock clock;
    CalendarDb db;
    TvnDBDrawCalendar cal;
};
