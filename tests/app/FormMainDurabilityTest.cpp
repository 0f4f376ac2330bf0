// What the main window keeps when things go wrong: a record the store
// refuses goes back to its editor, the settings are on disk before the run
// ends, and an engine error in a menu command stops at the command.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <functional>
#include <optional>

#include "app/Vnsettings.h"
#include "support/DialogScript.h"
#include "support/StartedWindow.h"

namespace {

// The text of an editor's field, whichever kind of edit it is.
QString FieldText(QDialog& form, const char* name) {
    if (auto* line = form.findChild<QLineEdit*>(name)) return line->text();
    if (auto* plain = form.findChild<QPlainTextEdit*>(name)) return plain->toPlainText();
    ADD_FAILURE() << "no field " << name;
    return {};
}

void SetFieldText(QDialog& form, const char* name, const QString& text) {
    if (auto* line = form.findChild<QLineEdit*>(name)) return line->setText(text);
    if (auto* plain = form.findChild<QPlainTextEdit*>(name)) return plain->setPlainText(text);
    ADD_FAILURE() << "no field " << name;
}

struct RefusedStoreRow {
    const char* Name;
    const char* Command;  // the menu command that opens the editor
    const char* Field;    // the field the user types into
    const char* Ok;
    int Table;
};

class RecordRefusedByTheStore : public ::testing::TestWithParam<RefusedStoreRow> {};

// Typed on a full disk: the error was shown after the editor had closed,
// and the text was gone.
TEST_P(RecordRefusedByTheStore, WasLostWithItsEditor) {
    const RefusedStoreRow& row = GetParam();
    TStartedWindow w;
    ASSERT_TRUE(w.started);
    TADOTable& table = *w.Cal().DataSet(row.Table);
    table.SetFiltered(false);
    const int before = table.RecordCount();
    const QString typed = QStringLiteral("Typed while the disk was full");
    std::optional<ScopedFullDisk> full;
    ScopedDialogScript script;
    script.Modal([&](QDialog& form) {
        SetFieldText(form, row.Field, typed);
        if (auto* body = form.findChild<QTextEdit*>("RichEdit")) body->setPlainText("Body");
        full.emplace();
        form.findChild<QPushButton*>(row.Ok)->click();
    });
    script.Modal([&](QDialog& form) {
        EXPECT_EQ(FieldText(form, row.Field), typed);
        if (auto* body = form.findChild<QTextEdit*>("RichEdit")) {
            EXPECT_EQ(body->toPlainText(), "Body");
        }
        full.reset();
        form.findChild<QPushButton*>(row.Ok)->click();
    });
    w.Trigger(row.Command);
    EXPECT_EQ(script.Count(TDialogKind::Error), 1);
    EXPECT_EQ(script.Pending(), 0);
    table.SetFiltered(false);
    EXPECT_EQ(table.RecordCount(), before + 1);  // stored once, not twice
}

INSTANTIATE_TEST_SUITE_P(
    Editors, RecordRefusedByTheStore,
    ::testing::Values(RefusedStoreRow{"Notes", "mMenu_AddNotes", "edit_Title", "btnOk", tsNotes},
                      RefusedStoreRow{"Event", "mMenu_AddEvent", "memo_Desc", "btnOK", tsEvents},
                      RefusedStoreRow{"Holiday", "mMenu_AddHoliday", "edit_HolidayName", "btnOK",
                                      tsHolidays}),
    [](const auto& info) { return std::string(info.param.Name); });

struct SettingsChangeRow {
    const char* Name;
    std::function<void(ScopedDialogScript&, TStartedWindow&)> Change;
};

class ConfirmedSettingsChange : public ::testing::TestWithParam<SettingsChangeRow> {};

// A kill or a power cut lost every choice of the run: the settings were
// written only at a clean exit.
TEST_P(ConfirmedSettingsChange, WasWrittenOnlyAtACleanExit) {
    TStartedWindow w;
    ASSERT_TRUE(w.started);
    QFile::remove(SettingsFilePath());
    ASSERT_FALSE(QFile::exists(SettingsFilePath()));
    ScopedDialogScript script;
    GetParam().Change(script, w);
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

const QString kPicture = QStringLiteral("/nowhere/beach.jpg");

INSTANTIATE_TEST_SUITE_P(
    Commands, ConfirmedSettingsChange,
    ::testing::Values(
        SettingsChangeRow{"Wallpaper",
                          [](ScopedDialogScript& script, TStartedWindow& w) {
                              script.ChooseFile(TDialogKind::OpenPicture, kPicture);
                              w.Trigger("pMenu_SetWallp");
                              EXPECT_EQ(ReadSettings({}, SettingsFilePath()).ProgOptions.Wallpaper,
                                        kPicture);
                          }},
        SettingsChangeRow{"Options",
                          [](ScopedDialogScript& script, TStartedWindow& w) {
                              script.Modal([](QDialog& form) {
                                  form.findChild<QPushButton*>("btnOK")->click();
                              });
                              w.Trigger("mMenu_ToolsOptions");
                          }},
        SettingsChangeRow{"User", [](ScopedDialogScript&,
                                     TStartedWindow& w) { w.Trigger("mMenu_UsersDefUser"); }},
        SettingsChangeRow{"Hiding",
                          [](ScopedDialogScript&, TStartedWindow& w) {
                              w.window->show();
                              w.window->close();  // the close box only hides
                          }}),
    [](const auto& info) { return std::string(info.param.Name); });

// The error of a colour the full disk refused unwound through Qt's signal
// emission, which Qt leaves undefined; it reaches the error box instead.
TEST(FormMainErrors, AnEngineErrorInAMenuCommandUnwoundThroughQtsSignal) {
    TStartedWindow w;
    ASSERT_TRUE(w.started);
    w.Cal().SelectedDate = At(2026, 12, 9);
    ScopedDialogScript script;
    script.Colour(Qt::red);
    {
        ScopedFullDisk full;
        EXPECT_NO_THROW(w.Trigger("pMenu_SetBColor"));
    }
    QCoreApplication::processEvents();  // the error box waits for the event loop
    EXPECT_EQ(script.Count(TDialogKind::Error), 1);
}

}  // namespace
