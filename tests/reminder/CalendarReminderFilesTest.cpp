// Export of the current user's events and import from event data files, on a
// calendar bound to a fresh database.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <ostream>
#include <string>

#include <sys/resource.h>

#include "platform/IniFile.h"
#include "reminder/ReminderFixture.h"

namespace {

class ReminderFilesTest : public ReminderFixture {
protected:
    int Add(const QString& desc, TDateTime start, int recurrence = rkOnce,
            int category = ecMiscellaneous) {
        TvnEventParams e = EventRecord(desc, start, recurrence);
        e.Category = category;
        e.Notes = "notes of " + desc;
        cal.AddEvent(&e);
        return e.ID;
    }

    TvnExportParams Export(bool text, int categories = AllCategoriesMask) {
        TvnExportParams p;
        p.BegDate = EncodeDate(2024, 1, 1);
        p.EndDate = EncodeDate(2024, 12, 31);
        p.SaveAsTxt = text;
        p.Categories = categories;
        p.FileName = db.dir.filePath(text ? "export.txt" : "export.edf");
        p.Accepted = true;
        return p;
    }

    bool Import(const QString& file, bool deleteExisting) {
        TvnImportParams p;
        p.FileName = file;
        p.DeleteExisting = deleteExisting;
        p.Accepted = true;
        return cal.ImportEvents(p);
    }

    // The current user's descriptions in table order.
    QStringList Descriptions() {
        cal.SetFilter(tsEvents, QString(), true);
        QStringList names;
        TADOTable& t = db.Table(tsEvents);
        for (t.First(); !t.Eof(); t.Next())
            names.append(t.FieldByName("Desc")->AsString());
        cal.SetFilter(tsEvents, QString(), false);
        return names;
    }

    QByteArray Read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void Write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

}  // namespace

TEST_F(ReminderFilesTest, ExportTakesTheRangeFromMidnightToMidnightOfTheLastDay) {
    Add("NewYear", EncodeDate(2024, 1, 1));
    Add("EveMidnight", EncodeDate(2024, 12, 31));
    Add("EveMorning", At(2024, 12, 31, 10, 0));
    Add("LastYear", At(2023, 12, 31, 23, 0));
    cal.SetCurrUser(5);
    Add("OtherUser", EncodeDate(2024, 6, 1));
    cal.SetCurrUser(0);
    ASSERT_TRUE(cal.ExportEvents(Export(true)));
    const QByteArray report = Read(db.dir.filePath("export.txt"));
    EXPECT_TRUE(report.startsWith("Created 15.03.2024\r\n\r\nDescription | NewYear\r\n"));
    EXPECT_TRUE(report.contains("Description | EveMidnight\r\n"));
    EXPECT_FALSE(report.contains("EveMorning"));
    EXPECT_FALSE(report.contains("LastYear"));
    EXPECT_FALSE(report.contains("OtherUser"));
    EXPECT_FALSE(cal.SpecialFilter);
    EXPECT_EQ(db.Table(tsEvents).Filter(), "UserID = 0");
}

TEST_F(ReminderFilesTest, ExportedDataFileNumbersTheChosenCategoriesWithoutGaps) {
    Add("Misc", EncodeDate(2024, 2, 1), rkOnce, ecMiscellaneous);
    Add("Birthday", EncodeDate(2024, 2, 2), rkAnnually, ecBirthday);
    Add("Meeting", EncodeDate(2024, 2, 3), rkWeekly, ecMeeting);
    ASSERT_TRUE(cal.ExportEvents(Export(false, 1 | 16)));
    const TIniFile ini(db.dir.filePath("export.edf"));
    EXPECT_EQ(ini.ReadSections(), (QStringList{"EventID_0", "EventID_1", "General"}));
    EXPECT_EQ(ini.ReadString("EventID_1", "Desc", ""), "Meeting");
    EXPECT_EQ(ini.ReadInteger("General", "Count", -1), 2);
}

TEST_F(ReminderFilesTest, ExportFailsWithTheTableClosedOrAnUncreatableFile) {
    Add("Misc", EncodeDate(2024, 2, 1));
    TvnExportParams p = Export(true);
    p.FileName = db.dir.filePath("no-such-folder/export.txt");
    EXPECT_FALSE(cal.ExportEvents(p));
    EXPECT_FALSE(cal.SpecialFilter);
    db.Table(tsEvents).Close();
    EXPECT_FALSE(cal.ExportEvents(Export(true)));
    EXPECT_FALSE(QFile::exists(db.dir.filePath("export.txt")));
}

TEST_F(ReminderFilesTest, ExportThenImportRecreatesEveryKindWithNewIds) {
    for (int kind = rkOnce; kind <= rkAnnually; ++kind)
        Add(RecurrenceCaption(kind), At(2024, 2, 10 + kind, 8, 30), kind);
    ASSERT_TRUE(cal.ExportEvents(Export(false)));
    cal.SetCurrUser(1);
    ASSERT_TRUE(Import(db.dir.filePath("export.edf"), false));
    EXPECT_EQ(Descriptions(), (QStringList{"Once", "Hourly", "Daily", "Weekly", "Monthly",
                                           "Montly variably", "Annually"}));
    TADOTable& t = db.Table(tsEvents);
    cal.SetFilter(tsEvents, QString(), false);
    for (t.First(); !t.Eof(); t.Next()) {
        TvnEventParams e;
        cal.DBRecord_To_EventStruct(&e);
        EXPECT_GT(e.ID, 7);
        EXPECT_EQ(e.Notes, "notes of " + e.Desc);
        if (e.Recurrence == rkOnce) {
            EXPECT_TRUE(e.Completed);  // its time has passed
            EXPECT_TIME_EQ(e.RunDate, 0);
        } else {
            EXPECT_FALSE(e.Completed) << qPrintable(e.Desc);
            EXPECT_GT(e.RunDate, Now());
        }
    }
    ASSERT_TRUE(Import(db.dir.filePath("export.edf"), false));
    EXPECT_EQ(Descriptions().size(), 14);  // nothing detects duplicates
}

TEST_F(ReminderFilesTest, DeletingExistingEventsTouchesOnlyTheCurrentUser) {
    Add("Old 1", EncodeDate(2024, 2, 1));
    Add("Old 2", EncodeDate(2024, 2, 2));
    cal.SetCurrUser(2);
    Add("Theirs", EncodeDate(2024, 2, 3));
    cal.SetCurrUser(0);
    const QString file = db.dir.filePath("one.edf");
    Write(file, "[EventID_0]\r\nDesc=New\r\nDate=45400\r\n[General]\r\nCount=1\r\n");
    ASSERT_TRUE(Import(file, true));
    EXPECT_EQ(Descriptions(), QStringList{"New"});
    cal.SetCurrUser(2);
    EXPECT_EQ(Descriptions(), QStringList{"Theirs"});
}

// A mistyped path must not cost every event and be called a success.
TEST_F(ReminderFilesTest, DeletingWithAMissingFileDeletesNothingAndFails) {
    Add("Keep", EncodeDate(2024, 2, 1));
    EXPECT_FALSE(Import(db.dir.filePath("mistyped.edf"), true));
    EXPECT_EQ(Descriptions(), QStringList{"Keep"});
    EXPECT_FALSE(cal.SpecialFilter);
    EXPECT_FALSE(Import(db.dir.filePath("mistyped.edf"), false));  // no event data file
    EXPECT_EQ(Descriptions(), QStringList{"Keep"});
}

TEST_F(ReminderFilesTest, AnExistingFileWithoutEventsStillReplacesThem) {
    Add("Old", EncodeDate(2024, 2, 1));
    const QString file = db.dir.filePath("empty.edf");
    Write(file, "[General]\r\nCount=0\r\n");
    EXPECT_TRUE(Import(file, true));
    EXPECT_TRUE(Descriptions().isEmpty());
}

struct ReplacingCase {
    const char* name;
    QByteArray content;
    QStringList after;  // the user's events after the import; {"Keep"}: refused
    qint64 size = 0;    // made this big (sparse) when not 0
};

void PrintTo(const ReplacingCase& row, std::ostream* os) {
    *os << row.name;
}

class ReplacingImport : public ReminderFilesTest,
                        public ::testing::WithParamInterface<ReplacingCase> {};

// A file the reader found no events in replaced every event with none and
// was called a success: CSVs, texts, and event data files whose lines end in
// CR alone or in a mix of line ends.
TEST_P(ReplacingImport, NeverEmptiesTheCalendarWithAFileThatIsNoEventDataFile) {
    Add("Keep", EncodeDate(2024, 2, 1));
    const QString file = db.dir.filePath("import.edf");
    Write(file, GetParam().content);
    if (GetParam().size != 0) {
        ASSERT_TRUE(QFile::resize(file, GetParam().size));
    }
    const bool refused = GetParam().after == QStringList{"Keep"};
    EXPECT_EQ(Import(file, true), !refused);
    EXPECT_EQ(Descriptions(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReplacingImport,
    ::testing::Values(
        ReplacingCase{
            "csv", "kind,start_iso,interval,description\r\nonce,2024-02-01,1,X\r\n", {"Keep"}},
        ReplacingCase{"text_report", "Created 15.03.2024\r\n\r\nDescription | X\r\n", {"Keep"}},
        ReplacingCase{"empty", "", {"Keep"}},
        ReplacingCase{"count_not_a_number", "[General]\r\nCount=many\r\n", {"Keep"}},
        ReplacingCase{"over_64_mb",
                      "[General]\r\nCount=1\r\n[EventID_0]\r\nDesc=New\r\nDate=45400\r\n",
                      {"Keep"},
                      64 * 1024 * 1024 + 1},
        ReplacingCase{
            "cr_only", "[EventID_0]\rDesc=New\rDate=45400\r[General]\rCount=1\r", {"New"}},
        ReplacingCase{"mixed_line_ends",
                      "[EventID_0]\nDesc=New\r\nDate=45400\r[EventID_1]\r\nDesc=Next\n"
                      "Date=45401\n\r[General]\rCount=2",
                      {"New", "Next"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReminderFilesTest, HostileDataFilesImportOnlyWhatIsUsable) {
    const QString file = db.dir.filePath("hostile.edf");
    Write(file,
          "[General]\r\nCount=2000000000\r\n[EventID_0]\r\nDesc=Fine\r\nDate=45400.5\r\n"
          "nParam=-4\r\nRecurrence=2\r\n[EventID_1]\r\nDesc=NaN\r\nDate=NAN\r\n"
          "[EventID_5]\r\nDesc=Huge\r\nDate=1E300\r\n[EventID_7]\r\nDesc=\r\nDate=45400\r\n"
          "[EventID_1999999999]\r\nDesc=Last\r\nDate=-2\r\n");
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(Import(file, false));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(Descriptions(), (QStringList{"Fine", "Last"}));
    cal.SetFilter(tsEvents, QString(), false);
    ASSERT_TRUE(cal.LocateDBRecord(tsEvents, "ID", 1));
    TvnEventParams e;
    cal.DBRecord_To_EventStruct(&e);
    EXPECT_EQ(e.nParam, 1);
    EXPECT_GT(e.RunDate, Now());
}

// An import whose commit fails was undone by the store: it must not be
// reported as a success.
TEST_F(ReminderFilesTest, ImportWhoseCommitFailsIsAnError) {
    QByteArray file = "[General]\r\nCount=60\r\n";
    for (int i = 0; i < 60; ++i) {
        file += "[EventID_" + QByteArray::number(i) + "]\r\nDesc=" + QByteArray(2000, 'd') +
                "\r\nNotes=" + QByteArray(2000, 'n') + "\r\nDate=45400\r\n";
    }
    const QString path = db.dir.filePath("big.edf");
    Write(path, file);
    const qint64 written =
        std::max(QFileInfo(db.path).size(), QFileInfo(db.path + QStringLiteral("-wal")).size());
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit full = saved;
    full.rlim_cur = static_cast<rlim_t>(written + 8192);  // a disk that fills up
    ::setrlimit(RLIMIT_FSIZE, &full);
    EXPECT_THROW(Import(path, false), EDatabaseError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_TRUE(Descriptions().isEmpty());
    EXPECT_FALSE(cal.SpecialFilter);
}
