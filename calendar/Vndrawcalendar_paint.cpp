// Painting of what needs no data: background or wallpaper, title band,
// weekend and today fills, grid, day numbers and the year's mini-months.
#include <cmath>

#include "calendar/Vndrawcalendar.h"
#include "platform/DateFormat.h"

namespace {

const QString kDayViewHeadings[5] = {QStringLiteral("Event"), QStringLiteral("Date/Time"),
                                     QStringLiteral("Run Date/Time"), QStringLiteral("Notify"),
                                     QStringLiteral("Category")};

}  // namespace

void TvnDrawCalendar::PaintTo() {
    TCanvas& c = *DrawCanvas;
    c.Font.Style = 0;
    c.Pen.Style = psSolid;
    if (!Printing) {
        if (FWallpaper.isNull()) {
            c.Brush.SetColor(clBtnFace);
            c.Pen.Color = 0xBF9F7F;
            c.RoundRect(3, 3, width() - 3, height() - 3, 10, 10);
        } else if (WallpaperPos == 1) {
            c.Draw((width() - FWallpaper.width()) / 2, (height() - FWallpaper.height()) / 2,
                   FWallpaper);
        } else if (WallpaperPos == 2) {
            c.StretchDraw(TRect{0, 0, width(), height()}, FWallpaper);
        } else {
            c.Draw(0, 0, FWallpaper);
        }
    }
    CalcTitlesRects();
    CalcCellsRects();
    if (ViewMode() == vmDay)
        DrawDayView();
    else if (ViewMode() == vmYear)
        DrawYearView();
    else
        DrawMonthWeekView();
}

void TvnDrawCalendar::FillCell(const TRect& r, TColor color) {
    TCanvas& c = *DrawCanvas;
    c.Brush.SetColor(color);
    c.Pen.Color = ShowGrid ? ColorGrid : color;
    c.Rectangle(r);
}

void TvnDrawCalendar::DrawMonthWeekView() {
    TCanvas& c = *DrawCanvas;
    if (PaintWeekends) {
        for (int r = 0; r < RowCount(); ++r) {
            FillCell(GetCellRect(WeekendCol1(), r), ColorWeekends);
            FillCell(GetCellRect(WeekendCol2(), r), ColorWeekends);
        }
    }
    int col = -1, row = -1;
    DateToCell(FCurrDate, col, row);
    if (PaintCurrDate && col != -1 && row != -1) FillCell(GetCellRect(col, row), ColorCurrDay);
    if (ShowGrid) DrawGridOutlines();
    c.Brush.Style = bsClear;
    c.Font.Color = ColorFont;
    c.Font.Height = DayFontHeight;
    for (int cc = 0; cc < ColCount(); ++cc)
        c.TextOut(TitlesRects[cc].Left + 1, TitlesRects[cc].Top + 1, GetDayName(cc));
    for (int cc = 0; cc < ColCount(); ++cc)
        for (int r = 0; r < RowCount(); ++r)
            DrawDayNumber(cc, r, false);
}

void TvnDrawCalendar::DrawGridOutlines() {
    TCanvas& c = *DrawCanvas;
    c.Brush.Style = bsClear;
    c.Pen.Color = ColorGrid;
    for (int cc = 0; cc < ColCount(); ++cc)
        for (int r = 0; r < RowCount(); ++r)
            c.Rectangle(GetCellRect(cc, r));
}

void TvnDrawCalendar::DrawDayView() {
    TCanvas& c = *DrawCanvas;
    const TRect& cell = CellsRects[0];
    c.Brush.Style = bsClear;
    c.Pen.Color = ColorGrid;
    for (int k = 0; k < 5; ++k)
        c.Rectangle(TitlesRects[k].Left, cell.Top, TitlesRects[k].Right, cell.Bottom);
    c.Font.Color = ColorFont;
    c.Font.Height = DayFontHeight;
    for (int k = 0; k < 5; ++k)
        c.TextRect(TitlesRects[k], TitlesRects[k].Left + 1, TitlesRects[k].Top + 1,
                   kDayViewHeadings[k]);
    DrawDayNumber(0, 0, false);
}

void TvnDrawCalendar::DrawYearView() {
    TCanvas& c = *DrawCanvas;
    c.Font.Height = DayFontHeight;
    const int dw = TitlesRects[0].Width() / 7;
    const int dx = (dw - c.TextWidth(QStringLiteral("Aa"))) / 2;
    if (ShowGrid) DrawGridOutlines();
    c.Brush.Style = bsClear;
    c.Font.Color = ColorFont;
    for (int k = 0; k < 4; ++k)
        for (int n = 0; n < 7; ++n)
            c.TextOut(TitlesRects[k].Left + n * dw + dx, TitlesRects[k].Top + 1, GetDayName(n));
    for (int cc = 0; cc < ColCount(); ++cc)
        for (int r = 0; r < RowCount(); ++r) {
            DrawMonthName(cc, r, false);
            DrawDaysOfMonth(cc, r, false);
        }
}

void TvnDrawCalendar::DrawMonthName(int col, int row, bool highlighted) {
    if (col < 0 || row < 0) return;
    TCanvas& c = *DrawCanvas;
    const TRect r = GetCellRect(col, row);
    c.Font.Height = DayNumberFontHeight;
    const QString name = FormatSettings().LongMonthNames[(row * 4 + col) % 12];
    // Placed by its width in the normal face, then drawn bold.
    c.Font.Style = 0;
    const int x = r.Left + (r.Width() - c.TextWidth(name)) / 2;
    c.Font.Color = highlighted ? clWhite : ColorFont;
    c.Brush.Style = bsClear;
    c.Font.Style = fsBold;
    c.TextOut(x, r.Top + 1, name);
    c.Font.Style = 0;
}

void TvnDrawCalendar::DrawDaysOfMonth(int col, int row, bool highlighted) {
    if (col < 0 || row < 0) return;
    TCanvas& c = *DrawCanvas;
    const TRect r = GetCellRect(col, row);
    const TRect& first = CellsRects[0];
    c.Font.Height = DayFontHeight;
    const int dw = first.Width() / 7;
    const int dh = (first.Height() - DayNumberHeight) / 6;
    const int dx = (dw - c.TextWidth(QStringLiteral("11"))) / 2;
    int days = 0;
    const int k = GetMonthOffset(col, row, days);
    int ty = 0, tm = 0, td = 0;
    DecodeDate(FCurrDate, ty, tm, td);
    if (PaintCurrDate && !highlighted && tm == row * 4 + col + 1 && FirstDate() <= FCurrDate &&
        FCurrDate <= LastDate()) {
        c.Brush.SetColor(ColorCurrDay);
        c.Pen.Color = ColorCurrDay;
        c.Rectangle(MiniDayRect(col, row, td));
    }
    c.Font.Color = highlighted ? clWhite : ColorFont;
    c.Brush.Style = bsClear;
    for (int i = k; i < k + days; ++i)
        c.TextOut(r.Left + (i % 7) * dw + dx, r.Top + TitleHeight + 1 + (i / 7) * dh,
                  QString::number(i - k + 1));
}

void TvnDrawCalendar::DrawDayNumber(int col, int row, bool highlighted) {
    if (col < 0 || row < 0) return;
    TCanvas& c = *DrawCanvas;
    const TRect r = GetCellRect(col, row);
    bool inMonth = false;
    const QString text = GetDayNumber(col, row, inMonth);
    c.Brush.Style = bsClear;
    c.Font.Height = DayNumberFontHeight;
    c.Font.Color = highlighted ? clWhite : (inMonth ? ColorFont : ColorOutOfMonth);
    c.TextOut(r.Left + 1, r.Top + 1, text);
}

void TvnDrawCalendar::DrawWallpaperRect(int col, int row) {
    if (col < 0 || row < 0 || FWallpaper.isNull() || width() <= 0 || height() <= 0) return;
    const TRect cell = GetCellRect(col, row);
    TRect source = cell;
    const int pw = FWallpaper.width(), ph = FWallpaper.height();
    if (WallpaperPos == 1) {
        const int dx = (pw - width()) / 2, dy = (ph - height()) / 2;
        source = {cell.Left + dx, cell.Top + dy, cell.Right + dx, cell.Bottom + dy};
    } else if (WallpaperPos == 2) {
        const double sx = double(pw) / width(), sy = double(ph) / height();
        source = {int(std::trunc(cell.Left * sx)), int(std::trunc(cell.Top * sy)),
                  int(std::trunc(cell.Right * sx)), int(std::trunc(cell.Bottom * sy))};
    }
    DrawCanvas->CopyRect(cell, FWallpaper, source);
}

void TvnDrawCalendar::DrawCell(int col, int row, bool highlighted) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
    if (ViewMode() == vmDay) {
        // The day view's one cell is the whole control.
        if (!highlighted) Invalidate();
        return;
    }
    FlushPaint();
    TCanvasSession session = BufferSession();
    TCanvas& c = *DrawCanvas;
    const TRect r = GetCellRect(col, row);
    if (highlighted) {
        FillCell(r, clNavy);
    } else if (ViewMode() != vmYear && PaintCurrDate && CellToDate(col, row) == FCurrDate) {
        FillCell(r, ColorCurrDay);
    } else if (ViewMode() != vmYear && PaintWeekends &&
               (col == WeekendCol1() || col == WeekendCol2())) {
        FillCell(r, ColorWeekends);
    } else {
        FillCell(r, clBtnFace);
        if (!FWallpaper.isNull()) DrawWallpaperRect(col, row);
        if (ShowGrid) {
            c.Brush.Style = bsClear;
            c.Pen.Color = ColorGrid;
            c.Rectangle(r);
        }
    }
    if (ViewMode() == vmYear) {
        DrawMonthName(col, row, highlighted);
        DrawDaysOfMonth(col, row, highlighted);
    } else if (highlighted) {
        c.Font.Style = fsBold;
        DrawDayNumber(col, row, true);
        c.Font.Style = 0;
    } else {
        DrawDayNumber(col, row, false);
    }
    update(r.ToQRect());
    DrawFocusFrame(col, row);
}
