#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "reminder/Uformeventsexport.h"
#include "support/DialogScript.h"
#include "support/TestSupport.h"

namespace {

template <typename T>
T* Control(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

struct ExportFixture : ::testing::Test {
    ScopedClock clock{At(2025, 6, 15, 10, 30)};
    ScopedDialogScript script;
    TvnExportParams params;
    TFormEventsExport form{nullptr, &params, "/home/me/vornel"};

    void SetPath(const QString& path) { Control<QLineEdit>(form, "edit_FileName")->setText(path); }
    void ClickOK() { Control<QPushButton>(form, "btnOK")->click(); }
};

}  // namespace

TEST_F(ExportFixture, OpensWithTheCurrentYearAllCategoriesAndTheTextReport) {
    EXPECT_EQ(form.windowTitle(), "Export Events");
    EXPECT_EQ(Control<QDateEdit>(form, "dtPicker1")->date(), QDate(2025, 1, 1));
    EXPECT_EQ(Control<QDateEdit>(form, "dtPicker2")->date(), QDate(2025, 12, 31));
    EXPECT_EQ(Control<QDateEdit>(form, "dtPicker1")->text(), "01.01.2025");  // the short date
    const std::pair<const char*, const char*> boxes[] = {{"check_Misc", "Miscellaneous"},
                                                         {"check_Aniv", "Anniversary"},
                                                         {"check_Birth", "Birthday"},
                                                         {"check_Spec", "Special"},
                                                         {"check_Meet", "Meeting"}};
    for (const auto& [name, caption] : boxes) {
        EXPECT_TRUE(Control<QCheckBox>(form, name)->isChecked()) << name;
        EXPECT_EQ(Control<QCheckBox>(form, name)->text(), caption);
    }
    auto* txt = Control<QRadioButton>(form, "rButton_SaveAsTxt");
    auto* edf = Control<QRadioButton>(form, "rButton_SaveAsVef");
    EXPECT_TRUE(txt->isChecked());
    EXPECT_EQ(txt->text(), "Export to the text file (for viewing)");
    EXPECT_EQ(edf->text(), "Export to the *.edf file (for an opportunity of import)");
    EXPECT_TRUE(Control<QLineEdit>(form, "edit_FileName")->text().isEmpty());
    EXPECT_EQ(Control<QPushButton>(form, "btnBrowse")->text(), "Browse");
    EXPECT_TRUE(Control<QPushButton>(form, "btnOK")->isDefault());
    EXPECT_EQ(Control<QPushButton>(form, "btnCancel")->text(), "Cancel");
    EXPECT_FALSE(params.Accepted);
    form.show();
    form.grab().save(TestOutputDir() + "/export_events.png");
}

TEST_F(ExportFixture, OkWithoutPathWarnsFocusesThePathAndStaysOpen) {
    form.show();
    Control<QCheckBox>(form, "check_Misc")->setFocus();
    for (const char* path : {"", "   "}) {
        SetPath(path);
        ClickOK();
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(params.Accepted);
        EXPECT_EQ(form.focusWidget(), Control<QLineEdit>(form, "edit_FileName"));
    }
    EXPECT_EQ(script.Texts(TDialogKind::Warning),
              QStringList(
                  {"Please, enter the path to the file!", "Please, enter the path to the file!"}));
}

TEST_F(ExportFixture, OkFillsTheParametersFromTheControls) {
    form.show();
    Control<QDateEdit>(form, "dtPicker1")->setDate(QDate(2024, 5, 1));
    Control<QDateEdit>(form, "dtPicker2")->setDate(QDate(2024, 5, 5));
    Control<QCheckBox>(form, "check_Aniv")->setChecked(false);
    Control<QCheckBox>(form, "check_Spec")->setChecked(false);
    Control<QRadioButton>(form, "rButton_SaveAsVef")->setChecked(true);
    SetPath("/tmp/out.edf");
    ClickOK();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(params.Accepted);
    EXPECT_TIME_EQ(params.BegDate, EncodeDate(2024, 5, 1));
    EXPECT_TIME_EQ(params.EndDate, EncodeDate(2024, 5, 5));
    EXPECT_FALSE(params.SaveAsTxt);
    EXPECT_EQ(params.Categories, 1 | 4 | 16);
    EXPECT_EQ(params.FileName, "/tmp/out.edf");
    EXPECT_TRUE(script.Requests().empty());
}

TEST_F(ExportFixture, CancelLeavesTheParametersUnaccepted) {
    form.show();
    SetPath("/tmp/out.txt");
    Control<QPushButton>(form, "btnCancel")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(params.Accepted);
}

TEST_F(ExportFixture, BrowseOffersTheFilterOfTheChosenFileType) {
    script.ChooseFile(TDialogKind::SaveFile, "/tmp/report")
        .ChooseFile(TDialogKind::SaveFile, "/tmp/data")
        .CancelFile(TDialogKind::SaveFile);
    auto* browse = Control<QPushButton>(form, "btnBrowse");
    browse->click();
    EXPECT_EQ(Control<QLineEdit>(form, "edit_FileName")->text(), "/tmp/report.txt");
    Control<QRadioButton>(form, "rButton_SaveAsVef")->setChecked(true);
    browse->click();
    EXPECT_EQ(Control<QLineEdit>(form, "edit_FileName")->text(), "/tmp/data.edf");
    browse->click();  // cancelled: the path stays
    EXPECT_EQ(Control<QLineEdit>(form, "edit_FileName")->text(), "/tmp/data.edf");

    const auto& r = script.Requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].File.Filter, "Text files (*.txt)|*.txt");
    EXPECT_EQ(r[0].File.DefaultExt, "txt");
    EXPECT_EQ(r[1].File.Filter, "Event data files (*.edf)|*.edf");
    EXPECT_EQ(r[1].File.DefaultExt, "edf");
    for (const TDialogRequest& q : r) {
        EXPECT_TRUE(q.File.FileName.isEmpty());
        EXPECT_EQ(q.File.InitialDir, "/home/me/vornel");
    }
}

TEST(ExportDialog, RunsModallyThroughTheGate) {
    ScopedDialogScript script;
    TvnExportParams params;
    TFormEventsExport form(nullptr, &params);
    script.Modal([](QDialog& d) {
        d.findChild<QPushButton*>("btnOK")->click();  // no path: stays open
        d.findChild<QLineEdit*>("edit_FileName")->setText("/tmp/x.txt");
        d.findChild<QPushButton*>("btnOK")->click();
    });
    EXPECT_EQ(ExecModal(form), QDialog::Accepted);
    EXPECT_TRUE(params.Accepted);
    EXPECT_TRUE(params.SaveAsTxt);
    EXPECT_EQ(params.Categories, AllCategoriesMask);
    EXPECT_EQ(script.Texts(TDialogKind::Warning).size(), 1);
}

TEST(ExportDialog, ClosedByTheCloseBoxIsNotAccepted) {
    ScopedDialogScript script;
    TvnExportParams params;
    params.Accepted = true;  // left over from an earlier run
    TFormEventsExport form(nullptr, &params);
    script.Modal(
        [](QDialog& d) { d.findChild<QLineEdit*>("edit_FileName")->setText("/tmp/x.txt"); });
    EXPECT_EQ(ExecModal(form), QDialog::Rejected);
    EXPECT_FALSE(params.Accepted);
}
