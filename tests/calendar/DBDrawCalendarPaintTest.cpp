// Painting with data, item selection and cell scroll bars, read back from the
// control's buffer.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <functional>

#include "support/BoundCalendar.h"

namespace {

QRgb Px(TvnDBDrawCalendar& c, int x, int y) {
    return c.BackBuffer().pixel(x, y) | 0xFF000000u;
}

QRgb Rgb(TColor color) {
    return ColorToRgb(color) | 0xFF000000u;
}

int Count(TvnDBDrawCalendar& c, const TRect& r, const std::function<bool(QRgb)>& test) {
    const QImage& image = c.BackBuffer();
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(r.Bottom, image.height()); ++y)
        for (int x = std::max(0, r.Left); x < std::min(r.Right, image.width()); ++x)
            n += test(image.pixel(x, y));
    return n;
}

bool Dark(QRgb p) {
    return qRed(p) < 20 && qGreen(p) < 20 && qBlue(p) < 20;
}

// White text, allowing for the smoothing of small glyphs.
bool White(QRgb p) {
    return qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) > 180;
}

// Pixels of the item pictures (see tools/make_item_icons.py).
constexpr QRgb kEventBlue = 0xFF1040C0;       // "Event", row 10, columns 7..9
constexpr QRgb kRecurringGreen = 0xFF109020;  // "EventR", row 7, columns 6..9
constexpr QRgb kNotesYellow = 0xFFFFE860;     // "Notes", row 7, columns 3..13
constexpr QRgb kSeparator = 0xFF0080FF;       // 0xFF8000 as RGB

// Top of item line k of a cell (the separator line's row).
int LineTop(const TvnDBDrawCalendar& c, const TRect& cell, int k) {
    return cell.Top + c.DayNumberHeight + k * c.ItemHeight + 1;
}

}  // namespace

TEST(DBDrawCalendarPaint, DayColourWinsOverToday) {
    BoundCalendar b(At(2024, 3, 13, 10, 0));
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddColor(0, At(2024, 3, 13), clYellow);
    b.db.AddColor(0, At(2024, 3, 20), clAqua);
    b.db.AddColor(3, At(2024, 3, 21), clRed);
    c.UpdateCalendar();
    c.BackBuffer();
    const TRect today = c.GetCellRect(2, 2), next = c.GetCellRect(2, 3);
    EXPECT_SAME_PIXEL(Px(c, today.Right - 3, today.Bottom - 3), Rgb(clYellow));
    EXPECT_SAME_PIXEL(Px(c, next.Right - 3, next.Bottom - 3), Rgb(clAqua));
    const TRect other = c.GetCellRect(3, 3);
    EXPECT_SAME_PIXEL(Px(c, other.Right - 3, other.Bottom - 3), Rgb(clBtnFace));
    c.UpdateCell(At(2024, 3, 13));
    EXPECT_SAME_PIXEL(Px(c, today.Right - 3, today.Bottom - 3), Rgb(clYellow));
    c.SelectedDate = At(2024, 3, 13);
    c.DeleteBColor();
    EXPECT_SAME_PIXEL(Px(c, today.Right - 3, today.Bottom - 3), Rgb(c.ColorCurrDay));
}

TEST(DBDrawCalendarPaint, ItemLinesClipAtTheCellsBottom) {
    // 643 pixels high: cells of 100 pixels, 21 for the day number, lines of 18.
    BoundCalendar b(At(2024, 3, 1), 700, 643);
    TvnDBDrawCalendar& c = b.cal;
    const TDateTime day = At(2024, 3, 12);
    // A day lists its all-day events by description: the numbers keep them
    // in the order they were added.
    b.db.AddEvent(0, "0 once", day);
    b.db.AddEvent(0, "1 once", day);
    for (int i = 2; i < 5; ++i)
        b.db.AddEvent(0, QString("%1 daily").arg(i), day, {.recurrence = rkDaily});
    b.db.AddNote(0, day, "note 5");
    c.UpdateCalendar();
    c.BackBuffer();
    const TRect cell = c.GetCellRect(1, 2);
    ASSERT_EQ(cell.Height(), 100);
    const int x1 = cell.Left + 5;
    for (int k = 0; k < 5; ++k)
        EXPECT_SAME_PIXEL(Px(c, cell.Right - 7, LineTop(c, cell, k)), kSeparator) << "line " << k;
    EXPECT_SAME_PIXEL(Px(c, x1 + 8, LineTop(c, cell, 0) + 10), kEventBlue);
    EXPECT_SAME_PIXEL(Px(c, x1 + 6, LineTop(c, cell, 2) + 7), kRecurringGreen);
    // Line 4 has 6 pixels of room: an icon 5 pixels high (rows 0..4).
    EXPECT_SAME_PIXEL(Px(c, x1 + 3, LineTop(c, cell, 4) + 4), 0xFFC81010u);
    EXPECT_OTHER_PIXEL(Px(c, x1 + 3, LineTop(c, cell, 4) + 5), 0xFF202020u);
    EXPECT_EQ(Count(c, cell, [](QRgb p) { return (p | 0xFF000000u) == kNotesYellow; }), 0);

    QScrollBar* bar = c.CellScrollBar(1, 2);
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->maximum(), 2);
    EXPECT_EQ(bar->geometry(), QRect(cell.Right - 16, cell.Top + 2, 15, 97));
    bar->setValue(2);
    EXPECT_SAME_PIXEL(Px(c, x1 + 6, LineTop(c, cell, 0) + 7), kRecurringGreen);
    EXPECT_SAME_PIXEL(Px(c, x1 + 6, LineTop(c, cell, 2) + 7), kRecurringGreen);
    EXPECT_SAME_PIXEL(Px(c, x1 + 6, LineTop(c, cell, 3) + 7), kNotesYellow);
    EXPECT_EQ(Count(c, cell, [](QRgb p) { return (p | 0xFF000000u) == kEventBlue; }), 0);
    EXPECT_OTHER_PIXEL(Px(c, cell.Right - 20, LineTop(c, cell, 4)), kSeparator);
    // The position survives a full repaint of the same view.
    c.Invalidate();
    EXPECT_SAME_PIXEL(Px(c, x1 + 6, LineTop(c, cell, 3) + 7), kNotesYellow);
    EXPECT_EQ(bar->value(), 2);
}

TEST(DBDrawCalendarPaint, ShortWindowShowedScrollBarsOnEmptyCells) {
    // 150 pixels high: cells of 17 pixels, lower than the day-number band.
    BoundCalendar b(At(2024, 3, 1), 700, 150);
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddEvent(0, "one", At(2024, 3, 12));
    c.UpdateCalendar();
    c.BackBuffer();
    ASSERT_LT(c.GetCellRect(1, 2).Height(), c.DayNumberHeight);
    int shown = 0;
    for (int col = 0; col < 7; ++col)
        for (int row = 0; row < 6; ++row)
            shown += !c.CellScrollBar(col, row)->isHidden();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(c.CellScrollBar(1, 2)->maximum(), 1);  // no more lines than items
}

TEST(DBDrawCalendarPaint, ClickOnThirdVisibleLineOfScrolledCell) {
    BoundCalendar b(At(2024, 3, 1), 700, 400);  // cells 59 pixels high
    TvnDBDrawCalendar& c = b.cal;
    const TDateTime day = At(2024, 3, 12);
    for (int i = 0; i < 3; ++i)
        b.db.AddEvent(0, QString("event %1").arg(i), day);
    b.db.AddNote(0, day, "first notes");
    const int second = b.db.AddNote(0, day, "second notes");
    c.UpdateCalendar();
    c.BackBuffer();
    QScrollBar* bar = c.CellScrollBar(1, 2);
    ASSERT_FALSE(bar->isHidden());
    ASSERT_GE(bar->maximum(), 2);
    bar->setValue(2);
    const TRect cell = c.GetCellRect(1, 2);
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, LineTop(c, cell, 2));
    EXPECT_EQ(c.SelItem, 2);
    EXPECT_TRUE(c.ItemIsSelected());
    EXPECT_EQ(c.SelEvent.ID, -1);
    EXPECT_EQ(c.SelNotes.ID, second);
    EXPECT_EQ(c.SelNotes.Title, "second notes");
    EXPECT_TIME_EQ(c.SelectedDate, day);
    EXPECT_FALSE(c.SpecialFilter);
    EXPECT_EQ(b.db.Table(tsNotes).Filter(), c.RangeFilter + " AND UserID = 0");

    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, LineTop(c, cell, 0) + 3);
    EXPECT_EQ(c.SelEvent.Desc, "event 2");
    EXPECT_SAME_PIXEL(Px(c, cell.Right - 10, LineTop(c, cell, 0) + 5), Rgb(clNavy));
}

TEST(DBDrawCalendarPaint, ClickBelowLastItemRemovesTheBar) {
    BoundCalendar b(At(2024, 3, 1));
    TvnDBDrawCalendar& c = b.cal;
    const int id = b.db.AddEvent(0, "only", At(2024, 3, 12));
    c.UpdateCalendar();
    c.BackBuffer();
    const TRect cell = c.GetCellRect(1, 2);
    const QPoint bar(cell.Right - 10, LineTop(c, cell, 0) + 5);
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, LineTop(c, cell, 0) + 4);
    EXPECT_EQ(c.SelEvent.ID, id);
    EXPECT_SAME_PIXEL(Px(c, bar.x(), bar.y()), Rgb(clNavy));
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, LineTop(c, cell, 2) + 4);
    EXPECT_FALSE(c.ItemIsSelected());
    EXPECT_OTHER_PIXEL(Px(c, bar.x(), bar.y()), Rgb(clNavy));
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, LineTop(c, cell, 0) + 4);
    EXPECT_SAME_PIXEL(Px(c, bar.x(), bar.y()), Rgb(clNavy));
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, cell.Top + 5);  // day-number band
    EXPECT_FALSE(c.ItemIsSelected());
    EXPECT_OTHER_PIXEL(Px(c, bar.x(), bar.y()), Rgb(clNavy));
    EXPECT_EQ(c.SelEvent.ID, id);  // a press that selects nothing keeps the last record
}

TEST(DBDrawCalendarPaint, RightPressPaintsEverythingWhite) {
    BoundCalendar b(At(2024, 3, 1));
    TvnDBDrawCalendar& c = b.cal;
    const TDateTime day = At(2024, 3, 12);
    b.db.AddHoliday(3, 12, "Holiday");
    b.db.AddEvent(0, "Event text", day);
    b.db.AddNote(0, day, "Notes text");
    c.UpdateCalendar();
    c.BackBuffer();
    const TRect cell = c.GetCellRect(1, 2);
    const TRect inner{cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1};
    EXPECT_GT(Count(c, inner, Dark), 20);
    c.MouseDown(Qt::RightButton, {}, cell.Left + 4, cell.Top + 4);
    EXPECT_EQ(c.SelItem, -1);
    EXPECT_SAME_PIXEL(Px(c, cell.Right - 3, cell.Bottom - 3), Rgb(clNavy));
    EXPECT_EQ(Count(c, inner, Dark), 0);
    const TRect holiday{cell.Left + 20, cell.Top + 1, cell.Right - 1, cell.Top + 18};
    EXPECT_GT(Count(c, holiday, White), 5);
    const TRect items{cell.Left + 23, LineTop(c, cell, 0), cell.Right - 5, LineTop(c, cell, 2)};
    EXPECT_GT(Count(c, items, White), 20);
    c.MouseUp(Qt::RightButton, {}, cell.Left + 4, cell.Top + 4);
    EXPECT_SAME_PIXEL(Px(c, cell.Right - 3, cell.Bottom - 3), Rgb(clBtnFace));
    EXPECT_GT(Count(c, inner, Dark), 20);
}

TEST(DBDrawCalendarPaint, ViewsShowTheirData) {
    BoundCalendar b(At(2024, 3, 13));
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddColor(0, At(2024, 3, 12), clAqua);
    b.db.AddHoliday(3, 12, "Holiday");
    b.db.AddEvent(0, "event", At(2024, 3, 12));
    c.UpdateCalendar();
    auto separators = [&] {
        return Count(c, TRect{0, 0, c.width(), c.height()},
                     [](QRgb p) { return (p | 0xFF000000u) == kSeparator; });
    };
    b.Show(vmWeek, At(2024, 3, 12));
    c.BackBuffer();
    const TRect week = c.GetCellRect(1, 0);
    EXPECT_SAME_PIXEL(Px(c, week.Right - 3, week.Bottom - 3), Rgb(clAqua));
    EXPECT_GT(separators(), 10);
    b.Show(vmYear, At(2024, 3, 12));
    EXPECT_EQ(separators(), 0);
    EXPECT_EQ(Count(c, TRect{0, 0, c.width(), c.height()},
                    [](QRgb p) { return (p | 0xFF000000u) == Rgb(clAqua); }),
              0);
    b.Show(vmDay, At(2024, 3, 12));
    c.BackBuffer();
    const TRect cell = c.GetCellRect(0, 0);
    EXPECT_OTHER_PIXEL(Px(c, cell.Right - 3, cell.Bottom - 3), Rgb(clAqua));
    EXPECT_GT(separators(), 10);
    const TRect band{cell.Left + 25, cell.Top + 1, cell.Left + 200, cell.Top + 18};
    EXPECT_EQ(Count(c, band, Dark), 0);  // no holiday name in the day view
}

TEST(DBDrawCalendarPaint, SpecialFilterStopsDataPaintingAndClicks) {
    BoundCalendar b(At(2024, 3, 1));
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddEvent(0, "event", At(2024, 3, 12));
    c.UpdateCalendar();
    c.SetFilter(tsEvents, "Completed = FALSE", true);
    c.Invalidate();
    c.BackBuffer();
    const TRect cell = c.GetCellRect(1, 2);
    EXPECT_OTHER_PIXEL(Px(c, cell.Right - 7, LineTop(c, cell, 0)), kSeparator);
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, LineTop(c, cell, 0) + 4);
    EXPECT_FALSE(c.SelEvent.ID > 0);
    c.SetFilter(tsEvents, QString(), false);
    c.Invalidate();
    EXPECT_SAME_PIXEL(Px(c, cell.Right - 7, LineTop(c, cell, 0)), kSeparator);
}

TEST(DBDrawCalendarPaint, ResizeHidesBarsAndForgetsSelection) {
    BoundCalendar b(At(2024, 3, 1), 700, 400);
    TvnDBDrawCalendar& c = b.cal;
    c.show();  // a hidden widget hears of its new size only when shown
    for (int i = 0; i < 6; ++i)
        b.db.AddEvent(0, "e", At(2024, 3, 12));
    c.UpdateCalendar();
    c.BackBuffer();
    const TRect cell = c.GetCellRect(1, 2);
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, LineTop(c, cell, 0) + 4);
    ASSERT_TRUE(c.ItemIsSelected());
    ASSERT_FALSE(c.CellScrollBar(1, 2)->isHidden());
    c.resize(800, 600);
    EXPECT_TRUE(c.CellScrollBar(1, 2)->isHidden());
    EXPECT_FALSE(c.ItemIsSelected());
    EXPECT_EQ(c.LastSelItem, -1);
    c.BackBuffer();
    EXPECT_FALSE(c.CellScrollBar(1, 2)->isHidden());
}

TEST(DBDrawCalendarPaint, RowDeletedByAnotherProgramIsSkipped) {
    BoundCalendar b(At(2024, 3, 1));
    TvnDBDrawCalendar& c = b.cal;
    b.db.AddEvent(0, "gone", At(2024, 3, 12));
    b.db.AddHoliday(3, 12, "gone too");
    c.UpdateCalendar();
    {
        TADOConnection other, another;
        TADOTable events(&other), holidays(&another);
        b.db.OpenOther(other, events, "Events");
        events.Delete();
        b.db.OpenOther(another, holidays, "Holidays");
        holidays.SetFilter("ID > 1");
        holidays.SetFiltered(true);
        holidays.Delete();
    }
    QStringList errors;
    c.OnError = [&](TvnDrawCalendar*, const QString& text) { errors << text; };
    c.Invalidate();
    const TRect cell = c.GetCellRect(1, 2);
    EXPECT_OTHER_PIXEL(Px(c, cell.Right - 7, LineTop(c, cell, 0)), kSeparator);
    c.MouseDown(Qt::LeftButton, {}, cell.Left + 30, LineTop(c, cell, 0) + 4);
    EXPECT_FALSE(c.ItemIsSelected());
    c.DrawCell(1, 2, true);
    c.DrawCell(1, 2, false);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
}

TEST(DBDrawCalendarPaint, AbsurdRowsNeverCrashOrHang) {
    BoundCalendar b(At(2024, 3, 1));
    TvnDBDrawCalendar& c = b.cal;
    const TDateTime dates[] = {0, -1, -700000, 3e6, 1e9, At(2024, 3, 5)};
    const int kinds[] = {-1, 0, 3, 6, 7, 99};
    const int intervals[] = {-5, 0, 1, 2147483647};
    int i = 0;
    for (TDateTime d : dates)
        for (int k : kinds)
            for (int n : intervals) {
                b.db.AddEvent(0, QString::number(i), d,
                              {.recurrence = k, .nParam = n, .category = i % 9 - 2});
                ++i;
            }
    b.db.AddEvent(0, QString(), At(2024, 3, 6));
    b.db.AddEvent(0, QString(10000, QChar(u'x')), At(2024, 3, 6));
    b.db.AddNote(0, At(2024, 3, 6), QString(10000, QChar(u'y')));
    b.db.AddNote(0, -1, QString());
    b.db.AddColor(0, 1e9, clRed);
    b.db.AddHoliday(2, 29, "leap");
    b.db.AddHoliday(13, 40, "nonsense");
    b.db.AddHoliday(5, 0, "bad weekday", 9, 7);
    TADOTable& events = b.db.Table(tsEvents);
    events.Append();
    events.FieldByName("UserID")->SetAsInteger(0);
    events.FieldByName("eType")->SetAsInteger(-7);
    events.FieldByName("Date")->SetAsDateTime(At(2024, 3, 7));
    events.Post();
    QStringList errors;
    c.OnError = [&](TvnDrawCalendar*, const QString& text) { errors << text; };
    for (QSize size : {QSize(700, 500), QSize(1, 1), QSize(4000, 3000)}) {
        c.resize(size);
        for (int mode : {vmMonth, vmWeek, vmDay, vmYear}) {
            b.Show(TvnViewModes(mode), At(2024, 3, 6));
            c.BackBuffer();
            c.MouseDown(Qt::LeftButton, {}, size.width() / 3, size.height() / 3);
            c.MouseDown(Qt::RightButton, {}, size.width() / 2, size.height() / 2);
            c.MouseUp(Qt::RightButton, {}, size.width() / 2, size.height() / 2);
        }
        b.Show(vmMonth, EncodeDate(9999, 12, 1));
        c.BackBuffer();
        b.Show(vmMonth, EncodeDate(1, 1, 1));
        c.BackBuffer();
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
}

// A description and a note title of megabytes without a line break (written
// by another program) must not stall the paint of the month or the day view.
TEST(DBDrawCalendarPaint, MegabyteDescriptionPaintsInBoundedTime) {
    BoundCalendar b(At(2024, 3, 13));
    const QString huge(5 * 1024 * 1024, u'x');
    b.db.AddEvent(0, huge, At(2024, 3, 13, 9));
    b.db.AddNote(0, At(2024, 3, 13), huge);
    QElapsedTimer timer;
    timer.start();
    b.cal.UpdateCalendar();
    b.cal.BackBuffer();
    b.Show(vmDay, At(2024, 3, 13));
    b.cal.BackBuffer();
    EXPECT_LT(timer.elapsed(), 2000);
}
