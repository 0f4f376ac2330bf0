// The item lines of a day: start times before the descriptions, and one
// order (all-day events, then by time, then by description, then notes)
// shared by the painting and the selection.
#include <gtest/gtest.h>

#include <QDir>
#include <QFontMetrics>
#include <QTest>

#include "support/BoundCalendar.h"

namespace {

struct TextRow {
    const char* name;
    const char* timeFormat;
    bool useStartTime;
    TDateTime start;
    const char* text;
};

class EventItemTexts : public ::testing::TestWithParam<TextRow> {};

TEST_P(EventItemTexts, StartTimeInTheShortTimeFormatBeforeTheDescription) {
    const TextRow& row = GetParam();
    TFormatSettings fs = DottedFormatSettings();
    fs.ShortTimeFormat = QString::fromLatin1(row.timeFormat);
    ScopedFormat format(fs);
    EXPECT_EQ(
        TvnDBDrawCalendar::EventItemText(QStringLiteral("Dentist"), row.useStartTime, row.start),
        QString::fromUtf8(row.text));
}

const TextRow kTextRows[] = {
    {"TwentyFourHours", "hh:nn", true, At(2024, 3, 13, 9, 30), "09:30 Dentist"},
    {"TwelveHours", "h:nn am/pm", true, At(2024, 3, 13, 21, 5), "9:05 pm Dentist"},
    {"Midnight", "hh:nn", true, At(2024, 3, 13), "00:00 Dentist"},
    {"AllDay", "hh:nn", false, At(2024, 3, 13, 9, 30), "Dentist"},
};

INSTANTIATE_TEST_SUITE_P(Rows, EventItemTexts, ::testing::ValuesIn(kTextRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Adds, out of order, the items of Wednesday 13 March 2024; the order the
// day lists them in.
QStringList FillDay(TestDatabase& db) {
    const EventColumns timed{.useStartTime = true};
    db.AddEvent(0, "Dentist", At(2024, 3, 13, 9, 30), timed);
    db.AddNote(0, At(2024, 3, 13), "Shopping list");
    db.AddEvent(0, "Zoo", At(2024, 3, 13));
    db.AddEvent(0, "Breakfast", At(2024, 3, 13, 8, 0), timed);
    db.AddEvent(0, "call mother", At(2024, 3, 13, 9, 30), timed);
    // A weekly series started long ago at 07:15 lists by its time of day.
    db.AddEvent(0, "Gym", At(2024, 1, 3, 7, 15),
                {.recurrence = rkWeekly, .nParam = 1, .useStartTime = true});
    db.AddEvent(0, "anniversary", At(2024, 3, 13, 18, 0));  // no start time: all day
    return {"anniversary", "Zoo", "Gym", "Breakfast", "call mother", "Dentist", "Shopping list"};
}

// The description or title behind each item line of a cell, as the mouse
// selects them one after the other.
QStringList SelectedLines(TvnDBDrawCalendar& c, int col, int row, int count) {
    QStringList lines;
    for (int k = 0; k < count; ++k) {
        const TRect cell = c.GetCellRect(col, row);
        c.MouseDown(Qt::LeftButton, {}, cell.Left + 30,
                    cell.Top + c.DayNumberHeight + k * c.ItemHeight + c.ItemHeight / 2);
        if (!c.ItemIsSelected()) break;
        lines << (c.SelEvent.ID != -1 ? c.SelEvent.Desc : c.SelNotes.Title);
    }
    return lines;
}

// The rightmost dark pixel of each item line: the painted text's extent.
std::vector<int> InkEnds(TvnDBDrawCalendar& c, const TRect& cell, int count) {
    const QImage& image = c.BackBuffer();
    std::vector<int> ends;
    for (int k = 0; k < count; ++k) {
        const int top = cell.Top + c.DayNumberHeight + k * c.ItemHeight + 2;
        int end = 0;
        for (int y = top; y < top + c.ItemHeight - 2; ++y)
            for (int x = cell.Left + 22; x < cell.Right - 2; ++x) {
                const QRgb p = image.pixel(x, y);
                if (qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100) end = std::max(end, x);
            }
        ends.push_back(end);
    }
    return ends;
}

struct ViewRow {
    const char* name;
    TvnViewModes view;
    int col, row;  // the cell of 13 March
};

class DayItemOrder : public ::testing::TestWithParam<ViewRow> {};

TEST_P(DayItemOrder, PaintedAndSelectedLinesFollowTimeThenDescription) {
    const ViewRow& v = GetParam();
    TFormatSettings fs = DottedFormatSettings();
    fs.ShortTimeFormat = QStringLiteral("hh:nn");
    ScopedFormat format(fs);
    BoundCalendar b(At(2024, 3, 13, 11, 0), 1000, 900);
    TvnDBDrawCalendar& c = b.cal;
    c.PaintCurrDate = false;
    c.PaintWeekends = false;
    const QStringList expected = FillDay(b.db);
    b.Show(v.view, At(2024, 3, 13));
    c.FlushPaint();
    EXPECT_EQ(SelectedLines(c, v.col, v.row, expected.size()), expected);
    if (v.view == vmDay) return;  // the day view's columns end elsewhere
    // Each painted line is as long as the text expected on it, times included.
    c.SetSelectItemDefData(true);
    c.Invalidate();
    const TRect cell = c.GetCellRect(v.col, v.row);
    const QStringList texts = {"anniversary",       "Zoo",          "07:15 Gym", "08:00 Breakfast",
                               "09:30 call mother", "09:30 Dentist"};
    const std::vector<int> painted = InkEnds(c, cell, texts.size());
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(-c.ItemFontHeight);
    const QFontMetrics metrics(font);
    for (int k = 0; k < texts.size(); ++k)
        EXPECT_NEAR(painted[k], cell.Left + 22 + metrics.horizontalAdvance(texts[k]), 4)
            << texts[k].toStdString();
}

const ViewRow kViewRows[] = {
    {"Month", vmMonth, 2, 2},
    {"Week", vmWeek, 2, 0},
    {"Day", vmDay, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Views, DayItemOrder, ::testing::ValuesIn(kViewRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// Month, week and year views with timed items and the focused day framed,
// saved for a person to look at.
TEST(CalendarItemRender, TimesAndTheFocusedDayInTheMonthWeekAndYearViews) {
    TFormatSettings fs = DottedFormatSettings();
    fs.ShortTimeFormat = QStringLiteral("hh:nn");
    ScopedFormat format(fs);
    BoundCalendar b(At(2024, 3, 13, 11, 0), 1000, 700);
    TvnDBDrawCalendar& c = b.cal;
    FillDay(b.db);
    b.db.AddEvent(0, "Team meeting", At(2024, 3, 4, 10, 0),
                  {.recurrence = rkWeekly, .nParam = 1, .useStartTime = true});
    c.show();
    c.activateWindow();
    c.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&c));
    const QDir out(TestOutputDir());
    QTest::keyClick(&c, Qt::Key_Right);  // the focused day is 14 March, today 13 March
    c.UpdateCalendar();
    EXPECT_TRUE(c.BackBuffer().save(out.filePath("keys-month-times-focus.png")));
    c.SelectedDate = c.FocusedDate();
    c.SetViewMode(vmWeek);
    QTest::keyClick(&c, Qt::Key_Left);
    EXPECT_TRUE(c.BackBuffer().save(out.filePath("keys-week-times-focus.png")));
    c.SelectedDate = c.FocusedDate();
    c.SetViewMode(vmYear);
    QTest::keyClick(&c, Qt::Key_Down);  // 20 March
    EXPECT_EQ(c.FocusedDate(), At(2024, 3, 20));
    EXPECT_TRUE(c.BackBuffer().save(out.filePath("keys-year-today-focus.png")));
}

}  // namespace

namespace {

class KeyItemSelection : public ::testing::TestWithParam<ViewRow> {};

// Ctrl+Down and Ctrl+Up walk the focused day's lines in the listed order,
// scrolling a full cell to the line they select.
TEST_P(KeyItemSelection, CtrlDownAndUpWalkTheFocusedDaysLines) {
    const ViewRow& v = GetParam();
    TFormatSettings fs = DottedFormatSettings();
    fs.ShortTimeFormat = QStringLiteral("hh:nn");
    ScopedFormat format(fs);
    BoundCalendar b(At(2024, 3, 13, 11, 0), 1000, 700);
    TvnDBDrawCalendar& c = b.cal;
    const QStringList expected = FillDay(b.db);
    b.Show(v.view, At(2024, 3, 13));
    auto selected = [&] {
        if (!c.ItemIsSelected()) return QString();
        return c.SelEvent.ID != -1 ? c.SelEvent.Desc : c.SelNotes.Title;
    };
    QStringList walked;
    for (int k = 0; k < expected.size() + 1; ++k) {
        QTest::keyClick(&c, Qt::Key_Down, Qt::ControlModifier);
        walked << selected();
        EXPECT_EQ(c.SelCol, v.col);
        EXPECT_EQ(c.SelRow, v.row);
    }
    QStringList down = expected;
    down << expected.last();  // the last line stays selected
    EXPECT_EQ(walked, down);
    QTest::keyClick(&c, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(selected(), expected[expected.size() - 2]);
    // Moving the focused day drops the selection; Ctrl+Up then takes the last line.
    QTest::keyClick(&c, Qt::Key_Right);
    QTest::keyClick(&c, Qt::Key_Left);
    EXPECT_FALSE(c.ItemIsSelected());
    QTest::keyClick(&c, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(selected(), expected.last());
}

INSTANTIATE_TEST_SUITE_P(Views, KeyItemSelection, ::testing::ValuesIn(kViewRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
