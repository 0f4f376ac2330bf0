// The reminder tick and the event operations on a calendar bound to a fresh
// database, with the clock set by each test.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QSet>
#include <QTreeWidget>
#include <memory>

#include "reminder/ReminderFixture.h"
#include "reminder/Uformnotify.h"
#include "reminder/Uresource.h"
#include "support/RecordingActions.h"

namespace {

TvnEventParams* EventOfRow(QWidget& window, int row) {
    auto* list = window.findChild<QTreeWidget*>(QStringLiteral("listView_Events"));
    return TvnEventListItem::EventOf(list->topLevelItem(row));
}

class ReminderTest : public ReminderFixture {
protected:
    ReminderTest() {
        // The main window's part: the found records go to the rows of a
        // window that lives on until after the tick.
        cal.OnBeforeFoundEvents = [this](TvnCalendarReminder* sender) {
            QStringList names;
            for (const auto& e : sender->EventsList)
                names.append(e->Desc);
            announced.append(names.join(u','));
            windows.push_back(
                std::make_unique<TFormNotify>(nullptr, sender->TakeEventsList(), shell, sound));
            if (whileOpen) whileOpen();
        };
    }

    TvnEventParams Event(const QString& desc, TDateTime start, int recurrence = rkOnce) {
        return EventRecord(desc, start, recurrence);
    }

    int Add(TvnEventParams e) {
        cal.AddEvent(&e);
        return e.ID;
    }

    TvnEventParams Stored(int id) {
        TvnEventParams e;
        e.ID = -1;
        if (cal.LocateDBRecord(tsEvents, QStringLiteral("ID"), id)) cal.DBRecord_To_EventStruct(&e);
        return e;
    }

    void Tick() { cal.OnTimer(nullptr); }

    RecordingShell shell;
    RecordingSoundPlayer sound;
    QStringList announced;  // one entry per announcement: the descriptions
    std::vector<std::unique_ptr<TFormNotify>> windows;
    std::function<void()> whileOpen;
};

}  // namespace

TEST_F(ReminderTest, OneTimeEventIsAnnouncedOnceAndCompleted) {
    const int id = Add(Event("Dentist", At(2024, 3, 15, 10, 5)));
    Tick();
    EXPECT_TRUE(announced.isEmpty());
    clock.Set(At(2024, 3, 15, 10, 5, 0));
    Tick();
    EXPECT_EQ(announced, QStringList{"Dentist"});
    const TvnEventParams stored = Stored(id);
    EXPECT_TRUE(stored.Completed);
    EXPECT_TIME_EQ(stored.RunDate, 0);
    clock.Advance(1.0 / 24);
    Tick();
    EXPECT_EQ(announced.size(), 1);
}

TEST_F(ReminderTest, RecurringEventMovesToItsNextTimeAfterNow) {
    const int id = Add(Event("Medication", At(2024, 3, 10, 9, 0), rkDaily));
    EXPECT_TIME_EQ(Stored(id).RunDate, At(2024, 3, 16, 9, 0));
    clock.Set(At(2024, 3, 16, 9, 0, 30));
    Tick();
    EXPECT_EQ(announced, QStringList{"Medication"});
    const TvnEventParams stored = Stored(id);
    EXPECT_FALSE(stored.Completed);
    EXPECT_TIME_EQ(stored.RunDate, At(2024, 3, 17, 9, 0));
}

TEST_F(ReminderTest, TwoDueSoundsCutEachOtherAndTheLastPlaysOn) {
    const QString first = db.dir.filePath("first.wav"), second = db.dir.filePath("second.wav");
    for (const QString& name : {first, second}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TvnEventParams a = Event("A", At(2024, 3, 15, 10, 1));
    a.Sound_File = first;
    TvnEventParams b = Event("B", At(2024, 3, 15, 10, 1));
    b.Sound_File = second;
    Add(a);
    Add(b);
    clock.Set(At(2024, 3, 15, 10, 2));
    Tick();
    EXPECT_EQ(announced, QStringList{"A,B"});
    EXPECT_EQ(sound.Log, (QStringList{"play " + first, "stop " + first, "play " + second}));
    EXPECT_EQ(sound.Playing(), second);
}

TEST_F(ReminderTest, AnotherUsersEventWaitsUntilThatUserIsCurrent) {
    cal.SetCurrUser(3);
    const int id = Add(Event("Theirs", At(2024, 3, 15, 10, 1)));
    cal.SetCurrUser(0);
    clock.Set(At(2024, 3, 15, 11, 0));
    Tick();
    EXPECT_TRUE(announced.isEmpty());
    cal.SetCurrUser(3);
    Tick();
    EXPECT_EQ(announced, QStringList{"Theirs"});
    EXPECT_TRUE(Stored(id).Completed);
}

TEST_F(ReminderTest, TicksWhileTheWindowIsOpenAnnounceNothingMore) {
    Add(Event("First", At(2024, 3, 15, 10, 1)));
    Add(Event("Second", At(2024, 3, 15, 10, 3)));
    clock.Set(At(2024, 3, 15, 10, 2));
    whileOpen = [this] {
        whileOpen = nullptr;
        cal.ReminderDisabled();
        clock.Set(At(2024, 3, 15, 10, 4));  // the second falls due meanwhile
        Tick();
        Tick();
        cal.ReminderEnabled();
    };
    Tick();
    EXPECT_EQ(announced, QStringList{"First"});
    Tick();
    EXPECT_EQ(announced, (QStringList{"First", "Second"}));
}

TEST_F(ReminderTest, DisabledReminderWaitsForTheOutermostDialog) {
    Add(Event("Due", At(2024, 3, 15, 9, 0) + 2));
    clock.Set(At(2024, 3, 17, 10, 0));
    cal.ReminderDisabled();
    cal.ReminderDisabled();
    cal.ReminderEnabled();
    Tick();
    EXPECT_TRUE(announced.isEmpty());
    cal.ReminderEnabled();
    Tick();
    EXPECT_EQ(announced.size(), 1);
}

TEST_F(ReminderTest, SuspendedReminderAnnouncesEverythingAfterResuming) {
    const int a = Add(Event("A", At(2024, 3, 15, 11, 0)));
    const int b = Add(Event("B", At(2024, 3, 15, 12, 0)));
    cal.FReminderActive = false;
    clock.Set(At(2024, 3, 15, 13, 0));
    Tick();
    EXPECT_TRUE(announced.isEmpty());
    EXPECT_FALSE(Stored(a).Completed);
    cal.FReminderActive = true;
    Tick();
    EXPECT_EQ(announced, QStringList{"A,B"});
    EXPECT_TRUE(Stored(a).Completed && Stored(b).Completed);
}

TEST_F(ReminderTest, TickWithNothingDueLeavesTheUserFilter) {
    cal.SetCurrUser(2);
    Add(Event("Later", At(2024, 3, 15, 18, 0)));
    Tick();
    EXPECT_TRUE(announced.isEmpty());
    EXPECT_EQ(db.Table(tsEvents).Filter(), "UserID = 2");
    EXPECT_FALSE(cal.SpecialFilter);
    EXPECT_FALSE(cal.FInTimer);
}

// A failing tick must not silence the reminder for good.
TEST_F(ReminderTest, FailureInsideATickLeavesTheReminderWorking) {
    Add(Event("Due", At(2024, 3, 15, 10, 1)));
    clock.Set(At(2024, 3, 15, 10, 2));
    cal.OnBeforeFoundEvents = [](TvnCalendarReminder*) { throw EDatabaseError("disk gone"); };
    EXPECT_THROW(Tick(), EDatabaseError);
    EXPECT_FALSE(cal.FInTimer);
    EXPECT_FALSE(cal.SpecialFilter);

    TFormatSettings noYear = FormatSettings();
    noYear.ShortDateFormat = QStringLiteral("dd/mm");  // literals the filter cannot read
    {
        ScopedFormat format(noYear);
        EXPECT_THROW(Tick(), EDatabaseError);
    }
    EXPECT_FALSE(cal.FInTimer);
    EXPECT_FALSE(cal.SpecialFilter);
    EXPECT_EQ(db.Table(tsEvents).Filter(), "UserID = 0");

    int found = 0;
    cal.OnBeforeFoundEvents = [&found](TvnCalendarReminder* r) {
        found = int(r->TakeEventsList().size());
    };
    cal.OnAfterFoundEvents = [&found](TvnCalendarReminder*) { found += 100; };
    Tick();
    EXPECT_EQ(found, 101);
}

namespace {

int CountCommits(void* count) {
    ++*static_cast<int*>(count);
    return 0;
}

}  // namespace

// A long absence left thousands of events due; each was moved on with a disk
// flush of its own, which took minutes.
TEST_F(ReminderTest, AnnouncedEventsWereMovedOnEachInACommitOfItsOwn) {
    const int once = Add(Event("Once", At(2024, 3, 15, 10, 1)));
    const int daily = Add(Event("Daily", At(2024, 3, 14, 10, 1), rkDaily));
    const int snoozed = Add(Event("Snoozed", At(2024, 3, 15, 10, 1)));
    clock.Set(At(2024, 3, 15, 10, 2));
    int commits = 0;
    whileOpen = [&] {
        cal.SnoozedEvents.insert(snoozed, At(2024, 3, 15, 10, 12));
        // The window's records are its own: a change to them is not stored.
        EventOfRow(*windows.back(), 1)->Desc = "Daily walk";
        sqlite3_commit_hook(db.connection.Handle(), CountCommits, &commits);
    };
    Tick();
    sqlite3_commit_hook(db.connection.Handle(), nullptr, nullptr);
    EXPECT_EQ(announced, QStringList{"Once,Daily,Snoozed"});
    EXPECT_EQ(commits, 1);
    EXPECT_TRUE(Stored(once).Completed);
    EXPECT_TIME_EQ(Stored(daily).RunDate, At(2024, 3, 16, 10, 1));
    EXPECT_EQ(Stored(daily).Desc, "Daily");
    EXPECT_FALSE(Stored(snoozed).Completed);
    EXPECT_TIME_EQ(Stored(snoozed).RunDate, At(2024, 3, 15, 10, 12));
    // Each event is still shown once, and the cells show what a full repaint shows.
    QSet<QString> bookmarks;
    for (const TvnEventDrawData& entry : cal.EventDrawList)
        bookmarks.insert(entry.Bookmark);
    EXPECT_EQ(bookmarks.size(), 3);
    EXPECT_EQ(cal.EventDrawList.size(), 3u);
    const QImage painted = cal.BackBuffer().copy();
    cal.UpdateCalendar();
    EXPECT_EQ(cal.BackBuffer(), painted);
}

// A row the store refused mid-way dropped that event from the view and left
// the table in edit mode, so that the next tick stored it unannounced.
TEST_F(ReminderTest, RefusedMoveOnDroppedTheEventFromViewAndLeftTheRowEditing) {
    const int first = Add(Event("First", At(2024, 3, 15, 10, 1)));
    const int refused = Add(Event("Refused", At(2024, 3, 15, 10, 1)));
    const int third = Add(Event("Third", At(2024, 3, 15, 10, 1)));
    sqlite3* handle = db.connection.Handle();
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr);
    const QString trigger = QString(
                                "CREATE TRIGGER refuse BEFORE UPDATE ON Events WHEN old.ID = %1 "
                                "BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                                .arg(refused);
    ASSERT_EQ(sqlite3_exec(handle, trigger.toUtf8().constData(), nullptr, nullptr, nullptr),
              SQLITE_OK);
    clock.Set(At(2024, 3, 15, 10, 2));
    EXPECT_THROW(Tick(), EDatabaseError);
    EXPECT_EQ(db.Table(tsEvents).State(), dsBrowse);
    EXPECT_FALSE(db.connection.InTransaction());
    EXPECT_TRUE(Stored(first).Completed);  // done before the failure: kept
    EXPECT_FALSE(Stored(refused).Completed);
    EXPECT_FALSE(Stored(third).Completed);
    EXPECT_EQ(cal.EventDrawList.size(), 3u);

    ASSERT_EQ(sqlite3_exec(handle, "DROP TRIGGER refuse", nullptr, nullptr, nullptr), SQLITE_OK);
    Tick();
    EXPECT_EQ(announced, (QStringList{"First,Refused,Third", "Refused,Third"}));
    EXPECT_TRUE(Stored(refused).Completed && Stored(third).Completed);
}

TEST_F(ReminderTest, AddEditDeleteRepaintTheCellsConcerned) {
    int col = 0, row = 0;
    cal.DateToCell(EncodeDate(2024, 3, 20), col, row);
    const QRect cell = cal.GetCellRect(col, row).ToQRect();
    const QImage empty = cal.BackBuffer().copy(cell);

    TvnEventParams e = Event("Checkup", At(2024, 3, 20, 9, 0));
    cal.AddEvent(&e);
    ASSERT_EQ(cal.EventDrawList.size(), 1u);
    EXPECT_TRUE(cal.EventDrawList[0].Cells[row * 7 + col]);
    EXPECT_NE(cal.BackBuffer().copy(cell), empty);

    e.Date = At(2024, 6, 20, 9, 0);  // out of the shown weeks
    cal.EditEvent(&e);
    EXPECT_TRUE(cal.EventDrawList.empty());
    EXPECT_EQ(cal.BackBuffer().copy(cell), empty);

    e.Date = At(2024, 3, 20, 9, 0);
    cal.EditEvent(&e);
    EXPECT_NE(cal.BackBuffer().copy(cell), empty);
    cal.DeleteEvent(&e);
    EXPECT_TRUE(cal.EventDrawList.empty());
    EXPECT_EQ(cal.BackBuffer().copy(cell), empty);
    EXPECT_EQ(Stored(e.ID).ID, -1);
}

TEST_F(ReminderTest, FindWithTheTableClosedLeavesTheListAsItWas) {
    cal.EventsList.push_back(std::make_unique<TvnEventParams>());
    const TvnEventParams* kept = cal.EventsList[0].get();
    db.Table(tsEvents).Close();
    TvnFindParams anything;
    anything.EventDesc = QStringLiteral("x");
    anything.ParComp = true;
    cal.FindEvents(anything);
    ASSERT_EQ(cal.EventsList.size(), 1u);
    EXPECT_EQ(cal.EventsList[0].get(), kept);
}
