// The main window without the mouse: the Today command, the menus'
// mnemonics, the view buttons, Enter and Delete on the calendar, and the
// order Tab walks.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "app/Uformnotepad.h"
#include "support/DialogScript.h"
#include "support/StartedWindow.h"

namespace {

struct TodayRow {
    const char* name;
    const char* view;   // view action, or nullptr for the month view
    const char* moves;  // move-to action run twice before Today
    TDateTime shown;    // calendar date after Today
};

class TodayCommand : public ::testing::TestWithParam<TodayRow> {};

TEST_P(TodayCommand, ShowsTodayInTheCurrentView) {
    const TodayRow& row = GetParam();
    TStartedWindow w(At(2026, 12, 9, 15, 0));
    ASSERT_TRUE(w.started);
    if (row.view) w.Trigger(row.view);
    const int view = w.Cal().ViewMode();
    w.Trigger(row.moves);
    w.Trigger(row.moves);
    ASSERT_NE(w.Cal().CalendarDate(), row.shown);
    QAction* today = w.window->findChild<QAction*>("mMenu_MoveToday");
    EXPECT_EQ(today->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    EXPECT_EQ(today->text(), "&Today");
    today->trigger();
    EXPECT_EQ(w.Cal().ViewMode(), view);
    EXPECT_EQ(w.Cal().CalendarDate(), row.shown);
    EXPECT_EQ(w.Cal().FocusedDate(), At(2026, 12, 9));
}

const TodayRow kTodayRows[] = {
    {"Month", nullptr, "mMenu_MovePrevMonth", At(2026, 12, 9)},
    {"Year", "mMenu_ViewYear", "mMenu_MovePrevYear", At(2026, 12, 9)},
    {"Day", "mMenu_ViewDay", "mMenu_MoveNextYear", At(2026, 12, 9)},
};

INSTANTIATE_TEST_SUITE_P(Views, TodayCommand, ::testing::ValuesIn(kTodayRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormMainKeyboard, EveryMenuHasItsOwnMnemonicAndTheBarHasTodayAndEveryView) {
    TStartedWindow w;
    QSet<QChar> letters;
    for (QAction* menu : w.window->menuBar()->actions()) {
        const QString title = menu->text();
        const int amp = title.indexOf(u'&');
        ASSERT_GE(amp, 0) << title.toStdString();
        EXPECT_TRUE(title.at(amp + 1).isLetter()) << title.toStdString();
        EXPECT_FALSE(letters.contains(title.at(amp + 1).toLower())) << title.toStdString();
        letters.insert(title.at(amp + 1).toLower());
    }
    EXPECT_GE(letters.size(), 7);
    auto* bar = w.window->findChild<QToolBar*>("ToolBar1");
    const char* views[] = {"mMenu_ViewDay", "mMenu_ViewWeek", "mMenu_ViewMonth", "mMenu_ViewYear"};
    for (int shown = 0; shown < 4; ++shown) {
        w.Trigger(views[shown]);
        for (int i = 0; i < 4; ++i) {
            auto* button = qobject_cast<QToolButton*>(
                bar->widgetForAction(w.window->findChild<QAction*>(views[i])));
            ASSERT_NE(button, nullptr) << views[i];
            EXPECT_TRUE(button->isCheckable());
            EXPECT_EQ(button->isChecked(), i == shown) << views[i] << " with " << shown;
        }
    }
    EXPECT_NE(bar->widgetForAction(w.window->findChild<QAction*>("mMenu_MoveToday")), nullptr);
}

TEST(FormMainKeyboard, ViewsOpenOnTheFocusedDayOrOnTheFirstAfterAMonthMove) {
    TStartedWindow w(At(2026, 12, 9, 15, 0));
    TvnCalendarReminder& c = w.Cal();
    QTest::keyClick(&c, Qt::Key_Down);  // 16 December
    w.Trigger("mMenu_ViewDay");
    EXPECT_EQ(c.CalendarDate(), At(2026, 12, 16));
    QTest::keyClick(&c, Qt::Key_Right);
    w.Trigger("mMenu_ViewWeek");
    EXPECT_EQ(c.CalendarDate(), At(2026, 12, 17));
    w.Trigger("mMenu_ViewMonth");
    w.Trigger("mMenu_MoveNextMonth");
    w.Trigger("mMenu_ViewDay");
    EXPECT_EQ(c.CalendarDate(), At(2027, 1, 1));
}

TEST(FormMainKeyboard, EnterAddsOnTheFocusedDayOpensTheSelectedItemAndDeleteDeletesIt) {
    ScopedDialogScript script;
    TStartedWindow w(At(2026, 12, 9, 15, 0));
    w.window->resize(1000, 700);
    w.window->show();
    QCoreApplication::processEvents();
    TvnCalendarReminder& c = w.Cal();
    QTest::keyClick(&c, Qt::Key_Right);
    QTest::keyClick(&c, Qt::Key_Right);  // 11 December
    QDate shown;
    script.Modal([&](QDialog& editor) {
        shown = editor.findChild<QDateEdit*>("dtPicker_Date")->date();
        editor.findChild<QPlainTextEdit*>("memo_Desc")->setPlainText("Dentist");
        editor.findChild<QPushButton*>("btnOK")->click();
    });
    QTest::keyClick(&c, Qt::Key_Return);
    EXPECT_EQ(shown, QDate(2026, 12, 11));
    ASSERT_EQ(c.EventDrawList.size(), 1u);
    // Delete with no item selected deletes nothing.
    QTest::keyClick(&c, Qt::Key_Delete);
    ASSERT_EQ(c.EventDrawList.size(), 1u);

    c.FlushPaint();
    int col = -1, row = -1;
    c.DateToCell(At(2026, 12, 11), col, row);
    const TRect cell = c.GetCellRect(col, row);
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, cell.Top + c.DayNumberHeight + 5);
    ASSERT_TRUE(c.ItemIsSelected());
    QString opened;
    script.Modal([&](QDialog& editor) {
        opened = editor.findChild<QPlainTextEdit*>("memo_Desc")->toPlainText();
        editor.reject();
    });
    QTest::keyClick(&c, Qt::Key_Enter);
    EXPECT_EQ(opened, "Dentist");
    EXPECT_FALSE(c.DblClicked);
    ASSERT_TRUE(c.ItemIsSelected());
    QTest::keyClick(&c, Qt::Key_Delete);
    EXPECT_TRUE(c.EventDrawList.empty());
}

TEST(FormMainKeyboard, TabWalksTheToolBarTheMonthTabsAndTheCalendar) {
    TStartedWindow w;
    w.window->show();
    QApplication::setActiveWindow(w.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.window.get()));
    TvnCalendarReminder& c = w.Cal();
    EXPECT_EQ(QApplication::focusWidget(), &c);
    auto* tabs = w.window->findChild<QTabBar*>("tabControl_Months");
    QStringList walked;
    for (int i = 0; i < 14 && walked.size() < 14; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
        if (QApplication::focusWidget() == &c) break;
    }
    // One round: the bar's buttons in their order, the month tabs, the calendar.
    ASSERT_GE(walked.size(), 3) << walked.join(' ').toStdString();
    EXPECT_EQ(walked.size(), 12) << walked.join(' ').toStdString();
    EXPECT_EQ(walked.last(), "vnCalendarReminder");
    EXPECT_EQ(walked[walked.size() - 2], tabs->objectName());
    EXPECT_TRUE(walked.contains("ToolButton8"));
    EXPECT_TRUE(walked.contains("ToolButton11"));
    EXPECT_LT(walked.indexOf("ToolButton1"), walked.indexOf("ToolButton10"));
}

// What a screen reader speaks for a control Tab reaches: its accessible
// name, a button's text, or the label that names it as its buddy.
QStringList UnnamedControls(QWidget& window) {
    QSet<const QWidget*> labelled;
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy()) labelled.insert(label->buddy());
    QStringList unnamed;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || !(w->focusPolicy() & Qt::TabFocus)) continue;
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const bool named = !w->accessibleName().isEmpty() || labelled.contains(w) ||
                           (button && !button->text().remove('&').trimmed().isEmpty());
        // A line inside a combo box or spin box is named by its owner.
        const bool inner =
            w->focusProxy() || (w->parentWidget() && w->parentWidget()->focusProxy() == w);
        if (!named && !inner) unnamed << w->metaObject()->className() + (':' + w->objectName());
    }
    return unnamed;
}

TEST(FormMainKeyboard, EveryControlTabReachesHasASpokenName) {
    TStartedWindow w;
    w.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window.get()));
    EXPECT_EQ(UnnamedControls(*w.window).join(' ').toStdString(), "");
    TvnNotesParams notes;
    TFormNotepad notepad(nullptr, &notes);
    notepad.show();
    EXPECT_EQ(UnnamedControls(notepad).join(' ').toStdString(), "");
}

}  // namespace
