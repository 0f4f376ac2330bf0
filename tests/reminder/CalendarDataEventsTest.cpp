// The calendar's data on events without a widget: adding, changing and
// deleting, the events panel's query, the search, and the cells each change
// names; a user's view of their own beside the calendar's filters.
#include <gtest/gtest.h>

#include <functional>

#include "platform/ColorValues.h"
#include "reminder/Vnuserevents.h"
#include "support/BoundData.h"
#include "support/EventRecords.h"

namespace {

// March 2024 shown, the clock at 15 March 2024 10:00.
class CalendarDataEvents : public ::testing::Test {
protected:
    TvnEventParams Event(const QString& desc, TDateTime start, int recurrence = rkOnce) {
        return EventRecord(desc, start, recurrence);
    }

    int Add(TvnEventParams e) {
        data.AddEvent(&e);
        return e.ID;
    }

    TvnEventParams Stored(int id) {
        TvnEventParams e;
        e.ID = -1;
        if (data.LocateDBRecord(tsEvents, QStringLiteral("ID"), id))
            data.DBRecord_To_EventStruct(&e);
        return e;
    }

    BoundData b{At(2024, 3, 15, 10, 0)};
    TestDatabase& db = b.db;
    TvnCalendarData& data = b.data;
};

QStringList Descs(const TvnEventRecords& records) {
    QStringList names;
    for (const auto& e : records)
        names.append(e->Desc);
    return names;
}

}  // namespace

TEST_F(CalendarDataEvents, EditAndDeleteIgnoreEventsThatAreGoneOrForeign) {
    b.SetUser(1);
    TvnEventParams theirs = Event("Theirs", At(2024, 3, 20, 9, 0));
    data.AddEvent(&theirs);
    b.SetUser(0);
    theirs.Desc = "Changed";
    data.EditEvent(&theirs);
    data.DeleteEvent(&theirs);
    EXPECT_EQ(db.ReadText("Events", theirs.ID, "Desc"), "Theirs");
    TvnEventParams gone = Event("Gone", At(2024, 3, 20, 9, 0));
    gone.ID = 999;
    data.EditEvent(&gone);
    data.DeleteEvent(&gone);
    EXPECT_EQ(db.CountRows("Events"), 1);
}

TEST_F(CalendarDataEvents, AddingStoresTheComputedNotificationTime) {
    TvnEventParams past = Event("Past", At(2024, 3, 1, 9, 0));
    data.AddEvent(&past);
    EXPECT_TRUE(past.Completed);
    EXPECT_TIME_EQ(Stored(past.ID).RunDate, 0);
    TvnEventParams weekly = Event("Weekly", At(2024, 3, 1, 9, 0), rkWeekly);
    data.AddEvent(&weekly);
    EXPECT_TIME_EQ(Stored(weekly.ID).RunDate, At(2024, 3, 22, 9, 0));
    EXPECT_TIME_EQ(weekly.RunDate, At(2024, 3, 22, 9, 0));
}

TEST_F(CalendarDataEvents, SelectEventsListsRecurringEventsUpToTheEndOfTheShownYear) {
    Add(Event("Once", At(2024, 2, 1, 9, 0)));
    Add(Event("Daily", At(2023, 2, 1, 9, 0), rkDaily));
    Add(Event("NewYearsEve", EncodeDate(2024, 12, 31), rkAnnually));
    Add(Event("NewYearsEveEvening", At(2024, 12, 31, 20, 0), rkAnnually));
    Add(Event("NextYear", At(2025, 1, 1, 0, 0), rkMonthly));
    EXPECT_EQ(Descs(data.SelectEvents(2024)), (QStringList{"Daily", "NewYearsEve"}));
    EXPECT_FALSE(data.SpecialFilter);
    EXPECT_EQ(db.Table(tsEvents).Filter(), "UserID = 0");
}

namespace {

struct SearchRow {
    const char* name;
    TvnFindParams params;
    QStringList expected;
};

void PrintTo(const SearchRow& row, std::ostream* os) {
    *os << row.name;
}

TvnFindParams Find(const char* text, bool partial, bool matchCase, int categories = 0x1F) {
    TvnFindParams p;
    p.EventDesc = QString::fromUtf8(text);
    p.ParComp = partial;
    p.MatchCase = matchCase;
    p.Categories = categories;
    return p;
}

TvnFindParams FindBetween(TDateTime from, TDateTime to) {
    TvnFindParams p = Find("e", true, false);
    p.ToUseDates = true;
    p.BegDate = from;
    p.EndDate = to;
    return p;
}

class Search : public CalendarDataEvents, public ::testing::WithParamInterface<SearchRow> {};

}  // namespace

TEST_P(Search, FindsWhatMatchesTextCategoryAndDates) {
    Add(Event("Team MEETING", At(2024, 5, 5, 0, 0)));
    Add(Event("Team", At(2024, 5, 5, 10, 0)));
    Add(Event("Straße", At(2024, 4, 1, 9, 0)));
    TvnEventParams meeting = Event("Board meeting", At(2024, 5, 1, 9, 0), rkWeekly);
    meeting.Category = ecMeeting;
    Add(meeting);
    b.SetUser(4);
    Add(Event("Team meeting of user 4", At(2024, 5, 5, 0, 0)));
    b.SetUser(0);

    EXPECT_EQ(Descs(data.FindEvents(GetParam().params)), GetParam().expected);
    EXPECT_FALSE(data.SpecialFilter);
}

INSTANTIATE_TEST_SUITE_P(
    CalendarData, Search,
    ::testing::Values(
        SearchRow{"EmptyPartialFindsNothing", Find("", true, false), {}},
        SearchRow{
            "PartialIgnoresCase", Find("meet", true, false), {"Team MEETING", "Board meeting"}},
        SearchRow{"PartialWithCase", Find("meet", true, true), {"Board meeting"}},
        SearchRow{"WholeNeedsTheWholeDescription", Find("Team", false, false), {"Team"}},
        SearchRow{"WholeIgnoresCase", Find("team meeting", false, false), {"Team MEETING"}},
        SearchRow{"UpperCasingIsLocaleAware", Find("STRASSE", false, false), {"Straße"}},
        SearchRow{"OnlyCheckedCategories", Find("meet", true, false, 16), {"Board meeting"}},
        SearchRow{"NoCategoriesFindNothing", Find("meet", true, false, 0), {}},
        SearchRow{"RangeEndsAtTheStartOfItsLastDay",
                  FindBetween(EncodeDate(2024, 5, 1), EncodeDate(2024, 5, 5)),
                  {"Team MEETING", "Board meeting"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Each store operation names the shown cells whose content it changed, so
// that the control repaints those and no others (March 2024 starts its grid
// on Monday 26 February: (col, row) = (weekday, week)).
TEST_F(CalendarDataEvents, StoreOperationsNameTheCellsTheyChanged) {
    using Cells = std::vector<std::pair<int, int>>;
    TvnHolidayParams holiday{0, 3, 19, 0, 0, "Holiday", esNew};
    TvnNotesParams note{0, At(2024, 3, 20), "Note", "", esNew};
    TvnEventParams course = Event("Course", At(2024, 3, 20, 9, 0), rkDaily);
    course.UseEndDate = true;
    course.EndDate = At(2024, 3, 21);
    const struct {
        const char* what;
        std::function<void()> run;
        Cells cells;
    } rows[] = {
        {"holiday added", [&] { data.AddHoliday(&holiday); }, {{1, 3}}},
        {"holiday moved",
         [&] {
             holiday.Day = 21;
             data.EditHoliday(&holiday);
         },
         {{1, 3}, {3, 3}}},
        {"holiday deleted", [&] { data.DeleteHoliday(&holiday); }, {{3, 3}}},
        {"note added", [&] { data.AddNotes(&note); }, {{2, 3}}},
        {"note moved out of view",
         [&] {
             note.Date = At(2024, 6, 1);
             data.EditNotes(&note);
         },
         {}},
        {"day coloured", [&] { data.UpdateBColor(int(clLime), At(2024, 3, 4)); }, {{0, 1}}},
        {"colour cleared", [&] { data.DeleteBColor(At(2024, 3, 4)); }, {{0, 1}}},
        {"event over two days", [&] { data.AddEvent(&course); }, {{2, 3}, {3, 3}}},
        {"event a week later",
         [&] {
             course.Date += 7;
             course.EndDate += 7;
             data.EditEvent(&course);
         },
         {{2, 3}, {3, 3}, {2, 4}, {3, 4}}},
        {"event snoozed",
         [&] { data.SnoozeEvent(&course, At(2024, 3, 15, 11, 0)); },
         {{2, 4}, {3, 4}}},
        {"event deleted", [&] { data.DeleteEvent(&course); }, {{2, 4}, {3, 4}}},
        {"gone event deleted", [&] { data.DeleteEvent(&course); }, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        b.TakeChanged();
        row.run();
        EXPECT_EQ(b.TakeChanged(), row.cells);
    }
    // Nothing is shown in the year view, so nothing there is named.
    b.Show(vmYear, At(2024, 3, 15));
    b.TakeChanged();
    data.AddNotes(&note);
    data.AddEvent(&course);
    EXPECT_TRUE(b.TakeChanged().empty());
}

// The synchronisation reads and writes a user's events through a view of its
// own: the calendar's filter (here a temporary one) stays as it was, and the
// rows the view changed are read anew by the calendar's table.
TEST_F(CalendarDataEvents, AUserViewLeavesTheCalendarsFilterAndItsChangesAreReadAnew) {
    Add(Event("mine", At(2024, 3, 5, 9, 0)));
    b.SetUser(3);
    Add(Event("theirs", At(2024, 3, 6, 9, 0)));
    b.SetUser(0);
    data.SetFilter(tsEvents, QStringLiteral("Category = 0"), true);
    {
        TvnUserEvents view(data, 3);
        const auto theirs = view.Load();
        ASSERT_EQ(theirs.size(), 1u);
        EXPECT_EQ(theirs.begin()->second.Desc, "theirs");
        view.Add(Event("added for 3", At(2024, 3, 7, 9, 0)));
    }
    EXPECT_EQ(db.Table(tsEvents).Filter(), "Category = 0 AND UserID = 0");
    EXPECT_TRUE(data.SpecialFilter);

    data.SetFilter(tsEvents, QString(), false);
    ASSERT_EQ(Descs(data.ReadEvents()), QStringList{"mine"});  // the table has read its rows
    {
        TvnUserEvents view(data, 0);
        TvnEventParams mine = view.Load().begin()->second;
        mine.Desc = "mine, changed";
        view.Update(mine);
        view.Add(Event("added for me", At(2024, 3, 8, 9, 0)));
    }
    EXPECT_EQ(Descs(data.ReadEvents()), (QStringList{"mine, changed", "added for me"}));
}
