// The static cursor of the table engine: navigation over the filtered rows,
// appending, editing and deleting with their effect on the visible set,
// locating rows and bookmarks.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFileInfo>
#include <csignal>

#include "store/Adodb.h"
#include "support/TestDatabase.h"
#include "support/TestSupport.h"

namespace {

const QString kUser0 = QStringLiteral("UserID = 0");

TEST(AdoTable, EmptyTableIsAtEndAndHasNoCurrentRow) {
    TestDatabase db;
    EXPECT_TRUE(db.events.Eof());
    EXPECT_EQ(db.events.RecordCount(), 0);
    EXPECT_THROW(db.events.FieldByName(QStringLiteral("Desc"))->AsString(), EDatabaseError);
    EXPECT_THROW(db.events.Bookmark(), EDatabaseError);
    EXPECT_THROW(db.events.Delete(), EDatabaseError);
    EXPECT_THROW(db.events.Edit(), EDatabaseError);
    db.events.Next();  // stays at the end
    EXPECT_TRUE(db.events.Eof());
}

TEST(AdoTable, FilterSelectsMatchingRowsInIdOrder) {
    TestDatabase db;
    for (auto [user, desc] : {std::pair{0, "a"}, {1, "b"}, {0, "c"}, {2, "d"}, {0, "e"}})
        db.AddEvent(user, QLatin1String(desc));
    db.SetEventsFilter(kUser0);
    EXPECT_EQ(db.events.RecordCount(), 3);
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"a", "c", "e"}));
    db.SetEventsFilter(QStringLiteral("UserID = 1"));
    EXPECT_EQ(db.VisibleDescs(), QStringList{"b"});
    db.events.SetFiltered(false);
    EXPECT_EQ(db.events.RecordCount(), 5);
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"a", "b", "c", "d", "e"}));
}

TEST(AdoTable, FilterTextWaitsForFiltered) {
    TestDatabase db;
    db.AddEvent(0, "a");
    db.AddEvent(1, "b");
    db.events.SetFilter(QStringLiteral("UserID = 1"));
    EXPECT_EQ(db.events.RecordCount(), 2);
    db.events.SetFiltered(true);
    EXPECT_EQ(db.events.RecordCount(), 1);
    EXPECT_EQ(Desc(db.events), "b");  // setting the filter makes the first row current
}

TEST(AdoTable, CompletedFalseSelectsZeroAndNull) {
    TestDatabase db;
    db.AddEvent(0, "open", 0, {.completed = false});
    db.AddEvent(0, "done", 0, {.completed = true});
    db.events.Append();
    db.events.FieldByName(QStringLiteral("Desc"))->SetAsString(QStringLiteral("null"));
    db.events.Post();  // Completed and UserID stay null: both read as 0
    db.SetEventsFilter(QStringLiteral("Completed = FALSE AND UserID = 0"));
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"open", "null"}));
}

TEST(AdoTable, DateFiltersCompareDayCounts) {
    TestDatabase db;
    db.AddEvent(0, "midnight", At(2024, 3, 15));
    db.AddEvent(0, "noon", At(2024, 3, 15, 12));
    db.AddEvent(0, "next day", At(2024, 3, 16));
    db.SetEventsFilter(QStringLiteral("Date = '15.03.2024'"));
    EXPECT_EQ(db.VisibleDescs(), QStringList{"midnight"});
    db.SetEventsFilter(
        QStringLiteral("Date >= '15.03.2024' AND Date < '16.03.2024' AND UserID = 0"));
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"midnight", "noon"}));
    db.SetEventsFilter(QStringLiteral("Date >= '15.03.2024 12:00:00' AND Date <= '16.03.2024'"));
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"noon", "next day"}));
}

TEST(AdoTable, PostedAppendGetsIdAndStaysCurrent) {
    TestDatabase db;
    db.SetEventsFilter(kUser0);
    const int first = db.AddEvent(0, "a");
    const int second = db.AddEvent(0, "b");
    EXPECT_GT(first, 0);
    EXPECT_GT(second, first);
    EXPECT_EQ(Desc(db.events), "b");
    EXPECT_EQ(db.events.RecordCount(), 2);
    EXPECT_FALSE(db.events.Eof());
}

TEST(AdoTable, AppendedRowOutsideFilterStaysCurrentUntilMoved) {
    TestDatabase db;
    db.AddEvent(0, "a");
    db.SetEventsFilter(kUser0);
    EXPECT_EQ(db.events.RecordCount(), 1);
    db.AddEvent(5, "other user");
    EXPECT_EQ(Desc(db.events), "other user");
    EXPECT_EQ(db.events.RecordCount(), 1);
    db.events.Next();
    EXPECT_TRUE(db.events.Eof());
}

TEST(AdoTable, EditedRowLeavingFilterStaysReadableAndNextContinues) {
    TestDatabase db;
    for (const char* d : {"a", "b", "c"})
        db.AddEvent(0, QLatin1String(d));
    db.SetEventsFilter(QStringLiteral("Completed = FALSE AND UserID = 0"));
    db.events.First();
    db.events.Next();  // "b"
    db.events.Edit();
    db.events.FieldByName(QStringLiteral("Completed"))->SetAsInteger(1);
    db.events.Post();
    EXPECT_EQ(Desc(db.events), "b");
    EXPECT_EQ(db.events.FieldByName(QStringLiteral("Completed"))->AsInteger(), 1);
    EXPECT_EQ(db.events.RecordCount(), 2);
    db.events.Next();
    EXPECT_EQ(Desc(db.events), "c");
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"a", "c"}));
}

TEST(AdoTable, EditedRowEnteringFilterJoinsVisibleSet) {
    TestDatabase db;
    db.AddEvent(0, "a");
    db.SetEventsFilter(kUser0);
    db.AddEvent(3, "b");  // current but not visible
    db.events.Edit();
    db.events.FieldByName(QStringLiteral("UserID"))->SetAsInteger(0);
    db.events.Post();
    EXPECT_EQ(db.events.RecordCount(), 2);
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"a", "b"}));
}

// Storing rows one after the other keeps the rows read ahead in use: the
// rows stored or deleted, and only those, must be read again.
TEST(AdoTable, RowsStoredAfterAWalkAreReadAgainAndTheOthersStillServe) {
    TestDatabase db;
    for (const char* d : {"a", "b", "c", "d"})
        db.AddEvent(0, QLatin1String(d));
    db.SetEventsFilter(kUser0);
    ASSERT_EQ(db.VisibleDescs(), (QStringList{"a", "b", "c", "d"}));
    ASSERT_TRUE(db.events.Locate(QStringLiteral("Desc"), QStringLiteral("b")));
    db.events.Edit();
    db.events.FieldByName(QStringLiteral("Completed"))->SetAsInteger(1);
    db.events.Post();
    ASSERT_TRUE(db.events.Locate(QStringLiteral("Desc"), QStringLiteral("c")));
    db.events.Edit();  // other columns: another statement
    db.events.FieldByName(QStringLiteral("Desc"))->SetAsString(QStringLiteral("c2"));
    db.events.Post();
    ASSERT_TRUE(db.events.Locate(QStringLiteral("Desc"), QStringLiteral("d")));
    db.events.Delete();
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"a", "b", "c2"}));
    QList<int> completed;
    for (db.events.First(); !db.events.Eof(); db.events.Next())
        completed.append(db.events.FieldByName(QStringLiteral("Completed"))->AsInteger());
    EXPECT_EQ(completed, (QList<int>{0, 1, 0}));
}

TEST(AdoTable, DeleteMakesFollowingRowCurrent) {
    TestDatabase db;
    for (const char* d : {"a", "b", "c"})
        db.AddEvent(0, QLatin1String(d));
    db.SetEventsFilter(kUser0);
    db.events.Next();
    db.events.Delete();
    EXPECT_EQ(Desc(db.events), "c");
    EXPECT_EQ(db.events.RecordCount(), 2);
    db.events.Delete();
    EXPECT_TRUE(db.events.Eof());
    EXPECT_EQ(db.VisibleDescs(), QStringList{"a"});
}

TEST(AdoTable, IdsAreNeverReused) {
    TestDatabase db;
    db.AddEvent(0, "a");
    const int b = db.AddEvent(0, "b");
    db.events.Delete();
    EXPECT_GT(db.AddEvent(0, "c"), b);
}

TEST(AdoTable, MovingAndFilteringPostThePendingRow) {
    TestDatabase db;
    db.AddEvent(0, "a");
    db.SetEventsFilter(kUser0);
    db.events.Append();
    db.events.FieldByName(QStringLiteral("Desc"))->SetAsString(QStringLiteral("by append"));
    db.events.Append();  // posts the first
    db.events.FieldByName(QStringLiteral("Desc"))->SetAsString(QStringLiteral("by first"));
    db.events.First();
    EXPECT_EQ(db.events.State(), dsBrowse);
    db.events.Edit();
    db.events.FieldByName(QStringLiteral("Desc"))->SetAsString(QStringLiteral("by filter"));
    db.SetEventsFilter(QStringLiteral("UserID = 0 AND ID > 0"));
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"by filter", "by append", "by first"}));
}

TEST(AdoTable, CancelAndCloseDiscardThePendingRow) {
    TestDatabase db;
    db.AddEvent(0, "a");
    db.events.Edit();
    db.events.FieldByName(QStringLiteral("Desc"))->SetAsString(QStringLiteral("changed"));
    db.events.Cancel();
    EXPECT_EQ(Desc(db.events), "a");
    db.events.Append();
    db.events.Cancel();
    EXPECT_EQ(Desc(db.events), "a");
    db.events.Append();
    db.events.FieldByName(QStringLiteral("Desc"))->SetAsString(QStringLiteral("lost"));
    db.events.Close();
    db.events.Open();
    EXPECT_EQ(db.events.RecordCount(), 1);
}

TEST(AdoTable, MisuseRaisesEngineErrors) {
    TestDatabase db;
    db.AddEvent(0, "a");
    EXPECT_THROW(db.events.FieldByName(QStringLiteral("NoSuchColumn")), EDatabaseError);
    EXPECT_THROW(db.events.Fields(19), EDatabaseError);
    EXPECT_THROW(db.events.FieldByName(QStringLiteral("Desc"))->SetAsString("x"), EDatabaseError);
    EXPECT_THROW(db.events.Post(), EDatabaseError);
    db.events.Edit();
    EXPECT_THROW(db.events.FieldByName(QStringLiteral("ID"))->SetAsInteger(7), EDatabaseError);
    db.events.Cancel();
    db.events.Close();
    EXPECT_THROW(db.events.RecordCount(), EDatabaseError);
    EXPECT_THROW(db.events.First(), EDatabaseError);
    EXPECT_TRUE(db.events.Eof());
    TADOTable unknown(&db.connection);
    unknown.SetTableName(QStringLiteral("Users"));
    EXPECT_THROW(unknown.Open(), EDatabaseError);
}

TEST(AdoTable, ColumnNamesAreCaseInsensitive) {
    TestDatabase db;
    db.AddEvent(4, "a");
    EXPECT_EQ(db.events.FieldByName(QStringLiteral("userid"))->AsInteger(), 4);
    EXPECT_EQ(db.events.FieldByName(QStringLiteral("DESC"))->FieldName(), "Desc");
    EXPECT_EQ(db.events.FieldCount(), 19);
    EXPECT_EQ(db.events.Fields(18)->FieldName(), "Completed");
    EXPECT_TRUE(db.events.Locate(QStringLiteral("userID"), 4));
}

TEST(AdoTable, LocateFindsFirstVisibleMatchExactly) {
    TestDatabase db;
    for (auto [month, day, name] : {std::tuple{1, 1, "Hidden"},
                                    {5, 1, "May Day"},
                                    {5, 1, "may day"},
                                    {12, 25, "Christmas"}}) {
        db.holidays.Append();
        db.holidays.FieldByName(QStringLiteral("Month"))->SetAsInteger(month);
        db.holidays.FieldByName(QStringLiteral("Day"))->SetAsInteger(day);
        db.holidays.FieldByName(QStringLiteral("Name"))->SetAsString(QLatin1String(name));
        db.holidays.Post();
    }
    db.holidays.SetFilter(QStringLiteral("ID > 1"));
    db.holidays.SetFiltered(true);
    EXPECT_EQ(db.holidays.RecordCount(), 4);  // the delivered row 1 is hidden
    auto name = [&] { return db.holidays.FieldByName(QStringLiteral("Name"))->AsString(); };
    ASSERT_TRUE(db.holidays.Locate(QStringLiteral("Month;Day"), QVariantList{5, 1}));
    EXPECT_EQ(name(), "May Day");
    ASSERT_TRUE(db.holidays.Locate(QStringLiteral("Name"), QStringLiteral("may day")));
    EXPECT_EQ(name(), "may day");
    EXPECT_FALSE(db.holidays.Locate(QStringLiteral("Name"), QStringLiteral("MAY DAY")));
    EXPECT_FALSE(db.holidays.Locate(QStringLiteral("Name"), QStringLiteral("May")));
    EXPECT_FALSE(db.holidays.Locate(QStringLiteral("ID"), 1));  // filtered out
    EXPECT_EQ(name(), "may day");                               // a failed locate does not move
    db.holidays.Next();
    EXPECT_EQ(name(), "Christmas");
    EXPECT_THROW(db.holidays.Locate(QStringLiteral("Month;Nope"), QVariantList{5, 1}),
                 EDatabaseError);
    EXPECT_THROW(db.holidays.Locate(QStringLiteral("Month;Day"), QVariantList{5}), EDatabaseError);
}

// A Locate's statement is kept for the next one by the same keys; another
// filter, a null key or another key list must still be heeded.
TEST(AdoTable, LocateByTheSameKeysHeedsTheFilterAndNullKeys) {
    TestDatabase db;
    const int first = db.AddEvent(0, "a");
    const int second = db.AddEvent(1, "a");
    auto id = [&] { return db.events.FieldByName(QStringLiteral("ID"))->AsInteger(); };
    for (const auto& [filter, expected] : {std::pair{"UserID = 0", first},
                                           {"Completed = FALSE AND UserID = 1", second},
                                           {"", first}}) {
        db.SetEventsFilter(QLatin1String(filter));
        db.events.SetFiltered(*filter != 0);
        ASSERT_TRUE(db.events.Locate(QStringLiteral("Desc"), QStringLiteral("a"))) << filter;
        EXPECT_EQ(id(), expected) << filter;
    }
    EXPECT_FALSE(db.events.Locate(QStringLiteral("Desc"), QVariant()));
    EXPECT_TRUE(db.events.Locate(QStringLiteral("Desc"), QStringLiteral("a")));
    EXPECT_FALSE(db.events.Locate(QStringLiteral("Desc"), QStringLiteral("b")));
    EXPECT_TRUE(db.events.Locate(QStringLiteral("Desc;UserID"), QVariantList{"a", 0}));
    EXPECT_THROW(db.events.Locate(QStringLiteral("Desc;UserID"), QVariantList{"a"}),
                 EDatabaseError);
}

TEST(AdoTable, LocateByDateAndUserOnDayColours) {
    TestDatabase db;
    for (auto [user, color] : {std::pair{1, 111}, {2, 222}}) {
        db.bcolors.Append();
        db.bcolors.FieldByName(QStringLiteral("UserID"))->SetAsInteger(user);
        db.bcolors.FieldByName(QStringLiteral("Date"))->SetAsDateTime(At(2024, 2, 29));
        db.bcolors.FieldByName(QStringLiteral("Color"))->SetAsInteger(color);
        db.bcolors.Post();
    }
    db.bcolors.SetFilter(
        QStringLiteral("Date >= '01.02.2024' AND Date < '01.03.2024' AND UserID = 2"));
    db.bcolors.SetFiltered(true);
    EXPECT_FALSE(
        db.bcolors.Locate(QStringLiteral("Date;UserID"), QVariantList{At(2024, 2, 29), 1}));
    ASSERT_TRUE(db.bcolors.Locate(QStringLiteral("Date;UserID"), QVariantList{At(2024, 2, 29), 2}));
    EXPECT_EQ(db.bcolors.FieldByName(QStringLiteral("Color"))->AsInteger(), 222);
}

TEST(AdoTable, BookmarksNameRowsUntilTheyAreDeleted) {
    TestDatabase db;
    for (const char* d : {"a", "b", "c"})
        db.AddEvent(0, QLatin1String(d));
    db.SetEventsFilter(kUser0);
    db.events.Next();
    const QString b = db.events.Bookmark();
    EXPECT_NE(b, "0");
    db.events.First();
    db.events.SetBookmark(b);
    EXPECT_EQ(Desc(db.events), "b");
    db.events.Next();
    EXPECT_EQ(Desc(db.events), "c");
    // A row outside the filter can still be reached by its bookmark.
    db.SetEventsFilter(QStringLiteral("UserID = 7"));
    db.events.SetBookmark(b);
    EXPECT_EQ(Desc(db.events), "b");
    db.events.SetFiltered(false);
    db.events.SetBookmark(b);
    db.events.Delete();
    EXPECT_THROW(db.events.SetBookmark(b), EDatabaseError);
    EXPECT_THROW(db.events.SetBookmark(QStringLiteral("garbage")), EDatabaseError);
    EXPECT_EQ(Desc(db.events), "c");
}

TEST(AdoTable, RowDeletedThroughAnotherTableObjectIsHandledSafely) {
    TestDatabase db;
    db.AddEvent(0, "a");
    db.AddEvent(0, "b");
    TADOTable other(&db.connection);
    other.SetTableName(QStringLiteral("Events"));
    other.Open();
    db.events.First();
    EXPECT_EQ(Desc(db.events), "a");
    other.Delete();  // removes "a" behind the first table's back
    db.events.Edit();
    db.events.FieldByName(QStringLiteral("Desc"))->SetAsString(QStringLiteral("a2"));
    EXPECT_THROW(db.events.Post(), EDatabaseError);
    db.events.Cancel();
    db.events.Next();
    EXPECT_EQ(Desc(db.events), "b");
    const QString b = db.events.Bookmark();
    db.events.First();  // no longer "a"
    EXPECT_EQ(db.events.Bookmark(), b);
    other.Delete();  // now "b"
    EXPECT_THROW(db.events.SetBookmark(b), EDatabaseError);
}

TEST(AdoTable, RolledBackRowsDisappear) {
    TestDatabase db;
    db.AddEvent(0, "kept");
    db.connection.BeginTrans();
    EXPECT_TRUE(db.connection.InTransaction());
    db.AddEvent(0, "gone");
    db.connection.RollbackTrans();
    EXPECT_EQ(db.VisibleDescs(), QStringList{"kept"});
    db.connection.BeginTrans();
    db.AddEvent(0, "committed");
    db.connection.CommitTrans();
    EXPECT_FALSE(db.connection.InTransaction());
    EXPECT_THROW(db.connection.CommitTrans(), EDatabaseError);
    EXPECT_EQ(db.VisibleDescs(), (QStringList{"kept", "committed"}));
}

// A commit that cannot be written (a full disk, here the file size limit)
// takes its rows back; the table must not go on showing them.
TEST(AdoTable, RowsOfAFailedCommitDisappear) {
    TestDatabase db;
    db.AddEvent(0, "kept");
    db.connection.BeginTrans();
    for (int i = 0; i < 20; ++i)
        db.AddEvent(0, QString(20000, u'x'));
    ASSERT_EQ(db.VisibleDescs().size(), 21);
    const qint64 written =
        std::max(QFileInfo(db.path).size(), QFileInfo(db.path + QStringLiteral("-wal")).size());
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit full = saved;
    full.rlim_cur = static_cast<rlim_t>(written + 8192);
    ::setrlimit(RLIMIT_FSIZE, &full);
    EXPECT_THROW(db.connection.CommitTrans(), EDatabaseError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_FALSE(db.connection.InTransaction());
    EXPECT_EQ(db.events.RecordCount(), 1);
    EXPECT_EQ(db.VisibleDescs(), QStringList{"kept"});
}

TEST(AdoTable, WalkReadsEveryRowOfALargeSet) {
    TestDatabase db;
    db.connection.BeginTrans();
    for (int i = 0; i < 1000; ++i)
        db.AddEvent(i % 3, QString::number(i));
    db.connection.CommitTrans();
    db.SetEventsFilter(QStringLiteral("UserID = 1"));
    const QStringList descs = db.VisibleDescs();
    ASSERT_EQ(descs.size(), 333);
    for (int k = 0; k < descs.size(); ++k)
        ASSERT_EQ(descs[k], QString::number(3 * k + 1));
}

}  // namespace

namespace {

TEST(AdoTable, WalkOverLongNotesReadsEachRowWhole) {
    TestDatabase db;
    for (int i = 0; i < 10; ++i) {
        db.AddEvent(0, QString::number(i));
        db.events.Edit();
        db.events.FieldByName(QStringLiteral("Notes"))
            ->SetAsString(QString(1 << 20, QChar(u'a' + i)));
        db.events.Post();
    }
    db.SetEventsFilter(kUser0);
    int i = 0;
    for (db.events.First(); !db.events.Eof(); db.events.Next(), ++i) {
        const QString notes = db.events.FieldByName(QStringLiteral("Notes"))->AsString();
        ASSERT_EQ(notes.size(), 1 << 20);
        EXPECT_EQ(notes.back(), QChar(u'a' + i));
        EXPECT_EQ(Desc(db.events), QString::number(i));
    }
    EXPECT_EQ(i, 10);
}

}  // namespace
