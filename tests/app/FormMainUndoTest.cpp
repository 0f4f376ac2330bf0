// Edit > Undo in the main window: the status bar names what was deleted or
// changed and offers it back; Ctrl+Z takes it back.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "support/DialogScript.h"
#include "support/EventRecords.h"
#include "support/StartedWindow.h"

namespace {

QStringList StoredDescs(TvnCalendarReminder& c) {
    QStringList descs;
    for (const auto& e : c.Data().ReadEvents())
        descs << e->Desc;
    return descs;
}

TEST(FormMainUndo, DeletedEventIsNamedInTheStatusBarAndComesBackWithCtrlZ) {
    ScopedDialogScript script;
    TStartedWindow w;
    ASSERT_TRUE(w.started);
    w.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window.get()));
    auto* undo = w.window->findChild<QAction*>("mMenu_EditUndo");
    EXPECT_FALSE(undo->isEnabled());

    TvnEventParams dentist = EventRecord("Dentist", At(2026, 12, 14, 9, 0));
    w.Cal().AddEvent(&dentist);
    ASSERT_EQ(w.window->SendRecord<WM_DELETEEVENT>(&dentist), 1);
    EXPECT_TRUE(script.Texts(TDialogKind::Confirmation).isEmpty());  // deleting asks nothing
    EXPECT_FALSE(StoredDescs(w.Cal()).contains("Dentist"));
    auto* message = w.window->findChild<QLabel*>("label_UndoStatus");
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_TRUE(w.window->statusBar()->isVisible());
    EXPECT_TRUE(
        message->text().startsWith(QString::fromUtf8("Deleted &quot;Dentist&quot; \u2014 <a")))
        << message->text().toStdString();
    EXPECT_TRUE(undo->isEnabled());
    w.window->grab().save(TestOutputDir() + "/main_window_undo_message.png");

    QTest::keyClick(w.window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(StoredDescs(w.Cal()).contains("Dentist"));
    EXPECT_FALSE(message->isVisible());
    EXPECT_FALSE(undo->isEnabled());

    // A change is taken back by the link in the status bar as well.
    TvnEventParams back = *w.Cal().Data().ReadEvents().back();
    back.Desc = "Barber";
    w.Cal().EditEvent(&back);
    EXPECT_TRUE(message->text().startsWith("Changed &quot;Dentist&quot;"));
    emit message->linkActivated("undo");
    EXPECT_TRUE(StoredDescs(w.Cal()).contains("Dentist"));
    EXPECT_FALSE(StoredDescs(w.Cal()).contains("Barber"));
}

}  // namespace
