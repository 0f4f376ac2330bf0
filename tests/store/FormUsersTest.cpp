// The users dialog driven by its control names on the main window's
// holders: what comes back after OK and Cancel, and its two warnings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>

#include "store/Uformusers.h"
#include "support/DialogScript.h"
#include "support/TestSupport.h"

namespace {

struct Holders {
    std::array<QString, UsersCount> names{"Default", "Ann", "Bob"};
    std::array<int32_t, UsersCount> states{1, 1, 1};
    int32_t current = 2;

    // "Users management" as the main window runs it.
    bool Edit() { return TFormUsers::EditUsers(nullptr, names, states, current); }
};

QTreeWidget* List(QDialog& form) {
    return form.findChild<QTreeWidget*>("lView_Users");
}

void Click(QDialog& form, const char* button) {
    form.findChild<QPushButton*>(button)->click();
}

QStringList Entries(QDialog& form) {
    QStringList out;
    for (int i = 0; i < List(form)->topLevelItemCount(); ++i)
        out << List(form)->topLevelItem(i)->text(0);
    return out;
}

QString Selected(QDialog& form) {
    const auto items = List(form)->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text(0);
}

void PressDelete(QDialog& form) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(List(form), &press);
}

}  // namespace

TEST(FormUsers, ShowsTheUsersInUseWithTheCurrentOneSelected) {
    UsersData data;
    data.UserNames = {"", "Ann", "", "Cleo"};
    data.UserStates = {1, 1, 2, 1};
    data.CurrUserID = 3;
    TFormUsers form(nullptr, &data);
    EXPECT_EQ(form.windowTitle(), "Users Management");
    EXPECT_EQ(Entries(form), (QStringList{"Default", "Ann", "Cleo"}));
    EXPECT_EQ(Selected(form), "Cleo");
    EXPECT_EQ(form.findChild<QPushButton*>("btnAdd")->text(), "Add user");
    EXPECT_EQ(form.findChild<QPushButton*>("btnDelete")->text(), "Delete user");
    EXPECT_TRUE(form.findChild<QPushButton*>("btnOK")->isDefault());
    EXPECT_EQ(form.findChild<QPushButton*>("btnCancel")->text(), "Cancel");
    form.show();
    form.grab().save(TestOutputDir() + "/users_management.png");
}

TEST(FormUsers, RemoveAddAndPickThenOkHandsEverythingBack) {
    ScopedDialogScript script;
    script.Modal([](QDialog& form) {
        PressDelete(form);  // Bob, the current user
        EXPECT_EQ(Selected(form), "Default");
        Click(form, "btnAdd");
        EXPECT_EQ(Selected(form), "Carl");
        List(form)->setCurrentItem(List(form)->topLevelItem(1));
        Click(form, "btnOK");
    });
    script.Input("  Carl ");
    Holders h;
    EXPECT_TRUE(h.Edit());
    // Bob's slot waits for its data to be deleted; Carl got the next one.
    EXPECT_EQ(h.states, (std::array<int32_t, UsersCount>{1, 1, 2, 1}));
    EXPECT_EQ(h.names[3], "Carl");
    EXPECT_EQ(h.current, 1);
    EXPECT_EQ(script.Texts(TDialogKind::Input), QStringList{"User name"});
    EXPECT_EQ(script.Requests().back().Caption, "Add user");
    EXPECT_TRUE(script.Messages().isEmpty());
}

TEST(FormUsers, CancelOrTheCloseBoxDiscardsEveryChange) {
    for (const char* close : {"btnCancel", ""}) {
        ScopedDialogScript script;
        script.Modal([close](QDialog& form) {
            Click(form, "btnAdd");
            List(form)->setCurrentItem(List(form)->topLevelItem(1));
            Click(form, "btnDelete");
            if (*close) Click(form, close);
        });
        script.Input("Dan");
        Holders h;
        EXPECT_FALSE(h.Edit()) << close;
        EXPECT_EQ(h.states, (std::array<int32_t, UsersCount>{1, 1, 1})) << close;
        EXPECT_EQ(h.current, 2) << close;
    }
}

struct RefusedRow {
    const char* name;
    int named;          // users besides the default one
    int selected;       // entry selected before the button
    const char* press;  // button
    bool typeName;      // the input box is answered with a name
    QString message;    // empty: none
};

void PrintTo(const RefusedRow& row, std::ostream* os) {
    *os << row.name;
}

class FormUsersRefuses : public ::testing::TestWithParam<RefusedRow> {};

TEST_P(FormUsersRefuses, WithTheirMessageAndNoChange) {
    const RefusedRow& row = GetParam();
    UsersData data;
    for (int n = 1; n <= row.named; ++n) {
        data.UserNames[n] = QStringLiteral("u%1").arg(n);
        data.UserStates[n] = usInUse;
    }
    ScopedDialogScript script;
    if (QString(row.press) == "btnAdd") row.typeName ? script.Input("Zed") : script.Input(" ");
    TFormUsers form(nullptr, &data);
    const auto states = data.UserStates;
    List(form)->setCurrentItem(List(form)->topLevelItem(row.selected));
    Click(form, row.press);
    EXPECT_EQ(script.Messages(), row.message.isEmpty() ? QStringList() : QStringList{row.message});
    EXPECT_EQ(data.UserStates, states);
    EXPECT_EQ(List(form)->topLevelItemCount(), row.named + 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, FormUsersRefuses,
                         ::testing::Values(RefusedRow{"DeleteTheDefaultUser", 2, 0, "btnDelete",
                                                      false, "Default user can not be deleted!"},
                                           RefusedRow{"AddANinthNamedUser", 8, 3, "btnAdd", true,
                                                      "Maximum users count!"},
                                           RefusedRow{"AddABlankName", 2, 1, "btnAdd", false, ""}),
                         [](const auto& info) { return std::string(info.param.name); });
