#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QDialog>
#include <QPrinter>
#include <QPushButton>

#include "platform/Dialogs.h"
#include "support/DialogScript.h"
#include "support/TestSupport.h"

struct FilterRow {
    const char* runtime;
    const char* qt;
};

void PrintTo(const FilterRow& row, std::ostream* os) {
    *os << '"' << row.runtime << '"';
}

class QtFileFilterRows : public ::testing::TestWithParam<FilterRow> {};

TEST_P(QtFileFilterRows, TranslatesTheRuntimeSyntax) {
    EXPECT_EQ(QtFileFilter(QString::fromUtf8(GetParam().runtime)), GetParam().qt);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, QtFileFilterRows,
    ::testing::Values(FilterRow{"Text files (*.txt)|*.txt", "Text files (*.txt)"},
                      FilterRow{"Event data files (*.edf)|*.edf", "Event data files (*.edf)"},
                      FilterRow{"All files|*.*", "All files (*.*)"},
                      FilterRow{"Pictures (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp",
                                "Pictures (*.jpg;*.jpeg;*.bmp)"},
                      FilterRow{"JPEG (*.jpg)|*.jpg;*.jpeg", "JPEG (*.jpg) (*.jpg *.jpeg)"},
                      FilterRow{"Text files (*.txt)|*.txt|All files (*.*)|*.*",
                                "Text files (*.txt);;All files (*.*)"},
                      FilterRow{"Lonely description", "Lonely description (*)"},
                      FilterRow{"", ""}));

struct ExtRow {
    const char* path;
    const char* ext;
    const char* result;
};

void PrintTo(const ExtRow& row, std::ostream* os) {
    *os << '"' << row.path << "\" + \"" << row.ext << '"';
}

class DefaultExtRows : public ::testing::TestWithParam<ExtRow> {};

TEST_P(DefaultExtRows, IsAppendedOnlyToANameWithoutExtension) {
    EXPECT_EQ(ApplyDefaultExt(GetParam().path, GetParam().ext), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Names, DefaultExtRows,
                         ::testing::Values(ExtRow{"/tmp/report", "txt", "/tmp/report.txt"},
                                           ExtRow{"/tmp/report", ".edf", "/tmp/report.edf"},
                                           ExtRow{"/tmp/report.txt", "edf", "/tmp/report.txt"},
                                           ExtRow{"/tmp/a.dir/report", "edf",
                                                  "/tmp/a.dir/report.edf"},
                                           ExtRow{"/tmp/.hidden", "edf", "/tmp/.hidden.edf"},
                                           ExtRow{"/tmp/report", "", "/tmp/report"},
                                           ExtRow{"/tmp/", "edf", "/tmp/"}, ExtRow{"", "edf", ""}));

TEST(DialogsGate, MessageBoxesCarryTheProgramNameAndTheTextAsGiven) {
    ScopedDialogScript script;
    ShowWarning("Please, enter the path to the file!");
    ShowError("Disk full");
    ShowInformation("Events data exported successfully.");
    ASSERT_EQ(script.Requests().size(), 3u);
    EXPECT_EQ(script.Requests()[0].Kind, TDialogKind::Warning);
    EXPECT_EQ(script.Requests()[1].Kind, TDialogKind::Error);
    EXPECT_EQ(script.Requests()[2].Kind, TDialogKind::Information);
    for (const TDialogRequest& r : script.Requests())
        EXPECT_EQ(r.Caption, "Vornel");
    EXPECT_EQ(script.Messages(), QStringList({"Please, enter the path to the file!", "Disk full",
                                              "Events data exported successfully."}));
}

TEST(DialogsGate, ConfirmationAndInputTakeTheScriptedAnswers) {
    ScopedDialogScript script;
    script.Yes().No().Input("Alice").CancelInput();
    EXPECT_TRUE(Confirm("Delete?"));
    EXPECT_FALSE(Confirm("Really?"));
    EXPECT_EQ(InputBox("Users", "Name:", "Bob"), std::optional<QString>("Alice"));
    EXPECT_EQ(InputBox("Users", "Name:", "Bob"), std::nullopt);
    EXPECT_EQ(script.Texts(TDialogKind::Confirmation), QStringList({"Delete?", "Really?"}));
    EXPECT_EQ(script.Requests()[2].Caption, "Users");
    EXPECT_EQ(script.Requests()[2].Text, "Name:");
    EXPECT_EQ(script.Requests()[2].Value, "Bob");
}

TEST(DialogsGate, FileDialogsPassTheirOptionsAndApplyTheDefaultExtension) {
    ScopedDialogScript script;
    script.ChooseFile(TDialogKind::SaveFile, "/data/out")
        .ChooseFile(TDialogKind::OpenFile, "/data/in.edf")
        .CancelFile(TDialogKind::OpenPicture);
    TFileDialogOptions o;
    o.Filter = "Event data files (*.edf)|*.edf";
    o.DefaultExt = "edf";
    o.InitialDir = "/data";
    EXPECT_EQ(SaveFileDialog(o), std::optional<QString>("/data/out.edf"));
    EXPECT_EQ(OpenFileDialog(o), std::optional<QString>("/data/in.edf"));
    EXPECT_EQ(OpenPictureDialog(o), std::nullopt);
    EXPECT_EQ(script.Requests()[0].File.Filter, o.Filter);
    EXPECT_EQ(script.Requests()[0].File.InitialDir, "/data");
}

TEST(DialogsGate, ColourFontAndPrinterAnswers) {
    ScopedDialogScript script;
    script.Colour(Qt::red).Font(QFont("Arial", 13)).PrinterSetup(false);
    EXPECT_EQ(ColourDialog(Qt::blue), std::optional<QColor>(QColor(Qt::red)));
    EXPECT_EQ(FontDialog(QFont())->pointSize(), 13);
    EXPECT_EQ(script.Requests()[0].Colour, QColor(Qt::blue));
    EXPECT_EQ(script.Count(TDialogKind::Font), 1);
    QPrinter printer;
    EXPECT_FALSE(PrinterSetupDialog(printer));
    EXPECT_EQ(script.Requests()[2].Printer, &printer);
}

TEST(DialogsGate, InnerHandlersAnswerUntilTheyEnd) {
    ScopedDialogScript outer;
    outer.Yes();
    {
        ScopedDialogScript inner;
        inner.No();
        EXPECT_FALSE(Confirm("inner"));
    }
    EXPECT_TRUE(Confirm("outer"));
    EXPECT_EQ(outer.Texts(TDialogKind::Confirmation), QStringList({"outer"}));
}

TEST(DialogsGate, ModalRunIsDrivenByTheScriptWithoutBlocking) {
    ScopedDialogScript script;
    QDialog dialog;
    dialog.setWindowTitle("Export Events");
    auto* ok = new QPushButton("OK", &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    script.Modal([](QDialog& d) {
        EXPECT_TRUE(d.isVisible());
        d.findChild<QPushButton*>()->click();
    });
    EXPECT_EQ(ExecModal(dialog), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(script.Texts(TDialogKind::Modal).size(), 1);
    EXPECT_EQ(script.Requests()[0].Caption, "Export Events");
}

TEST(DialogsGate, ModalFormLeftOpenIsClosedAsByTheCloseBox) {
    ScopedDialogScript script;
    QDialog dialog;
    bool rejected = false;
    QObject::connect(&dialog, &QDialog::rejected, [&] { rejected = true; });
    script.Modal([](QDialog&) {});
    EXPECT_EQ(ExecModal(dialog), QDialog::Rejected);
    EXPECT_TRUE(rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(DialogScript, UnscriptedOrMismatchedQuestionsFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedDialogScript script;
            Confirm("Unexpected?");
        },
        "unscripted confirmation");
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedDialogScript script;
            script.Yes();
            InputBox("c", "p", "d");
        },
        "got the answer scripted for a confirmation");
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedDialogScript script;
            script.Yes();
        },
        "never asked for");
}

TEST(DialogScript, LenientScriptAnswersNoWithoutFailing) {
    ScopedDialogScript script;
    script.SetLenient(true);
    EXPECT_FALSE(Confirm("Anything?"));
    EXPECT_EQ(InputBox("c", "p", "d"), std::nullopt);
}

// Started from a terminal or with no screen, box texts must still be seen.
TEST(Dialogs, BoxTextsAreAlsoWrittenToStandardErrorOneLineEach) {
    ScopedDialogScript script;
    script.No();
    testing::internal::CaptureStderr();
    ShowError(QStringLiteral("Events data not imported!"));
    ShowWarning(QStringLiteral("two\r\nlines"));
    ShowInformation(QStringLiteral("Café\ndone"));
    Confirm(QStringLiteral("Delete?"));
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written,
              "Vornel error: Events data not imported!\n"
              "Vornel warning: two lines\n"
              "Vornel information: Café done\n");
    EXPECT_EQ(script.Texts(TDialogKind::Error), QStringList{"Events data not imported!"});
}
