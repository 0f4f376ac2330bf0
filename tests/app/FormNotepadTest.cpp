// The notes editor driven by its controls and actions: the change mark and the
// stored body, the caret position, the backspace rules, formatting that
// survives a store and a load, OK, find and replace, printing, and the road
// from Add > Notes through the main window to the stored, edited and deleted
// notes.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTextList>

#include "app/Uformmain.h"
#include "app/Uformnotepad.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "support/DialogScript.h"
#include "support/RecordingActions.h"
#include "support/TestSupport.h"

namespace {

struct Notepad {
    explicit Notepad(TvnNotesParams& params) : form(nullptr, &params) {}
    template <class T = QAction>
    T* Get(const char* name) {
        T* found = form.findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QTextEdit* Edit() { return Get<QTextEdit>("RichEdit"); }
    void Key(int key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(Edit(), &press);
    }
    void CaretAt(int block, int column) {
        QTextCursor c(Edit()->document()->findBlockByNumber(block));
        c.setPosition(c.position() + column);
        Edit()->setTextCursor(c);
    }
    TFormNotepad form;
};

// Every line of a stored body ends with CR LF.
void ExpectCrLfLines(const QString& body) {
    ASSERT_TRUE(body.endsWith("\r\n"));
    EXPECT_EQ(body.count('\n'), body.count("\r\n"));
    EXPECT_EQ(body.count('\r'), body.count("\r\n"));
}

}  // namespace

TEST(FormNotepad, ChangeMarkFollowsTypingAndSaveAndCancelStoresNothing) {
    TvnNotesParams params;
    Notepad n(params);
    EXPECT_EQ(n.Get<QLineEdit>("edit_Title")->text(), "");
    EXPECT_TRUE(n.Edit()->document()->isEmpty());
    EXPECT_EQ(n.form.PanelText(0), "0: 0");
    EXPECT_EQ(n.form.PanelText(1), "");
    n.Key(Qt::Key_A, "a");
    EXPECT_EQ(n.form.PanelText(1), "Modified");
    EXPECT_EQ(n.form.PanelText(0), "1: 0");
    n.Get<QPushButton>("btnSave")->click();
    EXPECT_EQ(n.form.PanelText(1), "");
    ExpectCrLfLines(params.Notes);
    const QString saved = params.Notes;
    n.Key(Qt::Key_B, "b");
    n.Get<QPushButton>("btnCancel")->click();
    EXPECT_EQ(n.form.result(), QDialog::Rejected);
    EXPECT_EQ(params.EditState, esNew);
    EXPECT_EQ(params.Notes, saved);  // what Save put there stays
    EXPECT_EQ(params.Title, "");
}

TEST(FormNotepad, CaretPositionIsColumnThenLineAtTheSelectionsEnd) {
    struct Row {
        int anchor, position;
        const char* shown;
    } rows[] = {{7, 7, "3: 1"}, {7, 1, "3: 1"}, {0, 2, "2: 0"}, {9, 9, "5: 1"}};
    for (const Row& r : rows) {
        TvnNotesParams params;
        Notepad n(params);
        n.Edit()->setPlainText("abc\ndefgh");
        QTextCursor c(n.Edit()->document());
        c.setPosition(r.anchor);
        c.setPosition(r.position, QTextCursor::KeepAnchor);
        n.Edit()->setTextCursor(c);
        EXPECT_EQ(n.form.PanelText(0), r.shown) << r.anchor << ".." << r.position;
    }
}

TEST(FormNotepad, BackspaceAtTheStartOfALineUndoesBulletThenRightThenCentre) {
    struct Row {
        const char* look;  // action applied to the second line, or none
        const char* text;  // after the key
        bool bullet;
        Qt::Alignment alignment;
        const char* checked;
    } rows[] = {
        {"actionEditBullet", "one\ntwo", false, Qt::AlignLeft, "actionEditAlignLeft"},
        {"actionEditAlignRight", "one\ntwo", false, Qt::AlignHCenter, "actionEditAlignCenter"},
        {"actionEditAlignCenter", "one\ntwo", false, Qt::AlignLeft, "actionEditAlignLeft"},
        {nullptr, "onetwo", false, Qt::AlignLeft, "actionEditAlignLeft"},
    };
    for (const Row& r : rows) {
        TvnNotesParams params;
        Notepad n(params);
        n.Edit()->setPlainText("one\ntwo");
        n.CaretAt(1, 0);
        if (r.look) n.Get(r.look)->trigger();
        n.Key(Qt::Key_Backspace);
        const std::string row = r.look ? r.look : "plain";
        EXPECT_EQ(n.Edit()->toPlainText(), r.text) << row;
        EXPECT_EQ(n.Edit()->textCursor().currentList() != nullptr, r.bullet) << row;
        EXPECT_EQ(n.Edit()->alignment() & Qt::AlignHorizontal_Mask, r.alignment) << row;
        EXPECT_FALSE(n.Get("actionEditBullet")->isChecked()) << row;
        EXPECT_TRUE(n.Get(r.checked)->isChecked()) << row;
    }
}

// "Font color" picks the font and "Font" the colour; everything the toolbar
// set comes back when the stored body is opened again.
TEST(FormNotepad, FormattingSurvivesStoreAndLoad) {
    ScopedDialogScript script;
    TvnNotesParams params;
    params.EditState = esEdit;
    {
        Notepad n(params);
        n.Get<QLineEdit>("edit_Title")->setText("Shopping");
        n.Edit()->setPlainText("Milk and bread\nEggs");
        n.Edit()->selectAll();
        script.Font(QFont("Liberation Serif", 20)).Colour(QColor(200, 0, 0));
        for (const char* a :
             {"actionEditFontColor", "actionEditBold", "actionEditItalic", "actionEditUnderLine",
              "actionEditAlignCenter", "actionEditBullet", "actionEditFont"})
            n.Get(a)->trigger();
        n.Get<QPushButton>("btnOk")->click();
        EXPECT_EQ(n.form.result(), QDialog::Accepted);
    }
    EXPECT_EQ(params.EditState, esAccepted);
    EXPECT_EQ(params.Title, "Shopping");
    ExpectCrLfLines(params.Notes);
    Notepad n(params);
    EXPECT_EQ(n.Edit()->toPlainText(), "Milk and bread\nEggs");
    EXPECT_EQ(n.form.PanelText(1), "");  // loading is no change
    n.CaretAt(1, 2);
    const QTextCharFormat f = n.Edit()->currentCharFormat();
    EXPECT_EQ(f.foreground().color(), QColor(200, 0, 0));
    for (const char* a : {"actionEditBold", "actionEditItalic", "actionEditUnderLine",
                          "actionEditAlignCenter", "actionEditBullet"})
        EXPECT_TRUE(n.Get(a)->isChecked()) << a;
    EXPECT_EQ(n.Get<QComboBox>("comboBox_FontNames")->currentText(), "Liberation Serif");
    EXPECT_EQ(n.Get<QComboBox>("comboBox_FontSizes")->currentText(), "20");
    QTextCursor firstWord(n.Edit()->document());
    firstWord.setPosition(4, QTextCursor::KeepAnchor);
    n.Edit()->setTextCursor(firstWord);
    n.Edit()->setFontPointSize(13);
    n.CaretAt(0, 2);
    EXPECT_EQ(n.Get<QComboBox>("comboBox_FontSizes")->currentIndex(), -1);  // 13 is not listed
}

TEST(FormNotepad, OkRefusesOnlyAnEmptyTitle) {
    for (const char* title : {"", "   "}) {
        ScopedDialogScript script;
        TvnNotesParams params;
        Notepad n(params);
        n.form.show();
        n.Get<QLineEdit>("edit_Title")->setText(title);
        n.Get<QPushButton>("btnOk")->click();
        const bool empty = *title == '\0';
        EXPECT_EQ(script.Messages(), empty ? QStringList{"Enter the note's name!"} : QStringList{});
        EXPECT_EQ(n.form.isVisible(), empty) << '"' << title << '"';
        EXPECT_EQ(params.EditState, empty ? esNew : esAccepted);
        EXPECT_EQ(params.Title, empty ? "" : title);
    }
}

TEST(FormNotepad, ABodyThatIsNotRtfLoadsAsItsLines) {
    TvnNotesParams params{7, At(2026, 12, 9), "Plain", "Line one\r\nLine two\n", esEdit};
    Notepad n(params);
    EXPECT_EQ(n.Edit()->toPlainText(), "Line one\nLine two");
    EXPECT_EQ(n.form.PanelText(1), "");
    n.form.StoreNotesText();
    Notepad again(params);
    EXPECT_EQ(again.Edit()->toPlainText(), "Line one\nLine two");
}

TEST(FormNotepad, FindGoesDownIgnoringCaseAndReplaceAllIsOneUndoStep) {
    ScopedDialogScript script;
    TvnNotesParams params;
    Notepad n(params);
    n.Edit()->setPlainText("Apple pie and apple tart");
    n.Get("actionEditFind")->trigger();
    auto* find = n.form.findChild<QDialog*>("FormNotepadFind");
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    EXPECT_FALSE(find->findChild<QPushButton*>("btnReplaceAll")->isVisibleTo(find));
    find->findChild<QLineEdit*>("edit_Find")->setText("apple");
    auto* next = find->findChild<QPushButton*>("btnFindNext");
    next->click();
    EXPECT_EQ(n.Edit()->textCursor().selectionStart(), 0);
    next->click();
    EXPECT_EQ(n.Edit()->textCursor().selectionStart(), 14);
    next->click();
    EXPECT_EQ(script.Messages(), QStringList{"Cannot find \"apple\"."});
    n.Get("actionEditReplace")->trigger();
    find->findChild<QLineEdit*>("edit_Replace")->setText("pear apple");
    EXPECT_TRUE(find->grab().save(TestOutputDir() + "/notepad-replace.png"));
    find->findChild<QPushButton*>("btnReplaceAll")->click();
    EXPECT_EQ(n.Edit()->toPlainText(), "pear apple pie and pear apple tart");
    n.Edit()->undo();
    EXPECT_EQ(n.Edit()->toPlainText(), "Apple pie and apple tart");
}

// Answers the printer set-up by printing to a file of the test's choice.
class PrintToFile : public TDialogHandler {
public:
    explicit PrintToFile(QString path) : path_(std::move(path)) {}
    TDialogAnswer Answer(const TDialogRequest& r) override {
        messages.append(r.Text);
        if (r.Kind != TDialogKind::PrinterSetup) return {};
        r.Printer->setOutputFormat(QPrinter::PdfFormat);
        r.Printer->setOutputFileName(path_);
        return {true, {}, {}, {}};
    }
    QStringList messages;

private:
    QString path_;
};

TEST(FormNotepad, PrintsTheBodyAndReportsAFailure) {
    QTemporaryDir dir;
    for (const QString& path : {dir.filePath("notes.pdf"), dir.filePath("missing/notes.pdf")}) {
        PrintToFile printer(path);
        TScopedDialogHandler install(printer);
        TvnNotesParams params{0, 0, "", "", esNew};
        Notepad n(params);
        n.Get<QLineEdit>("edit_Title")->setText("Trip");
        n.Edit()->setPlainText("Passport\nTickets");
        n.Get("actionEditPrint")->trigger();
        const bool printed = QFile(path).size() > 0;
        EXPECT_EQ(printer.messages.contains("Print error!"), !printed) << path.toStdString();
        EXPECT_EQ(printed, !path.contains("missing"));
    }
}

TEST(FormNotepad, PictureOfFormattedNotes) {
    TvnNotesParams params{0, 0, "Weekend", "", esEdit};
    Notepad n(params);
    n.Edit()->setHtml(
        "<p align=center><b style='font-size:16pt'>Saturday market</b></p><ul><li>Buy "
        "apples</li><li>Call <i style='color:#0000b4'>grandma</i></li></ul><p "
        "align=right><u>Right side</u></p>");
    n.CaretAt(3, 2);
    n.form.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(n.form.grab().save(TestOutputDir() + "/notepad-formatted.png"));
}

TEST(FormNotepad, MainWindowAddsEditsAndDeletesTheDaysNotes) {
    ScopedDialogScript script;
    ScopedClock clock(At(2026, 12, 9, 15, 0));
    QTemporaryDir dir;
    SetDataFolder(dir.path() + '/');
    CreateDeliveredDatabase(DatabaseFilePath());
    RecordingShell shell;
    RecordingSoundPlayer sound;
    {
        TFormMainVNCR window(shell, sound);
        ASSERT_TRUE(window.FormCreate());
        TvnCalendarReminder& c = *window.Calendar();
        TADOTable& table = *c.DataSet(tsNotes);
        bool reminderOn = true;
        script.Modal([&](QDialog& f) {
            reminderOn = c.FReminderEnabled;
            f.findChild<QLineEdit*>("edit_Title")->setText("Plumber");
            f.findChild<QTextEdit*>("RichEdit")->setPlainText("Call at nine");
            f.findChild<QPushButton*>("btnOk")->click();
        });
        window.findChild<QAction*>("mMenu_AddNotes")->trigger();
        EXPECT_FALSE(reminderOn);
        EXPECT_TRUE(c.FReminderEnabled);
        ASSERT_EQ(table.RecordCount(), 1);
        table.First();
        TvnNotesParams stored;
        c.DBRecord_To_NotesStruct(&stored);
        EXPECT_EQ(stored.Title, "Plumber");
        EXPECT_TIME_EQ(stored.Date, At(2026, 12, 9));
        script.Modal([&](QDialog& f) {
            EXPECT_EQ(f.findChild<QTextEdit*>("RichEdit")->toPlainText(), "Call at nine");
            f.findChild<QLineEdit*>("edit_Title")->setText("Plumber at nine");
            f.findChild<QPushButton*>("btnOk")->click();
        });
        EXPECT_EQ(window.SendRecord<WM_EDITNOTES>(&stored), 1);
        script.Modal([](QDialog&) {});  // closed by its close box
        EXPECT_EQ(window.SendRecord<WM_EDITNOTES>(&stored), 0);
        table.First();
        TvnNotesParams edited;
        c.DBRecord_To_NotesStruct(&edited);
        EXPECT_EQ(edited.Title, "Plumber at nine");
        EXPECT_EQ(window.SendRecord<WM_DELETENOTES>(&edited), 1);
        EXPECT_EQ(table.RecordCount(), 0);
        EXPECT_EQ(script.Messages(), QStringList{});  // deleting asks nothing
    }
    SetDataFolder({});
}

TEST(FormNotepad, EscAndTheCloseBoxAskBeforeChangesAreDropped) {
    const struct {
        const char* name;
        const char* typed;  // into the body
        const char* title;
        bool closeBox;  // else Esc
        int answer;     // 1 Yes (discard), 0 No (stay), -1 not asked
    } rows[] = {
        {"unchanged", "", "Shopping", false, -1},
        {"body typed, Esc, discarded", "a", "Shopping", false, 1},
        {"title changed, Esc, stays", "", "Bank", false, 0},
        {"body typed, close box, stays", "a", "Shopping", true, 0},
        {"body typed, close box, discarded", "a", "Shopping", true, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ScopedDialogScript script;
        TvnNotesParams params{0, At(2024, 3, 14), "Shopping", "", esEdit};
        Notepad n(params);
        n.form.show();
        if (*r.typed) n.Key(Qt::Key_A, r.typed);
        n.Get<QLineEdit>("edit_Title")->setText(r.title);
        if (r.answer == 1) script.Yes();
        if (r.answer == 0) script.No();
        if (r.closeBox) {
            n.form.close();
        } else {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(&n.form, &esc);
        }
        EXPECT_EQ(script.Count(TDialogKind::Confirmation), r.answer < 0 ? 0 : 1);
        EXPECT_EQ(n.form.isVisible(), r.answer == 0);
        EXPECT_EQ(params.EditState, esEdit);
        if (r.answer >= 0) {
            EXPECT_EQ(script.Texts(TDialogKind::Confirmation),
                      QStringList{"Discard the changes to these notes?"});
        }
    }
}
