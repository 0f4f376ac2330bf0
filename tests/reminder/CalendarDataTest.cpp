// The calendar's data without a widget: filters per user, locating, record
// mapping, matching over the tables against a shown grid, and storing
// holidays, notes and day colours.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/ColorValues.h"
#include "platform/DateFormat.h"
#include "store/Adoschema.h"
#include "store/Vneventfields.h"
#include "support/BoundData.h"

TEST(CalendarData, FiltersAreRestrictedToTheCurrentUser) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    b.SetUser(3);
    c.SetFilter(tsEvents, QString(), false);
    EXPECT_EQ(b.db.Table(tsEvents).Filter(), "UserID = 3");
    EXPECT_FALSE(c.SpecialFilter);

    b.SetUser(0);
    c.SetFilter(tsNotes, QStringLiteral("Date >= '01.03.2024'"), true);
    EXPECT_EQ(b.db.Table(tsNotes).Filter(), "Date >= '01.03.2024' AND UserID = 0");
    EXPECT_TRUE(b.db.Table(tsNotes).Filtered());
    EXPECT_TRUE(c.SpecialFilter);

    const QString holidays = b.db.Table(tsHolidays).Filter();
    c.SetFilter(tsHolidays, QStringLiteral("ID > 5"), false);
    EXPECT_EQ(b.db.Table(tsHolidays).Filter(), holidays);
    EXPECT_FALSE(c.SpecialFilter);
}

TEST(CalendarData, RefreshFiltersTheShownRange) {
    BoundData b(At(2024, 3, 13));
    EXPECT_EQ(b.data.RangeFilter, "Date >= '26.02.2024' AND Date < '08.04.2024'");
    EXPECT_EQ(b.db.Table(tsBColors).Filter(), b.data.RangeFilter + " AND UserID = 0");
    EXPECT_EQ(b.db.Table(tsNotes).Filter(), b.data.RangeFilter + " AND UserID = 0");
    EXPECT_EQ(b.db.Table(tsEvents).Filter(), "UserID = 0");
    EXPECT_EQ(b.db.Table(tsHolidays).Filter(), "ID > 1");
}

TEST(CalendarData, LocateNeedsTheUserAndAKnownTable) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    b.db.AddColor(1, At(2024, 3, 5), clRed);
    c.ShowRange();
    EXPECT_FALSE(c.LocateDBRecord(tsBColors, "Date", At(2024, 3, 5)));
    b.SetUser(1);
    EXPECT_TRUE(c.LocateDBRecord(tsBColors, "Date", At(2024, 3, 5)));
    EXPECT_FALSE(c.LocateDBRecord(tsHolidays, "ID", 1));
    EXPECT_FALSE(c.LocateDBRecord(7, "ID", 1));
    EXPECT_FALSE(c.TableIsActive(4));
    EXPECT_FALSE(c.TableIsActive(-1));
    EXPECT_TRUE(c.TableIsActive(tsHolidays));
    c.SetDataSet(tsHolidays, nullptr);
    EXPECT_FALSE(c.TableIsActive(tsHolidays));
}

TEST(CalendarData, RejectedDateLiteralSwitchesToFixedFormats) {
    TFormatSettings odd = DottedFormatSettings();
    odd.ShortDateFormat = "dddd";  // "Wednesday" names no date
    ScopedFormat format(odd);
    BoundData b(At(2024, 3, 13));
    EXPECT_TRUE(b.data.FilterTested);
    EXPECT_EQ(FormatSettings().ShortDateFormat, "M/d/yy");
    EXPECT_EQ(b.data.RangeFilter, "Date >= '2/26/24' AND Date < '4/8/24'");
}

TEST(CalendarData, EventRecordRoundTrip) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    TvnEventParams e;
    e.eType = etRecurring;
    e.Desc = QString::fromUtf8("Zahnarzt \xc3\xa4\xc3\xb6");
    e.Date = At(2024, 3, 14, 9, 30);
    e.RunDate = At(2024, 3, 14, 9, 0);
    e.EndDate = At(2024, 12, 31);
    e.UseStartTime = true;
    e.UseEndDate = true;
    e.Notify = true;
    e.NotifyParam = 30;
    e.NotifyType = ntMinutes;
    e.Category = ecMeeting;
    e.Recurrence = rkWeekly;
    e.nParam = 2;
    e.Action_File = "/tmp/a.sh";
    e.Sound_File = "/tmp/b.wav";
    e.Notes = "notes";
    TADOTable& t = b.db.Table(tsEvents);
    t.Append();
    c.EventStruct_To_DBRecord(&e);
    t.FieldByName("UserID")->SetAsInteger(0);
    t.Post();
    TvnEventParams back;
    back.EditState = esAccepted;
    c.DBRecord_To_EventStruct(&back);
    EXPECT_EQ(back.ID, t.FieldByName("ID")->AsInteger());
    EXPECT_EQ(back.Desc, e.Desc);
    EXPECT_TIME_EQ(back.Date, e.Date);
    EXPECT_TIME_EQ(back.RunDate, e.RunDate);
    EXPECT_TIME_EQ(back.EndDate, e.EndDate);
    EXPECT_TRUE(back.UseStartTime && back.UseEndDate && back.Notify);
    EXPECT_FALSE(back.Completed);
    EXPECT_EQ(back.NotifyParam, 30);
    EXPECT_EQ(back.Category, ecMeeting);
    EXPECT_EQ(back.Recurrence, rkWeekly);
    EXPECT_EQ(back.nParam, 2);
    EXPECT_EQ(back.Action_File, e.Action_File);
    EXPECT_EQ(back.Sound_File, e.Sound_File);
    EXPECT_EQ(back.Notes, e.Notes);
    EXPECT_EQ(back.EditState, esAccepted);
    EXPECT_EQ(t.FieldByName("Notify")->AsInteger(), 1);
}

// Every column of Events but UserID is in the field table, in stored order,
// and each field comes back from a row as it went in.
TEST(CalendarData, EveryEventFieldRoundTripsThroughARow) {
    QStringList columns, fields;
    for (const ado::ColumnDef& col : ado::FindTableDef("Events")->columns)
        if (QLatin1String(col.name) != "UserID") columns << col.name;
    TvnEventParams e;
    int n = 0;
    for (const TvnEventField& f : EventFields()) {
        fields << f.name;
        ++n;
        if (f.kind == TvnEventFieldKind::Integer) e.*f.integer = n;
        if (f.kind == TvnEventFieldKind::Boolean) e.*f.boolean = true;
        if (f.kind == TvnEventFieldKind::DateTime) e.*f.dateTime = At(2024, 3, n, n);
        if (f.kind == TvnEventFieldKind::Text) e.*f.text = f.name;
    }
    EXPECT_EQ(fields, columns);
    BoundData b(At(2024, 3, 13));
    TADOTable& t = b.db.Table(tsEvents);
    t.Append();
    b.data.EventStruct_To_DBRecord(&e);
    t.FieldByName("UserID")->SetAsInteger(0);
    t.Post();
    TvnEventParams back;
    b.data.DBRecord_To_EventStruct(&back);
    e.ID = t.FieldByName("ID")->AsInteger();
    for (const TvnEventField& f : EventFields()) {
        SCOPED_TRACE(f.name.data());
        EXPECT_TRUE(!f.integer || back.*f.integer == e.*f.integer);
        EXPECT_TRUE(!f.boolean || back.*f.boolean == e.*f.boolean);
        EXPECT_TRUE(!f.dateTime || back.*f.dateTime == e.*f.dateTime);
        EXPECT_TRUE(!f.text || back.*f.text == e.*f.text);
    }
}

TEST(CalendarData, EventsListFollowsTableOrderAndUser) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    const int a = b.db.AddEvent(0, "a", At(2024, 3, 5));
    b.db.AddEvent(0, "outside", At(2024, 5, 5));
    b.db.AddEvent(1, "other user", At(2024, 3, 5));
    const int d = b.db.AddEvent(0, "daily", At(2024, 1, 1), {.recurrence = rkDaily});
    c.ShowRange();
    ASSERT_EQ(c.EventDrawList.size(), 2u);
    EXPECT_EQ(c.EventDrawList[0].Bookmark, QString::number(a));
    EXPECT_EQ(c.EventDrawList[1].Bookmark, QString::number(d));
    int flagged = 0;
    for (bool f : c.EventDrawList[1].Cells)
        flagged += f;
    EXPECT_EQ(flagged, 42);

    TADOTable& t = b.db.Table(tsEvents);
    ASSERT_TRUE(c.LocateDBRecord(tsEvents, "ID", a));
    TvnEventDrawData freed;
    EXPECT_TRUE(c.FindAndFreeEventFilter(freed));
    EXPECT_TRUE(freed.Cells[1 * 7 + 1]);  // 5 March: row 1, column 1
    EXPECT_EQ(c.EventDrawList.size(), 1u);
    EXPECT_FALSE(c.FindAndFreeEventFilter(freed));
    TvnEventDrawData added;
    EXPECT_TRUE(c.FilterEvent(added));
    EXPECT_EQ(c.EventDrawList.back().Bookmark, t.Bookmark());
    ASSERT_TRUE(c.LocateDBRecord(tsEvents, "ID", a + 1));
    EXPECT_FALSE(c.FilterEvent(added));
    EXPECT_EQ(c.EventDrawList.size(), 2u);
}

TEST(CalendarData, HolidayBookmarksPerCell) {
    BoundData b(At(2024, 5, 13));
    TvnCalendarData& c = b.data;
    b.db.AddHoliday(4, 30, "April's last");
    const int first = b.db.AddHoliday(5, 1, "First");
    const int second = b.db.AddHoliday(5, 1, "Second");
    b.db.AddHoliday(2, 29, "Leap day");
    c.ShowRange();
    // May 2024 begins on a Wednesday: 30 April is cell (1, 0), 1 May (2, 0).
    EXPECT_NE(c.HolidayBookmarks[1][0], "0");
    EXPECT_EQ(c.HolidayBookmarks[2][0], QString::number(second));
    int shown = 0;
    for (const auto& column : c.HolidayBookmarks)
        for (const QString& bookmark : column)
            shown += bookmark != "0";
    EXPECT_EQ(shown, 2);

    TADOTable& t = b.db.Table(tsHolidays);
    t.SetBookmark(QString::number(second));
    int col = -1, row = -1;
    EXPECT_TRUE(c.FindAndFreeBookmark(col, row));
    EXPECT_EQ(col, 2);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(c.HolidayBookmarks[2][0], "0");
    t.SetBookmark(QString::number(first));
    EXPECT_FALSE(c.FindAndFreeBookmark(col, row));
    EXPECT_EQ(col, -1);
}

TEST(CalendarData, HiddenHolidayRowNeverShows) {
    BoundData b(At(2024, 5, 13));
    TADOTable& t = b.db.Table(tsHolidays);
    t.SetFiltered(false);
    ASSERT_TRUE(t.Locate("ID", 1));
    t.Edit();
    t.FieldByName("Month")->SetAsInteger(5);
    t.FieldByName("Day")->SetAsInteger(13);
    t.Post();
    b.data.ShowRange();
    for (const auto& column : b.data.HolidayBookmarks)
        for (const QString& bookmark : column)
            EXPECT_EQ(bookmark, "0");
}

TEST(CalendarData, AddHolidayReplacesSameDateKey) {
    BoundData b(At(2024, 5, 13));
    TvnCalendarData& c = b.data;
    TvnHolidayParams h;
    h.Month = 5;
    h.Day = 9;
    h.Name = "Old";
    c.AddHoliday(&h);
    const int id = h.ID;
    ASSERT_GT(id, 1);
    TvnHolidayParams again;
    again.Month = 5;
    again.Day = 9;
    again.Name = "New";
    c.AddHoliday(&again);
    EXPECT_EQ(again.ID, id);
    EXPECT_EQ(b.db.CountRows("Holidays"), 2);  // the hidden row and this one

    TvnHolidayParams may{0, 5, 0, 1, 2, "Second Monday of May"};
    TvnHolidayParams oct{0, 10, 0, 1, 2, "Second Monday of October"};
    c.AddHoliday(&oct);
    c.AddHoliday(&may);
    EXPECT_NE(may.ID, oct.ID);
    EXPECT_EQ(b.db.CountRows("Holidays"), 4);
    EXPECT_EQ(c.HolidayBookmarks[0][2], QString::number(may.ID));  // 13 May 2024
}

TEST(CalendarData, EditAndDeleteHolidayKeepBookmarksInStep) {
    BoundData b(At(2024, 5, 13));
    TvnCalendarData& c = b.data;
    TvnHolidayParams h{0, 5, 9, 0, 0, "Moving", esNew};
    c.AddHoliday(&h);
    EXPECT_EQ(c.HolidayBookmarks[3][1], QString::number(h.ID));  // Thursday 9 May
    h.Month = 8;
    c.EditHoliday(&h);
    EXPECT_EQ(c.HolidayBookmarks[3][1], "0");
    c.SelectHolidays();
    const TvnHolidayRecords taken = c.TakeHolidaysList();
    EXPECT_TRUE(c.HolidaysList.empty());
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0]->Month, 8);
    EXPECT_EQ(taken[0]->Name, "Moving");
    c.DeleteHoliday(&h);
    EXPECT_EQ(b.db.CountRows("Holidays"), 1);
    TvnHolidayParams gone{12345, 1, 1, 0, 0, "", esNew};
    c.EditHoliday(&gone);
    c.DeleteHoliday(&gone);
}

TEST(CalendarData, DayColourOnePerUserAndDay) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    const TDateTime day = At(2024, 3, 20);
    EXPECT_FALSE(c.CanClearCell(day));
    c.UpdateBColor(int(clRed), day);
    c.UpdateBColor(int(clLime), day);
    EXPECT_TRUE(c.CanClearCell(day));
    EXPECT_EQ(b.db.CountRows("BColors"), 1);
    ASSERT_TRUE(c.LocateDBRecord(tsBColors, "Date", day));
    EXPECT_SAME_COLOR(TColor(b.db.Table(tsBColors).FieldByName("Color")->AsInteger()), clLime);
    b.SetUser(4);
    EXPECT_FALSE(c.CanClearCell(day));
    c.UpdateBColor(int(clBlue), day);
    EXPECT_EQ(b.db.CountRows("BColors"), 2);
    c.DeleteBColor(day);
    EXPECT_FALSE(c.CanClearCell(day));
    EXPECT_EQ(b.db.CountRows("BColors"), 1);
    c.UpdateBColor(int(clBlue), 0);
    EXPECT_EQ(b.db.CountRows("BColors"), 1);
}

TEST(CalendarData, NotesStoredWhateverTheShownRange) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    TvnNotesParams n{0, At(2025, 7, 1), "Far away", "body", esNew};
    c.AddNotes(&n);
    EXPECT_GT(n.ID, 0);
    EXPECT_TRUE(b.db.Table(tsNotes).Filtered());
    EXPECT_EQ(b.db.Table(tsNotes).Filter(), c.RangeFilter + " AND UserID = 0");
    n.Title = "Changed";
    c.EditNotes(&n);
    EXPECT_EQ(b.db.ReadText("Notes", n.ID, "Title"), "Changed");
    TvnNotesParams here{0, At(2024, 3, 14), "Here", "", esNew};
    c.AddNotes(&here);
    EXPECT_EQ(b.db.CountRows("Notes"), 2);
    c.DeleteNotes(&n);
    EXPECT_EQ(b.db.CountRows("Notes"), 1);
    TvnNotesParams missing{999, At(2024, 3, 14), "", "", esNew};
    c.EditNotes(&missing);
    c.DeleteNotes(&missing);
    EXPECT_EQ(b.db.CountRows("Notes"), 1);
    EXPECT_FALSE(c.SpecialFilter);
}

TEST(CalendarData, DeleteDataOfUserRemovesOnlyTheirRows) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    for (int i = 0; i < 5; ++i)
        b.db.AddEvent(5, QString("e%1").arg(i), At(2024, 3, 1 + i));
    b.db.AddEvent(0, "keep", At(2024, 3, 1));
    b.db.AddNote(5, At(2024, 3, 2), "n");
    b.db.AddColor(5, At(2024, 3, 2), clRed);
    b.db.AddHoliday(3, 2, "stays");
    c.DeleteDataOfUser(5);
    EXPECT_EQ(c.CurrUser, -1);
    EXPECT_EQ(b.db.CountRows("Events"), 1);
    EXPECT_EQ(b.db.CountRows("Notes"), 0);
    EXPECT_EQ(b.db.CountRows("BColors"), 0);
    EXPECT_EQ(b.db.CountRows("Holidays"), 2);
    b.SetUser(5);
    EXPECT_TRUE(c.EventDrawList.empty());
    b.SetUser(0);
    EXPECT_EQ(c.EventDrawList.size(), 1u);
}

TEST(CalendarData, DeleteDataOfUserFlushedEveryRowAlone) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    for (int i = 0; i < 20; ++i) {
        b.db.AddEvent(5, "e", At(2024, 3, 1 + i));
        b.db.AddNote(5, At(2024, 3, 1 + i), "n");
    }
    int commits = 0;
    sqlite3_commit_hook(
        b.db.connection.Handle(),
        [](void* n) {
            ++*static_cast<int*>(n);
            return 0;
        },
        &commits);
    c.DeleteDataOfUser(5);
    sqlite3_commit_hook(b.db.connection.Handle(), nullptr, nullptr);
    EXPECT_EQ(b.db.CountRows("Events"), 0);
    EXPECT_EQ(b.db.CountRows("Notes"), 0);
    EXPECT_LE(commits, 3);  // one per table
}

TEST(CalendarData, FailedDeleteDataOfUserLeftTheUsersRowsShownAndPaintingStopped) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    b.db.AddEvent(5, "goes", At(2024, 3, 1));
    const int kept = b.db.AddEvent(5, "kept", At(2024, 3, 2));
    b.db.AddEvent(5, "never reached", At(2024, 3, 3));
    b.db.AddColor(5, At(2024, 3, 2), clRed);
    const QString trigger = QString(
                                "CREATE TRIGGER keep BEFORE DELETE ON Events WHEN old.ID = %1 "
                                "BEGIN SELECT RAISE(ABORT, 'row is kept'); END")
                                .arg(kept);
    // A row the store refuses to delete (the engine runs no triggers of its
    // own; this one is the test's way to make a delete fail).
    sqlite3* db = b.db.connection.Handle();
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr);
    ASSERT_EQ(sqlite3_exec(db, trigger.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_THROW(c.DeleteDataOfUser(5), EDatabaseError);
    EXPECT_EQ(c.CurrUser, -1);
    EXPECT_FALSE(c.SpecialFilter);
    EXPECT_FALSE(b.db.connection.InTransaction());
    EXPECT_EQ(b.db.Table(tsEvents).Filter(), "UserID = -1");
    EXPECT_EQ(b.db.Table(tsEvents).RecordCount(), 0);
    // What was deleted before the failure stays deleted.
    EXPECT_EQ(b.db.CountRows("BColors"), 0);
    EXPECT_EQ(b.db.CountRows("Events"), 2);
}

TEST(CalendarData, RefusedCommitOfDeleteDataOfUserWasReportedAsSuccess) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    b.db.AddEvent(5, "stays", At(2024, 3, 1));
    sqlite3_commit_hook(
        b.db.connection.Handle(), [](void*) { return 1; }, nullptr);  // every commit fails
    EXPECT_THROW(c.DeleteDataOfUser(5), EDatabaseError);
    sqlite3_commit_hook(b.db.connection.Handle(), nullptr, nullptr);
    EXPECT_EQ(c.CurrUser, -1);
    EXPECT_FALSE(c.SpecialFilter);
    EXPECT_FALSE(b.db.connection.InTransaction());
    EXPECT_EQ(b.db.CountRows("Events"), 1);
}
