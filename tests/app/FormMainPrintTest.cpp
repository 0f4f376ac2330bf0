// File > Print of the main window: the options dialog with the reminder held
// off, the print of the shown view, and a printer that fails to start.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "app/Uformmain.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/RecordingActions.h"
#include "support/StartedWindow.h"
#include "support/TestSupport.h"

namespace {

struct PrintingWindow : TStartedWindow {
    PrintingWindow() { window->Printer().setOutputFormat(QPrinter::PdfFormat); }
};

}  // namespace

TEST(FormMainPrint, PrintsWithTheChosenOptionsOrShowsWhyItCouldNot) {
    struct Row {
        const char* name;
        const char* file;  // the printer's file before; empty: none yet
        const char* button;
        bool printed;
        QStringList messages;
    } const rows[] = {
        {"printed", "calendar.pdf", "btnPrint", true, {}},
        {"cancelled", "calendar.pdf", "btnCancel", false, {}},
        {"no printer, file asked for", "", "btnPrint", true, {}},
        {"no such folder",
         "missing/calendar.pdf",
         "btnPrint",
         false,
         {"The printer could not start the print job."}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        PrintingWindow w;
        ASSERT_TRUE(w.started);
        TvnCalendarReminder& c = *w.window->Calendar();
        const QString file = w.dir.filePath(*r.file ? r.file : "asked.pdf");
        w.window->Printer().setOutputFileName(*r.file ? file : QString());
        bool reminderHeld = false;
        ScopedDialogScript script;
        script.Modal([&](QDialog& form) {
            reminderHeld = !c.FReminderEnabled;
            form.findChild<QRadioButton*>("rBtn_StrechToPage")->click();
            form.findChild<QPushButton*>(r.button)->click();
        });
        // A print to a PDF file always asks for it.
        if (QString(r.button) == "btnPrint") script.ChooseFile(TDialogKind::SaveFile, file);
        auto* print = w.window->findChild<QAction*>("mMenu_FilePrint");
        ASSERT_TRUE(print->isEnabled());
        print->trigger();
        EXPECT_TRUE(reminderHeld);
        EXPECT_TRUE(c.FReminderEnabled);
        EXPECT_EQ(QFile::exists(file), r.printed);
        EXPECT_EQ(script.Texts(TDialogKind::Error), r.messages);
        const TvnPrintOptions& kept = w.window->Settings().PrintOptions;
        EXPECT_EQ(kept.Proportions, QString(r.button) == "btnPrint" ? -1 : 0);
        EXPECT_FALSE(c.Printing);
        EXPECT_FALSE(c.BackBuffer().isNull());
    }
}

TEST(FormMainPrint, ASecondPrintToPdfAsksAgainProposingTheFirstFile) {
    PrintingWindow w;
    ASSERT_TRUE(w.started);
    const QString first = w.dir.filePath("first.pdf");
    const QString second = w.dir.filePath("second.pdf");
    ScopedDialogScript script;
    for (const QString& file : {first, second}) {
        script.Modal([](QDialog& form) { form.findChild<QPushButton*>("btnPrint")->click(); });
        script.ChooseFile(TDialogKind::SaveFile, file);
        w.Trigger("mMenu_FilePrint");
    }
    ASSERT_EQ(script.Count(TDialogKind::SaveFile), 2);
    std::vector<QString> proposed;
    for (const TDialogRequest& r : script.Requests())
        if (r.Kind == TDialogKind::SaveFile) proposed.push_back(r.File.FileName);
    EXPECT_EQ(proposed, (std::vector<QString>{"Calendar.pdf", first}));
    EXPECT_TRUE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo::exists(second));
    EXPECT_EQ(script.Count(TDialogKind::Error), 0);
}
