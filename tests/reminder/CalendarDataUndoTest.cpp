// Taking back the last deletion or change of an event, notes, a holiday or a
// day colour: the rows are as they were before, whatever the ID.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <sqlite3.h>

#include "platform/ColorValues.h"
#include "store/Adodb.h"
#include "support/BoundData.h"

namespace {

// The rows of a table without their IDs, read by a second connection.
QStringList Rows(TestDatabase& db, const char* table, const QStringList& columns) {
    TADOConnection other;
    TADOTable t(&other);
    db.OpenOther(other, t, table);
    QStringList rows;
    for (t.First(); !t.Eof(); t.Next()) {
        QStringList values;
        for (const QString& c : columns)
            values << t.FieldByName(c)->AsString();
        rows << values.join(u'|');
    }
    rows.sort();
    return rows;
}

QStringList AllRows(TestDatabase& db) {
    return Rows(db, "Events", {"Desc", "Notes", "Date", "Category", "UserID"}) +
           Rows(db, "Notes", {"Date", "Title", "Notes"}) +
           Rows(db, "Holidays", {"Month", "Day", "Name"}) +
           Rows(db, "BColors", {"Date", "Color", "UserID"});
}

struct UndoRow {
    const char* name;
    std::function<void(TvnCalendarData&, TestDatabase&)> change;
    const char* text;
};

class CalendarDataUndo : public testing::TestWithParam<UndoRow> {};

TvnEventParams StoredEvent(TvnCalendarData& c, int id) {
    TvnEventParams e;
    EXPECT_TRUE(c.LocateDBRecord(tsEvents, QStringLiteral("ID"), id));
    c.DBRecord_To_EventStruct(&e);
    return e;
}

TEST_P(CalendarDataUndo, TheRowsAreAsBeforeTheChange) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    b.db.AddEvent(0, QStringLiteral("Dentist\nbring the card"), At(2024, 3, 20, 9));
    b.db.AddNote(0, At(2024, 3, 14), QStringLiteral("Shopping"));
    b.db.AddHoliday(5, 1, QStringLiteral("May Day"));
    b.db.AddColor(0, At(2024, 3, 21), clRed);
    c.ShowRange();
    const QStringList before = AllRows(b.db);
    EXPECT_FALSE(c.CanUndo());

    GetParam().change(c, b.db);
    ASSERT_NE(AllRows(b.db), before);
    EXPECT_EQ(c.UndoText(), QString::fromUtf8(GetParam().text));
    EXPECT_TRUE(c.Undo());
    EXPECT_EQ(AllRows(b.db), before);
    EXPECT_FALSE(c.CanUndo());  // one level: the undo itself is not taken back
    EXPECT_FALSE(c.Undo());
}

// The row the test added: the newest (the holidays hold a hidden row too).
int FirstId(TestDatabase& db, const char* table) {
    TADOConnection other;
    TADOTable t(&other);
    db.OpenOther(other, t, table);
    int id = 0;
    for (t.First(); !t.Eof(); t.Next())
        id = std::max(id, t.FieldByName(QStringLiteral("ID"))->AsInteger());
    return id;
}

const UndoRow kUndoRows[] = {
    {"EventDeleted",
     [](TvnCalendarData& c, TestDatabase& db) {
         TvnEventParams e = StoredEvent(c, FirstId(db, "Events"));
         c.DeleteEvent(&e);
     },
     "Deleted \"Dentist\""},
    {"EventEdited",
     [](TvnCalendarData& c, TestDatabase& db) {
         TvnEventParams e = StoredEvent(c, FirstId(db, "Events"));
         e.Desc = QStringLiteral("Barber");
         e.Category = ecMeeting;
         c.EditEvent(&e);
     },
     "Changed \"Dentist\""},
    {"NotesDeleted",
     [](TvnCalendarData& c, TestDatabase& db) {
         TvnNotesParams n{FirstId(db, "Notes"), At(2024, 3, 14), "", "", esEdit};
         c.DeleteNotes(&n);
     },
     "Deleted \"Shopping\""},
    {"NotesEdited",
     [](TvnCalendarData& c, TestDatabase& db) {
         TvnNotesParams n{FirstId(db, "Notes"), At(2024, 3, 15), "Bank", "pay in", esEdit};
         c.EditNotes(&n);
     },
     "Changed \"Shopping\""},
    {"HolidayDeleted",
     [](TvnCalendarData& c, TestDatabase& db) {
         TvnHolidayParams h{FirstId(db, "Holidays"), 5, 1, 0, 0, "", esEdit};
         c.DeleteHoliday(&h);
     },
     "Deleted \"May Day\""},
    {"HolidayEdited",
     [](TvnCalendarData& c, TestDatabase& db) {
         TvnHolidayParams h{FirstId(db, "Holidays"), 5, 2, 0, 0, "Labour Day", esEdit};
         c.EditHoliday(&h);
     },
     "Changed \"May Day\""},
    {"DayColourChanged",
     [](TvnCalendarData& c, TestDatabase&) { c.UpdateBColor(int(clLime), At(2024, 3, 21)); },
     "Changed the colour of the day"},
    {"DayColourSetOnAnUncolouredDay",
     [](TvnCalendarData& c, TestDatabase&) { c.UpdateBColor(int(clLime), At(2024, 3, 22)); },
     "Changed the colour of the day"},
    {"DayColourCleared", [](TvnCalendarData& c, TestDatabase&) { c.DeleteBColor(At(2024, 3, 21)); },
     "Changed the colour of the day"},
};
INSTANTIATE_TEST_SUITE_P(Kinds, CalendarDataUndo, testing::ValuesIn(kUndoRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CalendarDataUndo, OnlyTheLastChangeAndNotAcrossUsers) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    c.UpdateBColor(int(clRed), At(2024, 3, 21));
    c.UpdateBColor(int(clLime), At(2024, 3, 21));
    ASSERT_TRUE(c.Undo());
    ASSERT_TRUE(c.LocateDBRecord(tsBColors, QStringLiteral("Date"), At(2024, 3, 21)));
    EXPECT_SAME_COLOR(TColor(b.db.Table(tsBColors).FieldByName("Color")->AsInteger()), clRed);

    c.UpdateBColor(int(clBlue), At(2024, 3, 21));
    b.SetUser(2);  // another user's day colour must not be touched
    EXPECT_FALSE(c.CanUndo());
    EXPECT_FALSE(c.Undo());
}

// A deletion the store refuses deletes nothing, so undoing it must not add a
// copy; what could be undone before stays offered.
TEST(CalendarDataUndo, RefusedDeletionOffersNothingNew) {
    BoundData b(At(2024, 3, 13));
    TvnCalendarData& c = b.data;
    const int kept = b.db.AddEvent(0, QStringLiteral("Dentist"), At(2024, 3, 20, 9));
    c.ShowRange();
    c.UpdateBColor(int(clRed), At(2024, 3, 21));
    sqlite3* db = b.db.connection.Handle();
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr);
    const QString trigger = QStringLiteral(
                                "CREATE TRIGGER keep BEFORE DELETE ON Events WHEN old.ID = %1 "
                                "BEGIN SELECT RAISE(ABORT, 'row is kept'); END")
                                .arg(kept);
    ASSERT_EQ(sqlite3_exec(db, trigger.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    TvnEventParams e = StoredEvent(c, kept);
    EXPECT_ANY_THROW(c.DeleteEvent(&e));
    EXPECT_EQ(c.UndoText(), QStringLiteral("Changed the colour of the day"));
    ASSERT_TRUE(c.Undo());
    EXPECT_EQ(b.db.CountRows("Events"), 1);
    EXPECT_EQ(b.db.CountRows("BColors"), 0);
}

}  // namespace
