// The main window's Tools commands: the find window searching and editing
// through the window's command messages, and the time span calculator, each
// with the reminder held off while open.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

#include "app/Uformmain.h"
#include "reminder/Uformeventsfind.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/EventRecords.h"
#include "support/RecordingActions.h"
#include "support/StartedWindow.h"
#include "support/TestSupport.h"

namespace {

struct ToolsWindow : TStartedWindow {
    ToolsWindow() { EXPECT_TRUE(started); }
};

}  // namespace

TEST(FormMainTools, FindAndTimeSpanRunWithTheReminderHeldOffAndEditThroughTheMessages) {
    ScopedDialogScript script;
    ToolsWindow w;
    TvnEventParams dentist = EventRecord("Dentist", At(2026, 12, 14, 9, 0));
    w.Cal().AddEvent(&dentist);
    QStringList seen;  // per dialog: its title, whether the reminder was quiet, a row
    auto quiet = [&] { return w.Cal().FReminderEnabled ? "reminder on" : "quiet"; };
    script.Modal([&](QDialog& span) { seen << span.windowTitle() << quiet(); });
    script.Modal([&](QDialog& find) {
        seen << find.windowTitle() << quiet();
        find.findChild<QLineEdit*>("edit_EventDesc")->setText("dentist");
        find.findChild<QPushButton*>("btnFind")->click();
        auto* list = find.findChild<QTreeWidget*>("listView_Events");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        list->setCurrentItem(list->topLevelItem(0));
        static_cast<TFormEventsFind&>(find).listView_EventsDblClick();
        seen << list->topLevelItem(0)->text(0);
    });
    script.Modal([](QDialog& editor) {
        editor.findChild<QPlainTextEdit*>("memo_Desc")->setPlainText("Dentist at ten");
        editor.findChild<QPushButton*>("btnOK")->click();
    });
    w.window->findChild<QAction*>("mMenu_ToolsTimeSpan")->trigger();
    w.window->findChild<QToolButton*>("ToolButton3")->click();  // the tool bar's Find
    EXPECT_EQ(seen, QStringList({"Time Span", "quiet", "Find Events", "quiet", "Dentist at ten"}));
    EXPECT_TRUE(w.Cal().FReminderEnabled);
    TvnEventParams stored;
    ASSERT_TRUE(w.Cal().LocateDBRecord(tsEvents, QStringLiteral("ID"), dentist.ID));
    w.Cal().DBRecord_To_EventStruct(&stored);
    EXPECT_EQ(stored.Desc, "Dentist at ten");
}
