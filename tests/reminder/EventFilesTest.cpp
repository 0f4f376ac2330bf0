#include <gtest/gtest.h>

#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "EventSamples.h"
#include "reminder/Vneventfiles.h"
#include "reminder/Vnparams.h"

namespace {

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct FilesFixture : ::testing::Test {
    ScopedClock clock{At(2024, 3, 1, 8, 0)};
    ScopedFormat format{DottedFormatSettings()};
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(name); }

    bool WriteReport(const QString& path, const std::vector<TvnEventParams>& events,
                     int categories = AllCategoriesMask) {
        TvnTextReportWriter w(path, categories);
        for (const TvnEventParams& e : events)
            w.Add(e);
        return w.Commit();
    }
    bool WriteData(const QString& path, const std::vector<TvnEventParams>& events,
                   int categories = AllCategoriesMask) {
        TvnEventDataWriter w(path, categories);
        for (const TvnEventParams& e : events)
            w.Add(e);
        return w.Commit();
    }
};

TvnEventParams WithCategory(int category, const QString& desc) {
    TvnEventParams e = DentistEvent();
    e.Category = category;
    e.Desc = desc;
    return e;
}

}  // namespace

// ---- text report -------------------------------------------------------------

TEST_F(FilesFixture, TextReportOfTheDentistIsExact) {
    ASSERT_TRUE(WriteReport(Path("r.txt"), {DentistEvent()}));
    EXPECT_EQ(ReadBytes(Path("r.txt")),
              "Created 01.03.2024\r\n"
              "\r\n"
              "Description | Dentist\r\n"
              "Start Date  | 12.03.2024 09:30:00\r\n"
              "Run Date    | 12.03.2024 09:00:00\r\n"
              "End Date    | \r\n"
              "Notify      | YES\r\n"
              "Category    | Meeting\r\n"
              "Reccurence  | Once\r\n"
              "Action file | \r\n"
              "Sound file  | C:\\Sounds\\bell.wav\r\n"
              "Notes       | \r\n"
              "Completed   | NO\r\n"
              "\r\n");
}

TEST_F(FilesFixture, TextReportOfCompletedAndRecurringEvents) {
    TvnEventParams done = DentistEvent();
    done.Completed = true;
    done.RunDate = 0;
    TvnEventParams weekly = WeeklyEvent();
    weekly.Notes = "first line\nsecond line\r\nthird";
    const QString block = TvnTextReportWriter::EventBlock(done);
    EXPECT_TRUE(block.contains("\r\nRun Date    | \r\n"));
    EXPECT_TRUE(block.contains("\r\nCompleted   | YES\r\n"));
    const QString w = TvnTextReportWriter::EventBlock(weekly);
    EXPECT_TRUE(w.contains("\r\nEnd Date    | 19.12.2024\r\n"));
    EXPECT_TRUE(w.contains("\r\nReccurence  | Weekly\r\n"));
    EXPECT_TRUE(w.contains("\r\nNotes       | first line\r\nsecond line\r\nthird\r\nCompleted"));
    EXPECT_TRUE(w.contains("\r\nAction file | /home/me/choir/score.pdf\r\n"));
}

TEST_F(FilesFixture, TextReportWithNothingHoldsTheHeaderOnly) {
    ASSERT_TRUE(WriteReport(Path("r.txt"), {}));
    EXPECT_EQ(ReadBytes(Path("r.txt")), "Created 01.03.2024\r\n\r\n");
}

TEST_F(FilesFixture, TextReportLeavesOutUncheckedCategories) {
    ASSERT_TRUE(WriteReport(Path("r.txt"),
                            {WithCategory(ecMiscellaneous, "m"), WithCategory(ecAnniversary, "a"),
                             WithCategory(ecMeeting, "t"), WithCategory(17, "odd")},
                            CategoryBit(ecMiscellaneous) | CategoryBit(ecMeeting)));
    const QByteArray text = ReadBytes(Path("r.txt"));
    EXPECT_TRUE(text.contains("Description | m\r\n"));
    EXPECT_TRUE(text.contains("Description | t\r\n"));
    EXPECT_FALSE(text.contains("Description | a\r\n"));
    EXPECT_FALSE(text.contains("odd"));
}

TEST_F(FilesFixture, TextReportThatCannotBeCreatedWritesNothingAndSaysSo) {
    const QString path = Path("no/such/folder/r.txt");
    TvnTextReportWriter w(path, AllCategoriesMask);
    EXPECT_FALSE(w.IsOpen());
    EXPECT_FALSE(w.Add(DentistEvent()));
    EXPECT_FALSE(w.Commit());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(FilesFixture, UnfinishedTextReportLeavesTheOldFileAlone) {
    WriteBytes(Path("r.txt"), "old report");
    {
        TvnTextReportWriter w(Path("r.txt"), AllCategoriesMask);
        w.Add(DentistEvent());
    }
    EXPECT_EQ(ReadBytes(Path("r.txt")), "old report");
    ASSERT_TRUE(WriteReport(Path("r.txt"), {}));
    EXPECT_EQ(ReadBytes(Path("r.txt")), "Created 01.03.2024\r\n\r\n");
}

// ---- event data file ---------------------------------------------------------

TEST_F(FilesFixture, EventDataFileOfTheDentistIsExact) {
    ASSERT_TRUE(WriteData(Path("e.edf"), {DentistEvent()}));
    EXPECT_EQ(ReadBytes(Path("e.edf")),
              "[EventID_0]\r\n"
              "eType=0\r\n"
              "Desc=Dentist\r\n"
              "Date=45363.3958333333\r\n"
              "RunDate=45363.375\r\n"
              "EndDate=0\r\n"
              "UseStartTime=1\r\n"
              "UseEndDate=0\r\n"
              "Notify=1\r\n"
              "NotifyParam=30\r\n"
              "NotifyType=0\r\n"
              "Category=4\r\n"
              "Recurrence=0\r\n"
              "nParam=1\r\n"
              "Action_File=\r\n"
              "Sound_File=C:\\Sounds\\bell.wav\r\n"
              "Notes=\r\n"
              "[General]\r\n"
              "Count=1\r\n");
}

TEST_F(FilesFixture, EventDataFileWithNothingHoldsCountZero) {
    ASSERT_TRUE(WriteData(Path("e.edf"), {}));
    EXPECT_EQ(ReadBytes(Path("e.edf")), "[General]\r\nCount=0\r\n");
}

TEST_F(FilesFixture, EventDataFileNumbersTheWrittenEventsWithoutGaps) {
    TvnEventDataWriter w(Path("e.edf"), AllCategoriesMask & ~CategoryBit(ecAnniversary));
    EXPECT_TRUE(w.Add(WithCategory(ecMiscellaneous, "m")));
    EXPECT_FALSE(w.Add(WithCategory(ecAnniversary, "a")));
    EXPECT_TRUE(w.Add(WithCategory(ecBirthday, "b")));
    EXPECT_FALSE(w.Add(WithCategory(-1, "odd")));
    ASSERT_TRUE(w.Commit());
    const TvnEventDataFile read = ReadEventDataFile(Path("e.edf"));
    ASSERT_EQ(read.Events.size(), 2u);
    EXPECT_EQ(read.Events[0].Desc, "m");
    EXPECT_EQ(read.Events[1].Desc, "b");
    EXPECT_TRUE(ReadBytes(Path("e.edf")).contains("[EventID_1]\r\neType=0\r\nDesc=b\r\n"));
    EXPECT_TRUE(ReadBytes(Path("e.edf")).endsWith("[General]\r\nCount=2\r\n"));
}

TEST_F(FilesFixture, SecondExportReplacesTheFirst) {
    ASSERT_TRUE(WriteData(Path("e.edf"), {WithCategory(0, "one"), WithCategory(0, "two")}));
    ASSERT_TRUE(WriteData(Path("e.edf"), {WithCategory(0, "three")}));
    const QByteArray bytes = ReadBytes(Path("e.edf"));
    EXPECT_FALSE(bytes.contains("EventID_1"));
    EXPECT_FALSE(bytes.contains("one"));
    EXPECT_TRUE(bytes.contains("Desc=three"));
}

TEST_F(FilesFixture, LineBreaksCannotSmuggleSectionsIntoTheDataFile) {
    TvnEventParams e = DentistEvent();
    e.Desc = "Visit\r\n[General]\r\nCount=5";
    e.Notes = "line one\n[EventID_1]\nDesc=forged\nDate=45000";
    ASSERT_TRUE(WriteData(Path("e.edf"), {e}));
    const QByteArray bytes = ReadBytes(Path("e.edf"));
    EXPECT_FALSE(bytes.contains("forged"));
    EXPECT_TRUE(bytes.contains("\r\nNotes=line one\r\n"));
    const TvnEventDataFile read = ReadEventDataFile(Path("e.edf"));
    ASSERT_EQ(read.Events.size(), 1u);
    EXPECT_EQ(read.Events[0].Desc, "Visit");
    EXPECT_EQ(read.Events[0].Notes, "line one");
}

TEST_F(FilesFixture, DataFileThatCannotBeWrittenReportsFailure) {
    TvnEventDataWriter w(Path("missing/e.edf"), AllCategoriesMask);
    w.Add(DentistEvent());
    EXPECT_FALSE(w.Commit());
    EXPECT_FALSE(w.ErrorString().isEmpty());
}

TEST_F(FilesFixture, HugeDescriptionsAreExportedAndReadWithoutHarm) {
    TvnEventParams e = DentistEvent();
    e.Desc = QString(100000, u'd');
    e.Notes = QString(100000, u'n');
    ASSERT_TRUE(WriteReport(Path("r.txt"), {e}));
    EXPECT_TRUE(ReadBytes(Path("r.txt")).contains(QByteArray(100000, 'd') + "\r\n"));
    ASSERT_TRUE(WriteData(Path("e.edf"), {e}));
    const TvnEventDataFile read = ReadEventDataFile(Path("e.edf"));
    ASSERT_EQ(read.Events.size(), 1u);
    EXPECT_EQ(read.Events[0].Desc, QString(2047, u'd'));
    EXPECT_EQ(read.Events[0].Notes, QString(2047, u'n'));
    EXPECT_EQ(read.Events[0].Sound_File, "C:\\Sounds\\bell.wav");
    EXPECT_TRUE(IsImportableEvent(read.Events[0]));
}

// ---- round trip --------------------------------------------------------------

std::vector<TvnEventParams> EveryKindOfEvent() {
    std::vector<TvnEventParams> events;
    for (int r = rkOnce; r < RecurrenceCount; ++r) {
        TvnEventParams e = WeeklyEvent();
        e.eType = r == rkOnce ? etEvent : etRecurring;
        e.Recurrence = r;
        e.Category = r % CategoryCount;
        e.NotifyType = r % NotifyTypeCount;
        e.NotifyParam = 1 + r * 7;
        e.nParam = 1 + r;
        e.Desc = QString("Event of kind %1 \u00e9\u4e2d").arg(r);
        e.Date = At(2020 + r, 1 + r, 28 + r % 3, r, 5 * r, r);
        e.UseEndDate = r % 2 == 0;
        e.EndDate = e.UseEndDate ? EncodeDate(2030, 12, 31) : 0;
        e.UseStartTime = r % 3 != 0;
        e.Notify = r % 2 == 1;
        events.push_back(e);
    }
    TvnEventParams old = DentistEvent();
    old.Date = -36522.75;  // a date before 1900
    old.RunDate = 0;
    old.Action_File = "/srv/a file with blanks.sh";
    events.push_back(old);
    return events;
}

void ExpectSameEvent(const TvnEventParams& a, const TvnEventParams& b) {
    EXPECT_EQ(a.eType, b.eType);
    EXPECT_EQ(a.Desc, b.Desc);
    EXPECT_SAME_TIME(a.Date, b.Date);  // 15 significant digits: well under a millisecond
    EXPECT_SAME_TIME(a.RunDate, b.RunDate);
    EXPECT_SAME_TIME(a.EndDate, b.EndDate);
    EXPECT_EQ(a.UseStartTime, b.UseStartTime);
    EXPECT_EQ(a.UseEndDate, b.UseEndDate);
    EXPECT_EQ(a.Notify, b.Notify);
    EXPECT_EQ(a.NotifyParam, b.NotifyParam);
    EXPECT_EQ(a.NotifyType, b.NotifyType);
    EXPECT_EQ(a.Category, b.Category);
    EXPECT_EQ(a.Recurrence, b.Recurrence);
    EXPECT_EQ(a.nParam, b.nParam);
    EXPECT_EQ(a.Action_File, b.Action_File);
    EXPECT_EQ(a.Sound_File, b.Sound_File);
    EXPECT_EQ(a.Notes, b.Notes);
}

class RoundTrip : public FilesFixture, public ::testing::WithParamInterface<char> {};

TEST_P(RoundTrip, EveryKindOfEventComesBackAsWritten) {
    TFormatSettings fs = DottedFormatSettings();
    fs.DecimalSeparator = GetParam();
    ScopedFormat separator(fs);
    const std::vector<TvnEventParams> events = EveryKindOfEvent();
    ASSERT_TRUE(WriteData(Path("e.edf"), events));
    const TvnEventDataFile read = ReadEventDataFile(Path("e.edf"));
    EXPECT_TRUE(read.Readable);
    ASSERT_EQ(read.Events.size(), events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSameEvent(read.Events[i], events[i]);
        EXPECT_EQ(read.Events[i].ID, 0);
        EXPECT_TRUE(read.Events[i].Completed);
    }
}

INSTANTIATE_TEST_SUITE_P(Separators, RoundTrip, ::testing::Values('.', ','));

// Readers drop the blanks around a value and a pair of enclosing quotes, so
// such texts came back changed.
TEST_F(FilesFixture, TextsWithBlankOrQuotedEdgesComeBackExactly) {
    const QString texts[] = {" leading",   "trailing ", "\t both \t", "\"quoted\"",
                             "'single'",   "\"",        "''",         " ",
                             "say \"hi\"", "\"half",    "end quote\""};
    std::vector<TvnEventParams> events;
    for (const QString& text : texts) {
        TvnEventParams e = DentistEvent();
        e.Desc = text;
        e.Notes = text + u' ' + text;
        events.push_back(e);
    }
    events.back().Sound_File = "cut at\ra lone CR";
    ASSERT_TRUE(WriteData(Path("e.edf"), events));
    EXPECT_TRUE(ReadBytes(Path("e.edf")).contains("\r\nDesc=\" leading\"\r\n"));
    const TvnEventDataFile read = ReadEventDataFile(Path("e.edf"));
    ASSERT_EQ(read.Events.size(), events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(read.Events[i].Desc, events[i].Desc);
        EXPECT_EQ(read.Events[i].Notes, events[i].Notes);
    }
    EXPECT_EQ(read.Events.back().Sound_File, "cut at");
}

TEST_F(FilesFixture, DatesWrittenWithAnotherDecimalSeparatorReadAsZero) {
    TFormatSettings comma = DottedFormatSettings();
    comma.DecimalSeparator = u',';
    {
        ScopedFormat f(comma);
        ASSERT_TRUE(WriteData(Path("e.edf"), {DentistEvent()}));
    }
    const TvnEventDataFile read = ReadEventDataFile(Path("e.edf"));
    ASSERT_EQ(read.Events.size(), 1u);
    EXPECT_TIME_EQ(read.Events[0].Date, 0);
    EXPECT_FALSE(IsImportableEvent(read.Events[0]));
}

// ---- reading bad files ---------------------------------------------------------

struct BadFileCase {
    const char* name;
    QByteArray content;
    std::function<void(const std::vector<TvnEventParams>&)> check;
};

void PrintTo(const BadFileCase& row, std::ostream* os) {
    *os << row.name;
}

class BadDataFile : public FilesFixture, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadDataFile, ReadsSafely) {
    WriteBytes(Path("bad.edf"), GetParam().content);
    const TvnEventDataFile read = ReadEventDataFile(Path("bad.edf"));
    EXPECT_TRUE(read.Readable);
    GetParam().check(read.Events);
}

QByteArray Binary() {
    QByteArray b;
    for (int i = 0; i < 64 * 1024; ++i)
        b.append(static_cast<char>((i * 7919) % 256));
    return b;
}

QByteArray SectionPerLine(int n) {
    QByteArray b = "[General]\r\nCount=" + QByteArray::number(n) + "\r\n";
    for (int i = 0; i < n; ++i)
        b += "[EventID_" + QByteArray::number(i) + "]\r\n";
    return b;
}

QByteArray OneEvent(const QByteArray& keys) {
    return "[General]\r\nCount=1\r\n[EventID_0]\r\nDesc=x\r\n" + keys;
}

void ExpectNone(const std::vector<TvnEventParams>& events) {
    EXPECT_TRUE(events.empty());
}

std::function<void(const std::vector<TvnEventParams>&)> ExpectDescs(QStringList descs) {
    return [descs](const std::vector<TvnEventParams>& events) {
        QStringList got;
        for (const TvnEventParams& e : events)
            got.append(e.Desc);
        EXPECT_EQ(got, descs);
    };
}

std::function<void(const std::vector<TvnEventParams>&)> ExpectDates(TDateTime date, TDateTime run,
                                                                    TDateTime end) {
    return [=](const std::vector<TvnEventParams>& events) {
        ASSERT_EQ(events.size(), 1u);
        EXPECT_TIME_EQ(events[0].Date, date);
        EXPECT_TIME_EQ(events[0].RunDate, run);
        EXPECT_TIME_EQ(events[0].EndDate, end);
    };
}

void ExpectAllDefaults(const std::vector<TvnEventParams>& events) {
    ASSERT_EQ(events.size(), 1u);
    const TvnEventParams& e = events[0];
    EXPECT_EQ(e.ID, 0);
    EXPECT_EQ(e.eType, 0);
    EXPECT_TRUE(e.Desc.isEmpty());
    EXPECT_TIME_EQ(e.Date, 0);
    EXPECT_TIME_EQ(e.RunDate, 0);
    EXPECT_TIME_EQ(e.EndDate, 0);
    EXPECT_FALSE(e.UseStartTime || e.UseEndDate || e.Notify);
    EXPECT_EQ(e.NotifyParam, 1);
    EXPECT_EQ(e.NotifyType, 0);
    EXPECT_EQ(e.Category, 0);
    EXPECT_EQ(e.Recurrence, 0);
    EXPECT_EQ(e.nParam, 1);
    EXPECT_TRUE(e.Action_File.isEmpty() && e.Sound_File.isEmpty() && e.Notes.isEmpty());
    EXPECT_TRUE(e.Completed);
    EXPECT_FALSE(IsImportableEvent(e));
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadDataFile,
    ::testing::Values(
        BadFileCase{"empty", "", ExpectNone}, BadFileCase{"binary", Binary(), ExpectNone},
        BadFileCase{"no_general", "[EventID_0]\r\nDesc=x\r\nDate=45000\r\n", ExpectNone},
        BadFileCase{"count_not_a_number", "[General]\r\nCount=many\r\n[EventID_0]\r\nDesc=x\r\n",
                    ExpectNone},
        BadFileCase{"count_beyond_int", "[General]\r\nCount=99999999999\r\n[EventID_0]\r\n",
                    ExpectNone},
        BadFileCase{"negative_count", "[General]\r\nCount=-3\r\n[EventID_0]\r\nDesc=x\r\n",
                    ExpectNone},
        BadFileCase{"huge_count_three_sections",
                    "[General]\r\nCount=2000000000\r\n[EventID_1999999999]\r\nDesc=z\r\n"
                    "[EventID_5]\r\nDesc=c\r\n[EventID_0]\r\nDesc=a\r\n[EventID_2000000000]\r\n"
                    "Desc=beyond\r\n",
                    ExpectDescs({"a", "c", "z"})},
        BadFileCase{"sections_beyond_count",
                    "[General]\r\nCount=1\r\n[EventID_0]\r\nDesc=a\r\n[EventID_1]\r\nDesc=b\r\n",
                    ExpectDescs({"a"})},
        BadFileCase{"only_canonical_numbers",
                    "[General]\r\nCount=9\r\n[EventID_07]\r\nDesc=a\r\n[EventID_+1]\r\nDesc=b\r\n"
                    "[EventID_-0]\r\nDesc=c\r\n[ EventID_2 ]\r\nDesc=d\r\n",
                    ExpectDescs({"d"})},
        BadFileCase{"names_in_any_case", "[general]\r\nCOUNT=1\r\n[eventid_0]\r\ndesc=lower\r\n",
                    ExpectDescs({"lower"})},
        BadFileCase{"first_of_duplicate_sections",
                    "[General]\r\nCount=1\r\n[EventID_0]\r\nDesc=first\r\n[EventID_0]\r\n"
                    "Desc=second\r\n",
                    ExpectDescs({"first"})},
        BadFileCase{"every_key_missing", "[General]\r\nCount=1\r\n[EventID_0]\r\n",
                    ExpectAllDefaults},
        BadFileCase{"section_per_line", SectionPerLine(5000),
                    [](const std::vector<TvnEventParams>& events) {
                        EXPECT_EQ(events.size(), 5000u);
                        EXPECT_FALSE(IsImportableEvent(events.back()));
                    }},
        BadFileCase{"valid_extreme_dates",
                    OneEvent("Date=-1\r\nRunDate=-693593\r\nEndDate=2958465.5\r\n"),
                    ExpectDates(-1, -693593, 2958465.5)},
        BadFileCase{"dates_out_of_the_calendar",
                    OneEvent("Date=1e300\r\nRunDate=-693594\r\nEndDate=2958466\r\n"),
                    ExpectDates(0, 0, 0)},
        BadFileCase{"dates_not_finite", OneEvent("Date=NAN\r\nRunDate=INF\r\nEndDate=-INF\r\n"),
                    ExpectDates(0, 0, 0)},
        BadFileCase{"dates_huge_negative", OneEvent("Date=-1E300\r\nRunDate=x\r\nEndDate=\r\n"),
                    ExpectDates(0, 0, 0)},
        BadFileCase{"numbers_below_range",
                    OneEvent("nParam=0\r\nNotifyParam=0\r\nCategory=-1\r\nRecurrence=-2\r\n"),
                    [](const std::vector<TvnEventParams>& events) {
                        ASSERT_EQ(events.size(), 1u);
                        EXPECT_EQ(events[0].nParam, 1);
                        EXPECT_EQ(events[0].NotifyParam, 0);
                        EXPECT_EQ(events[0].Category, 0);
                        EXPECT_EQ(events[0].Recurrence, 0);
                    }},
        BadFileCase{"codes_above_range",
                    OneEvent("nParam=-40\r\neType=2\r\nNotifyType=3\r\nCategory=5\r\n"
                             "Recurrence=7\r\n"),
                    [](const std::vector<TvnEventParams>& events) {
                        ASSERT_EQ(events.size(), 1u);
                        EXPECT_EQ(events[0].nParam, 1);
                        EXPECT_EQ(events[0].eType, 0);
                        EXPECT_EQ(events[0].NotifyType, 3);  // no lead, as stored
                        EXPECT_EQ(events[0].Category, 0);
                        EXPECT_EQ(events[0].Recurrence, 0);
                    }},
        BadFileCase{"hexadecimal_and_padded_values",
                    OneEvent("eType=0x1\r\nRecurrence=$6\r\nnParam=  12\r\nNotify=7\r\n"
                             "Sound_File=\"/a b.wav\"\r\n"),
                    [](const std::vector<TvnEventParams>& events) {
                        ASSERT_EQ(events.size(), 1u);
                        EXPECT_EQ(events[0].eType, 1);
                        EXPECT_EQ(events[0].Recurrence, rkAnnually);
                        EXPECT_EQ(events[0].nParam, 12);
                        EXPECT_TRUE(events[0].Notify);
                        EXPECT_EQ(events[0].Sound_File, "/a b.wav");
                    }},
        BadFileCase{"windows_1252_text", OneEvent("Notes=Caf\xe9 \x80\r\n"),
                    [](const std::vector<TvnEventParams>& events) {
                        ASSERT_EQ(events.size(), 1u);
                        EXPECT_EQ(events[0].Notes, QString::fromUtf8("Caf\u00e9 \u20ac"));
                    }},
        // One stray byte used to make every line read as Windows-1252.
        BadFileCase{"one_bad_byte_keeps_the_other_utf8_lines",
                    OneEvent("Notes=Caf\xe9\r\nSound_File=Caf\xc3\xa9.wav\r\n"),
                    [](const std::vector<TvnEventParams>& events) {
                        ASSERT_EQ(events.size(), 1u);
                        EXPECT_EQ(events[0].Notes, QString::fromUtf8("Caf\u00e9"));
                        EXPECT_EQ(events[0].Sound_File, QString::fromUtf8("Caf\u00e9.wav"));
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilesFixture, MissingOrUnreadableFilesAreReportedAsSuch) {
    EXPECT_FALSE(ReadEventDataFile(Path("missing.edf")).Readable);
    EXPECT_FALSE(ReadEventDataFile("").Readable);
    EXPECT_FALSE(ReadEventDataFile(dir.path()).Readable);  // a folder

    QFile big(Path("big.edf"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(MaxEventDataFileSize + 1));  // sparse: costs no disk
    big.close();
    EXPECT_FALSE(ReadEventDataFile(big.fileName()).Readable);

    WriteBytes(Path("locked.edf"), "[General]\r\nCount=0\r\n");
    QFile::setPermissions(Path("locked.edf"), QFileDevice::Permissions{});
    if (::geteuid() != 0) {
        EXPECT_FALSE(ReadEventDataFile(Path("locked.edf")).Readable);
    }
}

TEST(ImportableEvent, NeedsADescriptionAndAStartDate) {
    TvnEventParams e = DentistEvent();
    EXPECT_TRUE(IsImportableEvent(e));
    e.Date = 0;
    EXPECT_FALSE(IsImportableEvent(e));
    e = DentistEvent();
    e.Desc.clear();
    EXPECT_FALSE(IsImportableEvent(e));
}
