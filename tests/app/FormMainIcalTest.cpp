// The main window's iCalendar commands: export through the export dialog,
// import that updates what it exported before, a file too large refused
// with the events left as they were, files named by a calendar never taken,
// and series too costly to work out named in the report.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <memory>

#include "app/Uformmain.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/EventRecords.h"
#include "support/RecordingActions.h"
#include "support/StartedWindow.h"
#include "support/TestSupport.h"

namespace {

// Times are local to Berlin from before the window starts.
struct BerlinTime {
    BerlinTime() {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
};

struct IcsWindow : BerlinTime, TStartedWindow {
    IcsWindow() { EXPECT_TRUE(started); }
    // Descriptions of the current user's events, in ID order.
    QStringList Events() const {
        QStringList out;
        TADOTable* table = Cal().DataSet(tsEvents);
        table->First();
        for (; !table->Eof(); table->Next())
            out << table->FieldByName("Desc")->AsString();
        return out;
    }
    // "description: action file | sound file" of the current user's events.
    QStringList Files() const {
        QStringList out;
        TADOTable* table = Cal().DataSet(tsEvents);
        for (table->First(); !table->Eof(); table->Next())
            out << table->FieldByName("Desc")->AsString() + ": " +
                       table->FieldByName("Action_File")->AsString() + " | " +
                       table->FieldByName("Sound_File")->AsString();
        return out;
    }
    // Exports this year's events through the dialog into the file.
    void ExportTo(ScopedDialogScript& script, const QString& path) {
        script.Modal([](QDialog& form) {
            form.findChild<QPushButton*>("btnBrowse")->click();
            form.findChild<QPushButton*>("btnOK")->click();
        });
        script.ChooseFile(TDialogKind::SaveFile, path);
        Trigger("mMenu_FileExportIcs");
    }
    void ImportFrom(ScopedDialogScript& script, const QString& path) {
        script.ChooseFile(TDialogKind::OpenFile, path);
        Trigger("mMenu_FileImportIcs");
    }
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

}  // namespace

TEST(FormMainIcal, ExportThenImportUpdatesTheExportedEventsAndAddsTheDeletedOne) {
    ScopedDialogScript script;
    IcsWindow w;
    TvnEventParams choir = EventRecord("Choir", At(2026, 3, 4, 19, 0), rkWeekly);
    TvnEventParams dentist = EventRecord("Dentist", At(2026, 12, 14, 9, 0));
    TvnEventParams old = EventRecord("Last year", At(2025, 6, 1, 9, 0));
    TvnEventParams since = EventRecord("Weekly since 2025", At(2025, 1, 6, 8, 0), rkWeekly);
    for (TvnEventParams* e : {&choir, &dentist, &old, &since})
        w.Cal().AddEvent(e);
    const QString path = w.dir.filePath("calendar.ics");
    bool quiet = false;
    script.Modal([&](QDialog& form) {
        quiet = !w.Cal().FReminderEnabled;
        form.findChild<QPushButton*>("btnBrowse")->click();
        form.grab().save(TestOutputDir() + "/FormMainIcal_export.png");
        form.findChild<QPushButton*>("btnOK")->click();
    });
    script.ChooseFile(TDialogKind::SaveFile, w.dir.filePath("calendar"));
    w.Trigger("mMenu_FileExportIcs");
    EXPECT_TRUE(quiet);
    EXPECT_EQ(script.Requests()[1].File.Filter, "iCalendar files (*.ics)|*.ics");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << script.Messages().join('|').toStdString();
    // The range is this year: a series begun before it recurs in it.
    EXPECT_EQ(file.readAll().count("BEGIN:VEVENT"), 3);

    // A changed description comes back from the file; a deleted event comes
    // back as a new one.
    choir.Desc = "Choir (moved)";
    w.Cal().EditEvent(&choir);
    w.Cal().DeleteEvent(&dentist);
    script.ChooseFile(TDialogKind::OpenFile, path);
    w.Trigger("mMenu_FileImportIcs");
    EXPECT_EQ(script.Texts(TDialogKind::Information).last(),
              "Events imported: 1\nEvents updated: 2\nSeries expanded into single events: 0\n"
              "Events skipped: 0");
    EXPECT_EQ(w.Events(), QStringList({"Choir", "Last year", "Weekly since 2025", "Dentist"}));
}

TEST(FormMainIcal, AnEventFromAnotherProgramIsExportedWhole) {
    ScopedDialogScript script;
    IcsWindow w;
    const QString path = w.dir.filePath("shared.ics");
    WriteAll(path,
             "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Mozilla.org/NONSGML Mozilla Calendar "
             "V1.1//EN\r\nBEGIN:VEVENT\r\nUID:tb-7\r\nDTSTAMP:20260101T000000Z\r\n"
             "SUMMARY:Planning\r\nDTSTART:20261215T090000\r\nDTEND:20261215T103000\r\n"
             "LOCATION:Room 4\r\nATTENDEE;CN=Bob:mailto:bob@example.com\r\n"
             "CATEGORIES:Business\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    w.ImportFrom(script, path);
    TvnEventParams planning;
    ASSERT_TRUE(w.Cal().LocateDBRecord(tsEvents, "Desc", "Planning"));
    w.Cal().DBRecord_To_EventStruct(&planning);
    planning.Notes = "Bring slides";
    w.Cal().EditEvent(&planning);
    w.ExportTo(script, path);
    const QByteArray text = ReadAll(path);
    for (const char* line : {"DTEND:20261215T103000", "LOCATION:Room 4", "CATEGORIES:Business",
                             "ATTENDEE;CN=Bob:mailto:bob@example.com", "DESCRIPTION:Bring slides"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
}

TEST(FormMainIcal, AFileAboveTheSizeLimitIsRefusedAndNoEventChanges) {
    ScopedDialogScript script;
    IcsWindow w;
    TvnEventParams choir = EventRecord("Choir", At(2026, 3, 4, 19, 0), rkWeekly);
    w.Cal().AddEvent(&choir);
    const QString path = w.dir.filePath("huge.ics");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCALENDAR\r\n");
    ASSERT_TRUE(file.resize(50 * 1024 * 1024));
    file.close();
    script.ChooseFile(TDialogKind::OpenFile, path);
    w.Trigger("mMenu_FileImportIcs");
    EXPECT_EQ(script.Texts(TDialogKind::Warning),
              QStringList("The file is larger than 16 MB and is not imported."));
    EXPECT_EQ(w.Events(), QStringList("Choir"));
}

TEST(FormMainIcal, AnImportedCalendarNeverChoosesWhatAnEventOpensOrPlays) {
    ScopedDialogScript script;
    IcsWindow w;
    TvnEventParams choir = EventRecord("Choir", At(2026, 3, 4, 19, 0), rkWeekly);
    choir.Action_File = w.dir.filePath("agenda.odt");
    choir.Sound_File = w.dir.filePath("bell.wav");
    w.Cal().AddEvent(&choir);
    const QString path = w.dir.filePath("calendar.ics");
    w.ExportTo(script, path);
    // The file comes back naming a shell and a password file, for the event
    // exported and for a new one.
    QByteArray text = ReadAll(path);
    ASSERT_TRUE(text.contains("agenda.odt") && text.contains("bell.wav"));
    text.replace(QFile::encodeName(choir.Action_File), "/bin/sh");
    text.replace(QUrl::fromLocalFile(choir.Sound_File).toEncoded(), "file:///etc/passwd");
    text.replace("END:VCALENDAR",
                 "BEGIN:VEVENT\r\nUID:new@elsewhere\r\nDTSTAMP:20260101T000000Z\r\n"
                 "DTSTART:20261201T090000\r\nSUMMARY:Stranger\r\n"
                 "X-VORNEL-ACTION-FILE:/bin/sh\r\nBEGIN:VALARM\r\nACTION:AUDIO\r\n"
                 "TRIGGER:-PT5M\r\nATTACH:file:///etc/passwd\r\nEND:VALARM\r\n"
                 "END:VEVENT\r\nEND:VCALENDAR");
    WriteAll(path, text);
    w.ImportFrom(script, path);
    EXPECT_EQ(script.Texts(TDialogKind::Information).last(),
              "Events imported: 1\nEvents updated: 1\nSeries expanded into single events: 0\n"
              "Events skipped: 0");
    EXPECT_EQ(w.Files(), QStringList({"Choir: " + choir.Action_File + " | " + choir.Sound_File,
                                      "Stranger:  | "}));
}

TEST(FormMainIcal, TheReportNamesCostlySeriesAndCountsBrokenRules) {
    ScopedDialogScript script;
    IcsWindow w;
    const QString path = w.dir.filePath("dense.ics");
    WriteAll(path,
             "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n"
             "BEGIN:VEVENT\r\nUID:a\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20261201T090000\r\n"
             "SUMMARY:Standup\r\nEND:VEVENT\r\n"
             "BEGIN:VEVENT\r\nUID:b\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20261201T090000\r\n"
             "RRULE:FREQ=SECONDLY\r\nSUMMARY:Every second\r\nEND:VEVENT\r\n"
             "BEGIN:VEVENT\r\nUID:c\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20261202T090000\r\n"
             "RRULE:FREQ=SOMETIMES\r\nSUMMARY:Odd\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    w.ImportFrom(script, path);
    EXPECT_EQ(script.Texts(TDialogKind::Information).last(),
              "Events imported: 2\nEvents updated: 0\nSeries expanded into single events: 0\n"
              "Events skipped: 1\nImported without a part that could not be read (a broken "
              "repeat rule makes a single event): 1\nSkipped because their rules take too long "
              "to work out: Every second");
    EXPECT_EQ(w.Events(), QStringList({"Standup", "Odd"}));
}

// A series kept as single events is read ten years ahead; the next start
// after time has moved on adds what lies beyond, and a past occurrence
// deleted here stays deleted.
TEST(FormMainIcal, AnImportedSeriesGoesOnAsTimePasses) {
    ScopedDialogScript script;
    IcsWindow w;
    const QString path = w.dir.filePath("new-york.ics");
    WriteAll(path,
             "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\nBEGIN:VEVENT\r\n"
             "UID:ny\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:Call\r\n"
             "DTSTART;TZID=America/New_York:20261001T090000\r\nRRULE:FREQ=WEEKLY\r\n"
             "END:VEVENT\r\nEND:VCALENDAR\r\n");
    w.ImportFrom(script, path);
    const auto dates = [&w] {
        std::vector<TDateTime> out;
        TADOTable* table = w.Cal().DataSet(tsEvents);
        for (table->First(); !table->Eof(); table->Next())
            out.push_back(table->FieldByName("Date")->AsDateTime());
        std::sort(out.begin(), out.end());
        return out;
    };
    const std::vector<TDateTime> read = dates();
    ASSERT_GT(read.size(), 500u);
    EXPECT_GT(read.back(), Now() + 9.9 * 365);
    TvnEventParams first;
    ASSERT_TRUE(w.Cal().LocateDBRecord(tsEvents, "Date", read.front()));
    w.Cal().DBRecord_To_EventStruct(&first);
    w.Cal().DeleteEvent(&first);

    w.clock.Advance(2 * 365);
    w.window->ExtendImportedSeriesNow();
    const std::vector<TDateTime> later = dates();
    EXPECT_GT(later.back(), Now() + 9.9 * 365);
    // Two years more, and the deleted one not back.
    EXPECT_GE(later.size(), read.size() - 1 + 100);
    EXPECT_LE(later.size(), read.size() - 1 + 106);
    EXPECT_GT(later.front(), read.front());
}
