// The holiday editor and the holidays list: the date rules they write and
// show, the days offered per month, the order of the list, the duplicate
// removal, damaged rows, and the road from Tools > Holidays management to a
// holiday in the calendar and out again.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "app/Uformholidayoptions.h"
#include "app/Uformholidays.h"
#include "app/Uformmain.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/RecordingActions.h"
#include "support/StartedWindow.h"
#include "support/TestSupport.h"

namespace {

template <typename T = QWidget>
T* C(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void Click(QWidget& form, const char* name) {
    C<QAbstractButton>(form, name)->click();
}

void Choose(QWidget& form, const char* box, const QString& item) {
    QComboBox* b = C<QComboBox>(form, box);
    ASSERT_GE(b->findText(item), 0) << item.toStdString();
    b->setCurrentIndex(b->findText(item));
}

TvnHolidayParams Holiday(int month, int day, const QString& name, int dayOfWeek = 0, int week = 0,
                         int editState = esEdit) {
    TvnHolidayParams h;
    h.ID = 7;
    h.Month = uint16_t(month);
    h.Day = uint16_t(day);
    h.DayOfWeek = uint16_t(dayOfWeek);
    h.NumOfWeek = uint16_t(week);
    h.Name = name;
    h.EditState = uint8_t(editState);
    return h;
}

struct EditorRow {
    const char* name;
    TvnHolidayParams in;
    std::function<void(QDialog&)> drive;
    const char* caption;
    TvnHolidayParams out;  // as stored, EditState included
    QStringList messages;
};

void PrintTo(const EditorRow& row, std::ostream* os) {
    *os << row.name;
}

const EditorRow kEditorRows[] = {
    {"LastFridayOfNovember",
     Holiday(12, 9, "", 0, 0, esNew),
     [](QDialog& f) {
         C<QLineEdit>(f, "edit_HolidayName")->setText("Black Friday");
         Click(f, "rBtn_VarDate");
         Choose(f, "comboBox_Months2", "November");
         Choose(f, "comboBox_NumsOfWeek", "Last");
         Choose(f, "comboBox_DaysOfWeek", "Friday");
     },
     "Add New Holiday",
     Holiday(11, 0, "Black Friday", 5, 5, esAccepted),
     {}},
    {"SundayRuleStoresSevenAgain",
     Holiday(5, 0, "Mother's Day", 7, 2),
     [](QDialog& f) { EXPECT_EQ(C<QComboBox>(f, "comboBox_DaysOfWeek")->currentText(), "Sunday"); },
     "Edit Holiday",
     Holiday(5, 0, "Mother's Day", 7, 2, esAccepted),
     {}},
    {"EmptyNameIsRefused",
     Holiday(3, 17, "St Patrick"),
     [](QDialog& f) { C<QLineEdit>(f, "edit_HolidayName")->clear(); },
     "Edit Holiday",
     Holiday(3, 17, "St Patrick"),
     {"Enter holiday's name!"}},
    {"TwentyNinthOfFebruaryShowsTheTwentyEighth",
     Holiday(2, 29, "Leap"),
     [](QDialog&) {},
     "Edit Holiday",
     Holiday(2, 28, "Leap", 0, 0, esAccepted),
     {}},
    {"LongNameIsKeptWhole",
     Holiday(3, 17, QString(300, u'n')),
     [](QDialog&) {},
     "Edit Holiday",
     Holiday(3, 17, QString(300, u'n'), 0, 0, esAccepted),
     {}},
    {"DamagedRuleOpensOnTheFirstItems",
     Holiday(13, 0, "Odd", 9, 8),
     [](QDialog&) {},
     "Edit Holiday",
     Holiday(1, 0, "Odd", 7, 1, esAccepted),
     {}},
};

class HolidayEditor : public ::testing::TestWithParam<EditorRow> {};

}  // namespace

TEST_P(HolidayEditor, WritesTheDateRuleOnOkOnly) {
    const EditorRow& row = GetParam();
    ScopedDialogScript script;
    TvnHolidayParams record = row.in;
    TFormHolidayOptions form(nullptr, &record);
    form.show();
    EXPECT_EQ(form.windowTitle(), row.caption);
    row.drive(form);
    Click(form, "btnOK");
    EXPECT_EQ(form.isVisible(), !row.messages.isEmpty());  // a refused OK keeps it open
    EXPECT_EQ(script.Messages(), row.messages);
    EXPECT_EQ(std::tie(record.Month, record.Day, record.DayOfWeek, record.NumOfWeek),
              std::tie(row.out.Month, row.out.Day, row.out.DayOfWeek, row.out.NumOfWeek));
    EXPECT_EQ(record.Name, row.out.Name);
    EXPECT_EQ(record.EditState, row.out.EditState);
    // The enabled lists are always those of the chosen kind of date.
    const bool fixed = C<QRadioButton>(form, "rBtn_FixedDate")->isChecked();
    EXPECT_EQ(C(form, "comboBox_Days")->isEnabled(), fixed);
    EXPECT_EQ(C(form, "comboBox_DaysOfWeek")->isEnabled(), !fixed);
}

INSTANTIATE_TEST_SUITE_P(Rows, HolidayEditor, ::testing::ValuesIn(kEditorRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HolidayEditor, OffersEachMonthItsDaysOfACommonYearAndSelectsTheFirst) {
    TvnHolidayParams record = Holiday(1, 31, "Any");
    TFormHolidayOptions form(nullptr, &record);
    auto* months = C<QComboBox>(form, "comboBox_Months");
    auto* days = C<QComboBox>(form, "comboBox_Days");
    EXPECT_EQ(days->currentText(), "31");
    for (int month = 12; month >= 1; --month) {
        days->setCurrentIndex(days->count() - 1);
        months->setCurrentIndex(month - 1);
        EXPECT_EQ(days->count(), DaysPerMonth(2023, month)) << "month " << month;
        EXPECT_EQ(days->currentText(), "1") << "month " << month;
    }
    C<QLineEdit>(form, "edit_HolidayName")->setText("Last but one of November");
    Choose(form, "comboBox_Months", "November");
    Choose(form, "comboBox_Days", "29");
    form.grab().save(TestOutputDir() + "/holiday_options.png");
}

namespace {

QStringList Column(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

QString Abbrev(int month) {
    return FormatSettings().ShortMonthNames[month - 1];
}

}  // namespace

TEST(HolidaysList, OrdersByMonthThenDayAndShowsTheDateRules) {
    ScopedFormat format(DottedFormatSettings());
    TvnHolidayRecords records;
    for (const TvnHolidayParams& h :
         {Holiday(12, 25, "Christmas"), Holiday(11, 0, "Thanksgiving", 4, 4),
          Holiday(12, 0, "Advent", 7, 1), Holiday(11, 30, "St Andrew"),
          Holiday(13, 0, "Month 13", 1, 1), Holiday(0, 4, "Month 0"),
          Holiday(6, 0, "Weekday 9", 9, 2), Holiday(6, 40, "Day 40")})
        records.push_back(std::make_unique<TvnHolidayParams>(h));
    int sent = 0;
    TFormHolidays form(nullptr, std::move(records), [&](int, TvnHolidayParams*) { return ++sent; });
    const auto* list = C<QTreeWidget>(form, "listView_Holidays");
    EXPECT_EQ(Column(list, 0), (QStringList{"Month 0", "Weekday 9", "Day 40", "Thanksgiving",
                                            "St Andrew", "Advent", "Christmas", "Month 13"}));
    const QString placeholder = Column(list, 1).first();
    EXPECT_EQ(Column(list, 1),
              (QStringList{placeholder, placeholder, placeholder, Abbrev(11) + ", fourth Thursday",
                           Abbrev(11) + ", 30", Abbrev(12) + ", first Sunday", Abbrev(12) + ", 25",
                           placeholder}));
    EXPECT_FALSE(placeholder.contains(Abbrev(1)));
    EXPECT_EQ(sent, 0);  // showing changes no row

    ScopedDialogScript script;
    Click(form, "btnEdit");
    Click(form, "btnDelete");
    EXPECT_EQ(script.Messages(), QStringList(2, "No item has been selected!"));
    form.show();
    form.grab().save(TestOutputDir() + "/holidays_list.png");
}

TEST(HolidaysList, TenThousandRowsOfAnyNumbersAreListed) {
    TvnHolidayRecords records;
    QRandomGenerator random(2026);
    for (int i = 0; i < 10000; ++i) {
        auto h = std::make_unique<TvnHolidayParams>();
        h->Month = uint16_t(random.bounded(65536));
        h->Day = uint16_t(i % 3 ? random.bounded(65536) : 0);
        h->DayOfWeek = uint16_t(random.bounded(65536));
        h->NumOfWeek = uint16_t(random.bounded(8));
        records.push_back(std::move(h));
    }
    TFormHolidays form(nullptr, std::move(records), [](int, TvnHolidayParams*) { return 1; });
    const auto* list = C<QTreeWidget>(form, "listView_Holidays");
    ASSERT_EQ(list->topLevelItemCount(), 10000);
    for (int i = 1; i < list->topLevelItemCount(); ++i)
        ASSERT_LE(TFormHolidays::HolidayOf(list->topLevelItem(i - 1))->Month,
                  TFormHolidays::HolidayOf(list->topLevelItem(i))->Month);
}

namespace {

// A started main window on a data folder of the test's own, showing
// December 2026.
struct HolidayWindow : TStartedWindow {
    HolidayWindow() {
        EXPECT_TRUE(started);
        window->show();
    }
    // Whether the calendar shows a holiday in the cell of a day.
    bool ShowsHoliday(int day) const {
        int col, row;
        Cal().DateToCell(At(2026, 12, day), col, row);
        return Cal().HolidayBookmarks[col][row] != "0";
    }
    // "Name month/day/weekday/week" of every stored holiday, read by a
    // second connection.
    QStringList StoredHolidays() const {
        TADOConnection other;
        other.ConnectionString = DatabaseConnectionString(DatabaseFilePath());
        other.Open();
        TADOTable t(&other);
        t.SetTableName(QStringLiteral("Holidays"));
        t.Open();
        QStringList rows;
        for (t.First(); !t.Eof(); t.Next()) {
            if (t.FieldByName("ID")->AsInteger() <= 1) continue;
            QStringList values{t.FieldByName("Name")->AsString()};
            for (const char* f : {"Month", "Day", "DayOfWeek", "NumOfWeek"})
                values << QString::number(t.FieldByName(f)->AsInteger());
            rows << values.join(' ');
        }
        return rows;
    }
};

void Select(QDialog& list, const QString& name) {
    auto* view = C<QTreeWidget>(list, "listView_Holidays");
    const QList<QTreeWidgetItem*> found = view->findItems(name, Qt::MatchExactly, 0);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    view->setCurrentItem(found.first());
}

// The editor's answer: a name and a fixed day of December.
std::function<void(QDialog&)> DecemberDay(const QString& name, int day) {
    return [name, day](QDialog& f) {
        C<QLineEdit>(f, "edit_HolidayName")->setText(name);
        Click(f, "rBtn_FixedDate");
        Choose(f, "comboBox_Months", "December");
        Choose(f, "comboBox_Days", QString::number(day));
        Click(f, "btnOK");
    };
}

}  // namespace

TEST(HolidaysManagement, AddEditDeleteReachTheCalendarWithTheReminderHeldOff) {
    ScopedDialogScript script;
    HolidayWindow w;
    script.Modal([&](QDialog& f) {
        EXPECT_EQ(f.windowTitle(), "Add New Holiday");
        EXPECT_EQ(C<QComboBox>(f, "comboBox_Months")->currentText(), "December");
        EXPECT_EQ(C<QComboBox>(f, "comboBox_Days")->currentText(), "9");
        Click(f, "btnCancel");
    });
    w.Trigger("mMenu_AddHoliday");
    EXPECT_TRUE(w.StoredHolidays().isEmpty());

    script.Modal([&](QDialog& list) {
        EXPECT_FALSE(w.Cal().FReminderEnabled);
        Click(list, "btnAdd");
        EXPECT_TRUE(w.ShowsHoliday(24));
        Select(list, "Winter party");
        Click(list, "btnEdit");
        EXPECT_FALSE(w.ShowsHoliday(24));
        EXPECT_TRUE(w.ShowsHoliday(25));  // the last Friday of December 2026
        EXPECT_EQ(Column(C<QTreeWidget>(list, "listView_Holidays"), 1),
                  QStringList{Abbrev(12) + ", last Friday"});
        Click(list, "btnDelete");
        EXPECT_FALSE(w.ShowsHoliday(25));
        EXPECT_EQ(C<QTreeWidget>(list, "listView_Holidays")->topLevelItemCount(), 0);
        Click(list, "btnOK");
    });
    script.Modal(DecemberDay("Winter party", 24));
    script.Modal([](QDialog& f) {
        EXPECT_EQ(f.windowTitle(), "Edit Holiday");
        Click(f, "rBtn_VarDate");
        Choose(f, "comboBox_Months2", "December");
        Choose(f, "comboBox_NumsOfWeek", "Last");
        Choose(f, "comboBox_DaysOfWeek", "Friday");
        Click(f, "btnOK");
    });
    w.Trigger("mMenu_ToolsHolidays");
    EXPECT_TRUE(w.Cal().FReminderEnabled);
    EXPECT_TRUE(w.StoredHolidays().isEmpty());
}

TEST(HolidaysManagement, SameDateRuleKeepsOneHolidayAndDamagedRowsStayUntouched) {
    ScopedDialogScript script;
    HolidayWindow w;
    // Xmas carries a stray weekday, as another program may write: an add on
    // its month and day still overwrites it, and its entry must go with it,
    // or editing or deleting that entry would hit the new holiday.
    for (TvnHolidayParams h : {Holiday(12, 25, "Xmas", 3, 0), Holiday(12, 26, "Boxing Day"),
                               Holiday(13, 0, "Foreign", 9, 8)}) {
        h.ID = 0;
        w.Cal().AddHoliday(&h);
    }
    const QString foreign = w.StoredHolidays().last();
    script.Modal([&](QDialog& list) {
        auto* view = C<QTreeWidget>(list, "listView_Holidays");
        Click(list, "btnAdd");  // Christmas on the 25th takes the place of Xmas
        EXPECT_EQ(Column(view, 0), (QStringList{"Christmas", "Boxing Day", "Foreign"}));
        Select(list, "Boxing Day");
        Click(list, "btnEdit");  // moved onto the 25th: Christmas goes
        EXPECT_EQ(Column(view, 0), (QStringList{"Boxing Day", "Foreign"}));
        Click(list, "btnOK");
    });
    script.Modal(DecemberDay("Christmas", 25));
    script.Modal(DecemberDay("Boxing Day", 25));
    w.Trigger("mMenu_ToolsHolidays");
    EXPECT_EQ(w.StoredHolidays(), (QStringList{"Boxing Day 12 25 0 0", foreign}));
    EXPECT_TRUE(w.ShowsHoliday(25));
    EXPECT_FALSE(w.ShowsHoliday(26));
}
