#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "reminder/Uformeventsimport.h"
#include "support/DialogScript.h"
#include "support/TestSupport.h"

namespace {

const QString kAskDelete = "Are you sure you want to delete all existing events?";

struct ImportFixture : ::testing::Test {
    ScopedDialogScript script;
    TvnImportParams params;
    TFormEventsImport form{nullptr, &params, "/home/me/vornel"};

    QCheckBox* DeleteBox() { return form.findChild<QCheckBox*>("checkBox_DeleteExisting"); }
    QLineEdit* Path() { return form.findChild<QLineEdit*>("edit_FileName"); }
    void ClickOK() { form.findChild<QPushButton*>("btnOK")->click(); }
};

}  // namespace

TEST_F(ImportFixture, OpensWithAnEmptyPathAndNothingToDelete) {
    EXPECT_EQ(form.windowTitle(), "Import Events");
    ASSERT_NE(DeleteBox(), nullptr);
    EXPECT_EQ(DeleteBox()->text(), "Delete existing events");
    EXPECT_FALSE(DeleteBox()->isChecked());
    EXPECT_TRUE(Path()->text().isEmpty());
    EXPECT_EQ(form.findChild<QPushButton*>("btnBrowse")->text(), "Browse");
    EXPECT_TRUE(form.findChild<QPushButton*>("btnOK")->isDefault());
    EXPECT_EQ(form.findChild<QPushButton*>("btnCancel")->text(), "Cancel");
    form.show();
    form.grab().save(TestOutputDir() + "/import_events.png");
}

TEST_F(ImportFixture, CheckingDeleteAsksAndNoClearsTheBoxAgain) {
    script.No().Yes();
    DeleteBox()->click();
    EXPECT_FALSE(DeleteBox()->isChecked());
    DeleteBox()->click();
    EXPECT_TRUE(DeleteBox()->isChecked());
    DeleteBox()->click();  // clearing asks nothing
    EXPECT_FALSE(DeleteBox()->isChecked());
    EXPECT_EQ(script.Messages(), QStringList({kAskDelete, kAskDelete}));
}

TEST_F(ImportFixture, OkWithoutPathWarnsAndStaysOpen) {
    form.show();
    ClickOK();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(params.Accepted);
    EXPECT_EQ(form.focusWidget(), Path());
    EXPECT_EQ(script.Messages(), QStringList({"Please, enter the path to the file!"}));
}

TEST_F(ImportFixture, OkFillsTheParametersWithoutCheckingTheFile) {
    script.Yes();
    form.show();
    DeleteBox()->click();
    Path()->setText("/nowhere/events.edf");
    ClickOK();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(params.Accepted);
    EXPECT_TRUE(params.DeleteExisting);
    EXPECT_EQ(params.FileName, "/nowhere/events.edf");
}

TEST_F(ImportFixture, CancelIsNotAccepted) {
    form.show();
    Path()->setText("/tmp/a.edf");
    form.findChild<QPushButton*>("btnCancel")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(params.Accepted);
}

TEST_F(ImportFixture, BrowseOpensAnEventDataFile) {
    script.ChooseFile(TDialogKind::OpenFile, "/tmp/events").CancelFile(TDialogKind::OpenFile);
    form.findChild<QPushButton*>("btnBrowse")->click();
    EXPECT_EQ(Path()->text(), "/tmp/events.edf");
    form.findChild<QPushButton*>("btnBrowse")->click();
    EXPECT_EQ(Path()->text(), "/tmp/events.edf");
    const TDialogRequest& r = script.Requests()[0];
    EXPECT_EQ(r.Kind, TDialogKind::OpenFile);
    EXPECT_EQ(r.File.Filter, "Event data files (*.edf)|*.edf");
    EXPECT_EQ(r.File.DefaultExt, "edf");
    EXPECT_TRUE(r.File.FileName.isEmpty());
    EXPECT_EQ(r.File.InitialDir, "/home/me/vornel");
}
