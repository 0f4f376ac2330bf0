// The find window on a calendar bound to a fresh database: the owner's part
// (running the search, editing a record) is played by the test the way the
// main window's command messages play it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include "reminder/ReminderFixture.h"
#include "reminder/Uformeventsfind.h"
#include "reminder/Uresource.h"
#include "support/DialogScript.h"

namespace {

template <typename T>
T* Control(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class FindWindowTest : public ReminderFixture {
protected:
    FindWindowTest() {
        commands.FindEvents = [this](TvnFindParams* p) {
            ++searches;
            cal.FindEvents(*p);
            return 1;
        };
        // The editor's part: a confirmed edit stores the record's new text.
        commands.EditEvent = [this](TvnEventParams* e) {
            edited.append(e->Desc);
            if (editedDesc.isEmpty()) return 0;
            e->Desc = editedDesc;
            cal.EditEvent(e);
            return 1;
        };
    }

    int Add(const QString& desc, TDateTime start, int category = ecMiscellaneous) {
        TvnEventParams e = EventRecord(desc, start);
        e.Category = category;
        cal.AddEvent(&e);
        return e.ID;
    }

    std::unique_ptr<TFormEventsFind> Open() {
        auto form = std::make_unique<TFormEventsFind>(nullptr, &cal.EventsList, commands);
        form->show();
        return form;
    }

    QTreeWidget* List(QWidget& form) { return Control<QTreeWidget>(form, "listView_Events"); }

    QStringList Found(QWidget& form) {
        QStringList names;
        for (int i = 0; i < List(form)->topLevelItemCount(); ++i)
            names.append(List(form)->topLevelItem(i)->text(elcDescription));
        return names;
    }

    void Search(QWidget& form, const QString& text, bool partial = true) {
        Control<QLineEdit>(form, "edit_EventDesc")->setText(text);
        Control<QCheckBox>(form, "check_ParComp")->setChecked(partial);
        Control<QPushButton>(form, "btnFind")->click();
    }

    void DoubleClickRow(QWidget& form, int row) {
        QTreeWidget* list = List(form);
        const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(list->viewport(), &event);
        }
    }

    // A record is freed when the text it shares with the probe loses its
    // second owner.
    QString Probe(QWidget& form, int row) {
        QString marker = QStringLiteral("probe %1").arg(row);
        TvnEventListItem::EventOf(List(form)->topLevelItem(row))->Notes = marker;
        return marker;
    }

    ScopedDialogScript script;
    TvnFindWindowOwner commands;
    int searches = 0;
    QStringList edited;
    QString editedDesc;  // empty: the editor is cancelled
};

}  // namespace

TEST_F(FindWindowTest, ListsWhatItFindsAndFreesTheRowsOnTheNextSearchAndOnClosing) {
    Add("Team MEETING", At(2024, 3, 20, 9, 0), ecMeeting);
    Add("Dentist", At(2024, 3, 22, 14, 30));
    auto form = Open();
    auto* use = Control<QCheckBox>(*form, "check_ToUseDates");
    auto* from = Control<QDateEdit>(*form, "dtPicker_begDate");
    EXPECT_EQ(from->date(), QDate(2024, 3, 15));
    EXPECT_FALSE(from->isEnabled());
    use->setChecked(true);
    EXPECT_TRUE(Control<QDateEdit>(*form, "dtPicker_endDate")->isEnabled());
    use->setChecked(false);

    Search(*form, "e");
    EXPECT_EQ(Found(*form), QStringList({"Team MEETING", "Dentist"}));
    EXPECT_EQ(List(*form)->topLevelItem(0)->text(elcCategory), "Meeting");
    EXPECT_TRUE(cal.EventsList.empty());  // handed over to the rows
    EXPECT_TRUE(script.Requests().empty());
    form->grab().save(TestOutputDir() + "/find_events.png");
    const QString meeting = Probe(*form, 0);
    Search(*form, "meet");
    EXPECT_TRUE(meeting.isDetached());
    const QString again = Probe(*form, 0);
    Search(*form, "holiday");
    EXPECT_TRUE(Found(*form).isEmpty());
    EXPECT_TRUE(again.isDetached());
    EXPECT_EQ(script.Texts(TDialogKind::Information), QStringList{"Events not found!"});
    Search(*form, "dent");
    const QString dentist = Probe(*form, 0);
    form.reset();
    EXPECT_TRUE(dentist.isDetached());
}

TEST_F(FindWindowTest, DoubleClickEditsTheRowsEventAndRewritesTheRow) {
    const int id = Add("Dentist", At(2024, 3, 22, 14, 30));
    auto form = Open();
    Search(*form, "dent");
    List(*form)->clearSelection();
    form->listView_EventsDblClick();
    EXPECT_EQ(script.Texts(TDialogKind::Warning), QStringList{"No item has been selected!"});

    DoubleClickRow(*form, 0);  // the editor is cancelled: the row stays
    EXPECT_EQ(Found(*form), QStringList{"Dentist"});
    editedDesc = "Dentist, bring X-rays";
    DoubleClickRow(*form, 0);
    EXPECT_EQ(edited, QStringList({"Dentist", "Dentist"}));
    EXPECT_EQ(Found(*form), QStringList{"Dentist, bring X-rays"});
    EXPECT_EQ(db.ReadText("Events", id, "Desc"), "Dentist, bring X-rays");
    EXPECT_EQ(script.Count(TDialogKind::Warning), 1);
}

TEST_F(FindWindowTest, SearchThatCannotRunTakesOverNoStaleRecords) {
    // Records an earlier fill left in the list.
    cal.EventsList.push_back(std::make_unique<TvnEventParams>());
    db.Table(tsEvents).Close();
    auto form = Open();
    Search(*form, "x");
    EXPECT_EQ(searches, 1);
    EXPECT_TRUE(Found(*form).isEmpty());
    EXPECT_EQ(script.Texts(TDialogKind::Information), QStringList{"Events not found!"});
}

TEST_F(FindWindowTest, OddTextMatchesLiterallyAndChangesNoRow) {
    int quoted = 0;
    for (const char* desc : {"100% sure", "a_b", "O'Brien", "*starred*", "[draft]", "plain"}) {
        const int id = Add(QString::fromUtf8(desc), At(2024, 3, 20, 9, 0));
        if (desc[0] == 'O') quoted = id;
    }
    auto form = Open();
    const struct {
        QString text;
        bool partial;
        const char* found;
    } rows[] = {{"%", true, "100% sure"}, {"_", true, "a_b"},
                {"'", true, "O'Brien"},   {"o'brien", false, "O'Brien"},
                {"*", true, "*starred*"}, {"[", true, "[draft]"},
                {"%_*[", true, ""},       {QString(10000, u'a'), true, ""}};
    for (const auto& r : rows) {
        Search(*form, r.text, r.partial);
        EXPECT_EQ(Found(*form).join(u','), r.found) << r.text.left(20).toStdString();
    }
    EXPECT_EQ(db.CountRows("Events"), 6);
    EXPECT_EQ(db.ReadText("Events", quoted, "Desc"), "O'Brien");
}

TEST_F(FindWindowTest, RangeEndingBeforeItsBeginFindsNothing) {
    Add("Dentist", At(2024, 3, 22, 14, 30));
    auto form = Open();
    Control<QCheckBox>(*form, "check_ToUseDates")->setChecked(true);
    const QDate ends[] = {QDate(2024, 3, 1), QDate(2024, 3, 22), QDate(2024, 3, 23)};
    QStringList found;
    for (const QDate& end : ends) {
        Control<QDateEdit>(*form, "dtPicker_begDate")->setDate(QDate(2024, 3, 22));
        Control<QDateEdit>(*form, "dtPicker_endDate")->setDate(end);
        Search(*form, "dent");
        found.append(Found(*form).join(u','));
    }
    // A range ends at the start of its last day.
    EXPECT_EQ(found, QStringList({"", "", "Dentist"}));
    EXPECT_EQ(script.Count(TDialogKind::Information), 2);
    EXPECT_EQ(db.CountRows("Events"), 1);
}
