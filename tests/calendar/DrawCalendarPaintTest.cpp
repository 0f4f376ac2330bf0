// Painting of the data-free layers, read back from the control's buffer.
#include <gtest/gtest.h>

#include <QDir>
#include <QFontMetrics>
#include <QImage>

#include "calendar/Vndrawcalendar.h"
#include "platform/DateFormat.h"
#include "support/TestSupport.h"

namespace {

QRgb Pixel(TvnDrawCalendar& c, int x, int y) {
    return c.BackBuffer().pixel(x, y) | 0xFF000000u;
}

QRgb Rgb(TColor color) {
    return ColorToRgb(color) | 0xFF000000u;
}

// A pixel inside a cell away from its day number and outline.
QPoint Inside(const TRect& r) {
    return {r.Right - 4, r.Bottom - 4};
}

// Counts the pixels of a colour in a rectangle of the buffer.
int CountColor(TvnDrawCalendar& c, const TRect& r, TColor color) {
    const QImage& image = c.BackBuffer();
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += (image.pixel(x, y) | 0xFF000000u) == Rgb(color);
    return n;
}

struct MonthFixture {
    MonthFixture() : clock(At(2024, 3, 13, 10, 0)) {
        cal.resize(700, 500);
        cal.SetCalendarDate(At(2024, 3, 13));
        cal.BackBuffer();
    }
    ScopedClock clock;
    TvnDrawCalendar cal;
};

}  // namespace

TEST(DrawCalendarPaint, BackgroundIsRoundedRectInsideClientArea) {
    MonthFixture f;
    TvnDrawCalendar& c = f.cal;
    EXPECT_SAME_PIXEL(Pixel(c, 1, 250), c.palette().color(QPalette::Window).rgb());
    EXPECT_SAME_PIXEL(Pixel(c, 3, 250), Rgb(0xBF9F7F));
    EXPECT_SAME_PIXEL(Pixel(c, 5, 250), Rgb(clBtnFace));
    EXPECT_SAME_PIXEL(Pixel(c, 696, 250), Rgb(0xBF9F7F));
    EXPECT_SAME_PIXEL(Pixel(c, 698, 250), c.palette().color(QPalette::Window).rgb());
}

TEST(DrawCalendarPaint, WeekendAndTodayFillsAndGrid) {
    MonthFixture f;
    TvnDrawCalendar& c = f.cal;
    c.ColorWeekends = clAqua;
    c.Invalidate();
    int col = -1, row = -1;
    c.DateToCell(At(2024, 3, 13), col, row);
    const QPoint today = Inside(c.GetCellRect(col, row));
    EXPECT_SAME_PIXEL(Pixel(c, today.x(), today.y()), Rgb(c.ColorCurrDay));
    for (int r = 0; r < 6; ++r) {
        const QPoint sat = Inside(c.GetCellRect(5, r)), sun = Inside(c.GetCellRect(6, r));
        EXPECT_SAME_PIXEL(Pixel(c, sat.x(), sat.y()), Rgb(clAqua)) << "row " << r;
        EXPECT_SAME_PIXEL(Pixel(c, sun.x(), sun.y()), Rgb(clAqua)) << "row " << r;
    }
    const TRect plain = c.GetCellRect(1, 4);
    EXPECT_SAME_PIXEL(Pixel(c, Inside(plain).x(), Inside(plain).y()), Rgb(clBtnFace));
    EXPECT_SAME_PIXEL(Pixel(c, plain.Left, plain.Top + 20), Rgb(c.ColorGrid));
    EXPECT_SAME_PIXEL(Pixel(c, plain.Right - 1, plain.Top + 20), Rgb(c.ColorGrid));

    c.PaintWeekends = false;
    c.PaintCurrDate = false;
    c.ShowGrid = false;
    c.Invalidate();
    EXPECT_SAME_PIXEL(Pixel(c, today.x(), today.y()), Rgb(clBtnFace));
    EXPECT_SAME_PIXEL(Pixel(c, Inside(c.GetCellRect(6, 0)).x(), Inside(c.GetCellRect(6, 0)).y()),
                      Rgb(clBtnFace));
    EXPECT_SAME_PIXEL(Pixel(c, plain.Left, plain.Top + 20), Rgb(clBtnFace));
}

TEST(DrawCalendarPaint, DayNumbersOutsideTheMonthAreGray) {
    MonthFixture f;
    TvnDrawCalendar& c = f.cal;
    c.ColorFont = clBlack;
    c.Invalidate();
    const TRect leading = c.GetCellRect(0, 0);  // 26 February
    const TRect band{leading.Left + 1, leading.Top + 1, leading.Left + 20, leading.Top + 18};
    EXPECT_GT(CountColor(c, band, TvnDrawCalendar::ColorOutOfMonth), 5);
    EXPECT_EQ(CountColor(c, band, clBlack), 0);
    const TRect inMonth = c.GetCellRect(1, 1);  // 5 March
    const TRect band2{inMonth.Left + 1, inMonth.Top + 1, inMonth.Left + 20, inMonth.Top + 18};
    EXPECT_GT(CountColor(c, band2, clBlack), 5);
}

TEST(DrawCalendarPaint, RightPressHighlightsCellUntilRelease) {
    MonthFixture f;
    TvnDrawCalendar& c = f.cal;
    c.ColorFont = clBlack;
    c.Invalidate();
    const TRect cell = c.GetCellRect(1, 3);
    const TRect band{cell.Left + 1, cell.Top + 1, cell.Left + 22, cell.Top + 18};
    EXPECT_EQ(CountColor(c, band, clWhite), 0);
    c.MouseDown(Qt::RightButton, {}, cell.Left + 4, cell.Top + 4);
    ASSERT_EQ(c.SelItem, -1);
    EXPECT_SAME_PIXEL(Pixel(c, Inside(cell).x(), Inside(cell).y()), Rgb(clNavy));
    EXPECT_GT(CountColor(c, band, clWhite), 5);
    c.MouseUp(Qt::RightButton, {}, cell.Left + 4, cell.Top + 4);
    EXPECT_SAME_PIXEL(Pixel(c, Inside(cell).x(), Inside(cell).y()), Rgb(clBtnFace));
    EXPECT_EQ(CountColor(c, band, clWhite), 0);
    EXPECT_EQ(
        CountColor(c, TRect{cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1}, clNavy),
        0);
}

TEST(DrawCalendarPaint, SingleCellRepaintMatchesFullPaintOverWallpaper) {
    for (int pos : {0, 1}) {
        MonthFixture f;
        TvnDrawCalendar& c = f.cal;
        QImage picture(500, 400, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        c.WallpaperPos = pos;
        c.SetWallpaper(picture);
        const QImage full = c.BackBuffer().copy();
        c.DrawCell(1, 2, false);
        const TRect r = c.GetCellRect(1, 2);
        const QImage cell = c.BackBuffer().copy(r.ToQRect());
        EXPECT_EQ(cell, full.copy(r.ToQRect())) << "wallpaper position " << pos;
    }
}

TEST(DrawCalendarPaint, CentredWallpaperLeavesMarginUnpainted) {
    MonthFixture f;
    TvnDrawCalendar& c = f.cal;
    QImage picture(100, 80, QImage::Format_RGB32);
    picture.fill(qRgb(200, 30, 40));
    c.WallpaperPos = 1;
    c.SetWallpaper(picture);
    EXPECT_SAME_PIXEL(Pixel(c, 5, 5), c.palette().color(QPalette::Window).rgb());
    EXPECT_SAME_PIXEL(Pixel(c, 350, 250) | 0xFF000000u, qRgb(200, 30, 40) | 0xFF000000u);
    c.WallpaperPos = 2;
    c.Invalidate();
    EXPECT_SAME_PIXEL(Pixel(c, 5, 5) | 0xFF000000u, qRgb(200, 30, 40) | 0xFF000000u);
}

TEST(DrawCalendarPaint, YearViewHasNoWeekendFillAndMarksTodayInItsMonthOnly) {
    MonthFixture f;
    TvnDrawCalendar& c = f.cal;
    c.SelectedDate = At(2024, 3, 13);
    c.SetViewMode(vmYear);
    c.ColorWeekends = clAqua;
    c.ColorCurrDay = clLime;
    const TRect all{0, 0, c.width(), c.height()};
    EXPECT_EQ(CountColor(c, all, clAqua), 0);
    // Today is one small box among March's days, no whole cell.
    const TRect march = c.GetCellRect(2, 0);
    const int marked = CountColor(c, march, clLime);
    EXPECT_GT(marked, 20);
    EXPECT_LT(marked, march.Width() * march.Height() / 20);
    EXPECT_EQ(CountColor(c, all, clLime), marked);
    c.PaintCurrDate = false;
    c.Invalidate();
    EXPECT_EQ(CountColor(c, all, clLime), 0);
    c.DrawCell(2, 0, true);  // March highlighted
    EXPECT_SAME_PIXEL(Pixel(c, Inside(c.GetCellRect(2, 0)).x(), Inside(c.GetCellRect(2, 0)).y()),
                      Rgb(clNavy));
}

TEST(DrawCalendarPaint, MonthNameWasPlacedByItsBoldWidth) {
    // The name is placed by its width in the normal face and then drawn bold;
    // "m" is much wider in bold, so the two placements lie apart.
    TFormatSettings names = DottedFormatSettings();
    names.LongMonthNames[0] = QStringLiteral("mmmmmmmmmmmm");
    ScopedFormat format(names);
    MonthFixture f;
    TvnDrawCalendar& c = f.cal;
    c.ColorFont = clBlack;
    c.SelectedDate = At(2024, 1, 10);
    c.SetViewMode(vmYear);
    c.BackBuffer();
    const TRect cell = c.GetCellRect(0, 0);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(-c.DayNumberFontHeight);
    const int normal = QFontMetrics(font).horizontalAdvance(names.LongMonthNames[0]);
    font.setBold(true);
    const int bold = QFontMetrics(font).horizontalAdvance(names.LongMonthNames[0]);
    ASSERT_GE(bold - normal, 6);
    const QImage& image = c.BackBuffer();
    int ink = cell.Right;
    for (int y = cell.Top + 1; y < cell.Top + 1 + c.TitleHeight; ++y)
        for (int x = cell.Left + 1; x < cell.Right - 1; ++x)
            if (qGray(image.pixel(x, y)) < 128) ink = std::min(ink, x);
    const int expected = cell.Left + (cell.Width() - normal) / 2;
    EXPECT_GE(ink, expected);
    EXPECT_LE(ink, expected + 2);
}

TEST(DrawCalendarPaint, ExtremeSizesPaintWithoutFault) {
    ScopedClock clock(At(2024, 3, 13));
    for (QSize size : {QSize(1, 1), QSize(0, 0), QSize(4000, 3000), QSize(30, 500)}) {
        for (int mode : {vmDay, vmWeek, vmMonth, vmYear}) {
            TvnDrawCalendar c;
            c.resize(size);
            c.SelectedDate = At(2024, 3, 13);
            c.SetViewMode(mode);
            const QImage& image = c.BackBuffer();
            EXPECT_GE(image.width(), 1);
            c.MouseDown(Qt::RightButton, {}, size.width() / 2, size.height() / 2);
            c.MouseUp(Qt::RightButton, {}, size.width() / 2, size.height() / 2);
            c.DrawCell(0, 0, true);
        }
    }
}

TEST(DrawCalendarPaint, RendersEveryViewToPng) {
    ScopedClock clock(At(2024, 3, 13, 10, 0));
    TvnDrawCalendar c;
    c.resize(900, 600);
    const char* names[] = {"day", "week", "month", "year"};
    for (int mode : {vmDay, vmWeek, vmMonth, vmYear}) {
        c.SelectedDate = At(2024, 3, 13);
        c.SetViewMode(mode);
        const QString file =
            QDir(TestOutputDir()).filePath(QStringLiteral("plain_%1.png").arg(names[mode]));
        EXPECT_TRUE(c.BackBuffer().save(file)) << file.toStdString();
    }
}
