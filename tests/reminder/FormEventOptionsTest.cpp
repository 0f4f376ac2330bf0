#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <memory>

#include "reminder/EventSamples.h"
#include "reminder/Uformeventoptions.h"
#include "support/DialogScript.h"
#include "support/TestSupport.h"

namespace {

template <typename T = QWidget>
T* Control(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void PressKey(QWidget* target, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// What the main window hands over for Add > Recurring event on 15 March 2024.
TvnEventParams NewRecurringRecord() {
    TvnEventParams e;
    e.eType = etRecurring;
    e.Date = At(2024, 3, 15, 10, 30);
    e.EndDate = e.Date + 1;
    e.UseStartTime = true;
    e.Action_File = "/home/me/alarm.sh";
    return e;
}

struct EventOptionsFixture : ::testing::Test {
    ScopedClock clock{At(2024, 3, 15, 10, 30, 12)};
    ScopedDialogScript script;
    TvnEventParams record;
    std::unique_ptr<TFormEventOptions> form;

    TFormEventOptions& Open(const TvnEventParams& e) {
        record = e;
        form = std::make_unique<TFormEventOptions>(nullptr, &record, "/opt/vornel");
        form->show();
        return *form;
    }
    template <typename T = QWidget>
    T* C(const char* name) {
        return Control<T>(*form, name);
    }
    void Click(const char* name) { C<QAbstractButton>(name)->click(); }
};

}  // namespace

TEST_F(EventOptionsFixture, NewRecurringEventWithAdvanceNoticeIsWrittenOnOk) {
    Open(NewRecurringRecord());
    EXPECT_EQ(form->windowTitle(), "Add New Event");
    EXPECT_TRUE(C<QCheckBox>("check_RunAction")->isChecked());  // the default action file
    EXPECT_EQ(C<QLineEdit>("edit_ActionFile")->text(), "/home/me/alarm.sh");
    Click("check_RunAction");  // cleared: the path goes, and does not come back
    Click("check_RunAction");
    EXPECT_TRUE(C<QLineEdit>("edit_ActionFile")->text().isEmpty());
    EXPECT_TRUE(C("btnBrowseAction")->isEnabled());

    C<QPlainTextEdit>("memo_Desc")->setPlainText("Team meeting");
    C<QDateEdit>("dtPicker_Date")->setDate(QDate(2024, 4, 2));
    C<QTimeEdit>("dtPicker_Time")->setTime(QTime(14, 15));
    C<QComboBox>("cBox_Recurrence")->setCurrentIndex(rkWeekly);
    EXPECT_EQ(C<QLabel>("label_nParam1")->text(), "Every");
    EXPECT_EQ(C<QLabel>("label_nParam2")->text(), "Week(s)");
    C<QSpinBox>("upDown_nParam")->setValue(2);
    EXPECT_FALSE(C("dtPicker_EndDate")->isEnabled());
    Click("check_UseEndDate");
    C<QDateEdit>("dtPicker_EndDate")->setDate(QDate(2024, 6, 30));
    EXPECT_FALSE(C("edit_Notify")->isEnabled());
    Click("check_Notify");
    EXPECT_TRUE(C("edit_Notify")->isEnabled() && C("cBox_Notify")->isEnabled());
    C<QSpinBox>("upDown_Notify")->setValue(15);
    C<QComboBox>("cBox_Notify")->setCurrentIndex(ntHours);
    C<QComboBox>("cBox_Category")->setCurrentIndex(ecMeeting);
    Click("check_PlaySound");
    script.ChooseFile(TDialogKind::OpenFile, "/home/me/gong.wav");
    Click("btnBrowseSound");
    C<QPlainTextEdit>("memo_Notes")->setPlainText("Room 4");
    Click("btnOK");

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(record.EditState, esAccepted);
    EXPECT_EQ(record.Desc, "Team meeting");
    EXPECT_TIME_EQ(record.Date, At(2024, 4, 2, 14, 15));
    EXPECT_TRUE(record.UseStartTime);
    EXPECT_EQ(record.Recurrence, rkWeekly);
    EXPECT_EQ(record.nParam, 2);
    EXPECT_TRUE(record.UseEndDate);
    EXPECT_TIME_EQ(record.EndDate, At(2024, 6, 30, 23, 59, 59));  // the whole last day
    EXPECT_TRUE(record.Notify);
    EXPECT_EQ(record.NotifyParam, 15);
    EXPECT_EQ(record.NotifyType, ntHours);
    EXPECT_EQ(record.Category, ecMeeting);
    EXPECT_TRUE(record.Action_File.isEmpty());
    EXPECT_EQ(record.Sound_File, "/home/me/gong.wav");
    EXPECT_EQ(record.Notes, "Room 4");
    const TFileDialogOptions& browse = script.Requests().at(0).File;
    EXPECT_EQ(browse.Title, "Open..");
    EXPECT_EQ(browse.Filter, "Sound files(*.mp3, *.wav)|*.mp3;*.wav");
    EXPECT_EQ(browse.InitialDir, "/opt/vornel");
    EXPECT_TRUE(browse.FileName.isEmpty());
    EXPECT_TRUE(script.Messages().isEmpty());
}

TEST_F(EventOptionsFixture, OkRefusesOnlyAnEmptyDescription) {
    const struct {
        const char* name;
        const char* desc;
        bool byEnterKey;
        bool refused;
    } rows[] = {
        {"empty, OK", "", false, true},
        {"empty, Enter in the description", "", true, true},
        {"blanks", "   ", false, false},
        {"text, Enter in the description", "Call Anna", true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Open(NewRecurringRecord());
        const int warningsBefore = script.Count(TDialogKind::Warning);
        C<QPlainTextEdit>("memo_Desc")->setPlainText(row.desc);
        C<QTabWidget>("pageControl")->setCurrentIndex(2);
        C("memo_Notes")->setFocus();
        if (row.byEnterKey)
            PressKey(C("memo_Desc"), Qt::Key_Return);
        else
            Click("btnOK");
        EXPECT_EQ(form->isVisible(), row.refused);
        EXPECT_EQ(record.EditState, row.refused ? esNew : esAccepted);
        EXPECT_EQ(record.Desc, row.refused ? "" : row.desc);
        EXPECT_EQ(script.Count(TDialogKind::Warning), warningsBefore + (row.refused ? 1 : 0));
        if (row.refused) {
            EXPECT_EQ(C<QTabWidget>("pageControl")->currentWidget(), C("tabSheet_General"));
            EXPECT_EQ(form->focusWidget(), C("memo_Desc"));
            EXPECT_EQ(script.Texts(TDialogKind::Warning).last(), "Enter the event description!");
        }
        EXPECT_EQ(C<QPlainTextEdit>("memo_Desc")->toPlainText(), row.desc);  // Enter typed nothing
    }
}

TEST_F(EventOptionsFixture, OpeningAnExistingEventShowsItsFields) {
    TvnEventParams e = WeeklyEvent();
    e.EditState = esEdit;
    Open(e);
    EXPECT_EQ(form->windowTitle(), "Edit Event");
    EXPECT_EQ(C<QTabWidget>("pageControl")->currentWidget(), C("tabSheet_General"));
    EXPECT_EQ(C<QPlainTextEdit>("memo_Desc")->toPlainText(), "Choir");
    EXPECT_EQ(C<QDateEdit>("dtPicker_Date")->text(), "04.01.2024");
    EXPECT_EQ(C<QTimeEdit>("dtPicker_Time")->text(), "19:00:00");
    EXPECT_TRUE(C("dtPicker_Time")->isEnabled());
    EXPECT_FALSE(C("check_UseStartTime")->isVisibleTo(form.get()));
    EXPECT_TRUE(C<QCheckBox>("check_UseEndDate")->isChecked());
    EXPECT_EQ(C<QDateEdit>("dtPicker_EndDate")->date(), QDate(2024, 12, 19));
    EXPECT_TRUE(C<QCheckBox>("check_Notify")->isChecked());
    EXPECT_EQ(C<QLineEdit>("edit_Notify")->text(), "1");
    EXPECT_EQ(C<QComboBox>("cBox_Notify")->currentText(), "Hour(s)");
    EXPECT_EQ(C<QComboBox>("cBox_Category")->currentText(), "Special");
    EXPECT_EQ(C<QComboBox>("cBox_Recurrence")->currentText(), "Weekly");
    EXPECT_EQ(C<QLineEdit>("edit_nParam")->text(), "2");
    EXPECT_EQ(C<QLabel>("label_nParam2")->text(), "Week(s)");
    EXPECT_EQ(C<QLineEdit>("edit_ActionFile")->text(), "/home/me/choir/score.pdf");
    EXPECT_TRUE(C<QCheckBox>("check_PlaySound")->isChecked());
    EXPECT_EQ(C<QLineEdit>("edit_SoundFile")->text(), "/home/me/choir/la.ogg");
    EXPECT_EQ(C<QPlainTextEdit>("memo_Notes")->toPlainText(), "Bring the score");

    // Changes, then Esc in the description, discarded: nothing reaches the record.
    C<QPlainTextEdit>("memo_Desc")->setPlainText("Changed");
    Click("check_RunAction");
    script.Yes();
    PressKey(C("memo_Desc"), Qt::Key_Escape);
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(record.EditState, esEdit);
    EXPECT_EQ(record.Desc, "Choir");
    EXPECT_EQ(record.Action_File, "/home/me/choir/score.pdf");
}

TEST_F(EventOptionsFixture, TheEventTypeDecidesTheEndDateAndTheRecurrence) {
    const struct {
        const char* name;
        int eType;
        bool useEndDate;
        TDateTime writtenEnd;
    } rows[] = {
        {"one-time: no end date", etEvent, true, 0},
        {"recurring without end date: today, disabled", etRecurring, false,
         At(2024, 3, 15, 23, 59, 59)},
        {"recurring with end date", etRecurring, true, At(2024, 12, 19, 23, 59, 59)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TvnEventParams e = WeeklyEvent();
        e.eType = row.eType;
        e.UseEndDate = row.useEndDate;
        Open(e);
        const bool recurring = row.eType == etRecurring;
        for (const char* name :
             {"label_EndDate", "dtPicker_EndDate", "check_UseEndDate", "label_Recurrence",
              "cBox_Recurrence", "label_nParam1", "edit_nParam", "upDown_nParam", "label_nParam2"})
            EXPECT_EQ(C(name)->isVisible(), recurring) << name;
        EXPECT_EQ(C("dtPicker_EndDate")->isEnabled(), recurring && row.useEndDate);
        Click("btnOK");
        EXPECT_EQ(record.UseEndDate, recurring && row.useEndDate);
        EXPECT_TIME_EQ(record.EndDate, row.writtenEnd);
        EXPECT_EQ(record.Recurrence, rkWeekly);  // a one-time event keeps what it had
    }
}

TEST_F(EventOptionsFixture, MonthlyByWeekdayNamesTheStartsWeekdayOfTheMonth) {
    Open(NewRecurringRecord());
    C<QComboBox>("cBox_Recurrence")->setCurrentIndex(rkMonthlyByWeekday);
    EXPECT_FALSE(C("upDown_nParam")->isVisible());
    EXPECT_FALSE(C("label_nParam2")->isVisible());
    const std::pair<QDate, const char*> rows[] = {
        {QDate(2024, 1, 9), "2nd Tuesday of every month"},
        {QDate(2024, 3, 1), "1st Friday of every month"},
        {QDate(2024, 3, 21), "3rd Thursday of every month"},
        {QDate(2024, 8, 30), "4th Friday of every month"},  // a fifth Friday counts as the fourth
        {QDate(2024, 3, 31), "4th Sunday of every month"},
    };
    for (const auto& [day, text] : rows) {
        C<QDateEdit>("dtPicker_Date")->setDate(day);
        EXPECT_EQ(C<QLabel>("label_nParam1")->text(), text);
    }
    C<QComboBox>("cBox_Recurrence")->setCurrentIndex(rkOnce);
    EXPECT_FALSE(C("label_nParam1")->isVisible());
}

TEST_F(EventOptionsFixture, MemosTakeAtMost255Characters) {
    TvnEventParams e = NewRecurringRecord();
    e.Notes = QString(300, u'n');  // longer from elsewhere: kept whole
    Open(e);
    auto* desc = C<QPlainTextEdit>("memo_Desc");
    desc->insertPlainText(QString(250, u'a'));
    desc->insertPlainText("bcdefghij");
    EXPECT_EQ(desc->toPlainText(), QString(250, u'a') + "bcdef");
    EXPECT_EQ(C<QPlainTextEdit>("memo_Notes")->toPlainText().size(), 300);
}

TEST_F(EventOptionsFixture, RendersAsATidyDialog) {
    // Laid out as the event loop would before the picture is taken; no caption clipped.
    const auto save = [this](const char* file, std::initializer_list<const char*> captions) {
        QCoreApplication::sendPostedEvents();
        form->grab().save(TestOutputDir() + "/" + file);
        for (const char* name : captions)
            EXPECT_GE(C(name)->width(), C(name)->sizeHint().width()) << file << " " << name;
    };
    Open(NewRecurringRecord());
    C<QPlainTextEdit>("memo_Desc")->setPlainText("Team meeting");
    C<QComboBox>("cBox_Recurrence")->setCurrentIndex(rkMonthlyByWeekday);
    C<QDateEdit>("dtPicker_Date")->setDate(QDate(2024, 3, 27));
    save("event_options_general.png", {"label_nParam1", "check_Notify", "cBox_Recurrence"});
    C<QComboBox>("cBox_Recurrence")->setCurrentIndex(rkDaily);
    save("event_options_daily.png", {"label_nParam1", "label_nParam2", "label_EndDate"});
    C<QTabWidget>("pageControl")->setCurrentIndex(1);
    save("event_options_action.png", {"check_RunAction", "btnBrowseSound", "btnCancel"});
    Open(DentistEvent());
    save("event_options_one_time.png", {"label_Date", "cBox_Category", "cBox_Notify"});
}

TEST(EventOptionsDialog, RunsModallyThroughTheGate) {
    ScopedDialogScript script;
    TvnEventParams record = DentistEvent();
    TFormEventOptions form(nullptr, &record);
    script.Modal([](QDialog& d) {
        d.findChild<QPlainTextEdit*>("memo_Desc")->setPlainText("Dentist, 2nd floor");
        d.findChild<QPushButton*>("btnOK")->click();
    });
    EXPECT_EQ(ExecModal(form), QDialog::Accepted);
    EXPECT_EQ(record.EditState, esAccepted);
    EXPECT_EQ(record.Desc, "Dentist, 2nd floor");
    EXPECT_TIME_EQ(record.Date, At(2024, 3, 12, 9, 30));
    EXPECT_EQ(record.Sound_File, "C:\\Sounds\\bell.wav");
}

TEST_F(EventOptionsFixture, ClosingWithChangesAsksUnlessCancelled) {
    const struct {
        const char* name;
        bool change;
        const char* how;  // "esc", "closebox" or "cancel"
        int answer;       // 1 Yes (discard), 0 No (stay), -1 not asked
        bool closed;
    } rows[] = {
        {"unchanged, Esc", false, "esc", -1, true},
        {"changed, Esc, discarded", true, "esc", 1, true},
        {"changed, Esc, stays", true, "esc", 0, false},
        {"changed, close box, discarded", true, "closebox", 1, true},
        {"changed, close box, stays", true, "closebox", 0, false},
        {"changed, Cancel button", true, "cancel", -1, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TvnEventParams e = WeeklyEvent();
        e.EditState = esEdit;
        Open(e);
        if (r.change) C<QDateEdit>("dtPicker_Date")->setDate(QDate(2024, 5, 1));
        if (r.answer == 1) script.Yes();
        if (r.answer == 0) script.No();
        const int asked = script.Count(TDialogKind::Confirmation);
        if (QLatin1String(r.how) == "esc")
            PressKey(form.get(), Qt::Key_Escape);
        else if (QLatin1String(r.how) == "closebox")
            form->close();
        else
            Click("btnCancel");
        EXPECT_EQ(script.Count(TDialogKind::Confirmation) - asked, r.answer < 0 ? 0 : 1);
        EXPECT_EQ(form->isVisible(), !r.closed);
        EXPECT_EQ(record.EditState, esEdit);  // never written
    }
    EXPECT_EQ(script.Texts(TDialogKind::Confirmation).value(0),
              "Discard the changes to this event?");
}
