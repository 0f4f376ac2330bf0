// Dates of a view, title slots and cell rectangles, cell/date/mouse mapping
// and navigation. Every integer division truncates toward zero.
#include <algorithm>
#include <cmath>

#include "calendar/Vndrawcalendar.h"
#include "platform/DateFormat.h"
#include "store/Vnseries.h"
#include "store/Vntypes.h"

int TvnDrawCalendar::DaysPerMonth(int year, int month) {
    return ::DaysPerMonth(year, month);
}

// The grid keeps its shown days current; subclasses refresh their data here.
void TvnDrawCalendar::UpdateData() {}

// ---- dates and views

void TvnDrawCalendar::SetCalendarDate(TDateTime date) {
    if (std::isnan(date)) return;
    // The owner hears of the new date before the view is recomputed for it.
    FGrid.SetCalendarDateOnly(date);
    SelectedDate = 0;
    if (OnChangeCalendarDate) {
        int y = 0, m = 0, d = 0;
        DecodeDate(CalendarDate(), y, m, d);
        OnChangeCalendarDate(this, GetDateFormatA(), y, m, d);
    }
    FGrid.Recompute();
    UpdateCalendar();
    PutFocus(CalendarDate());
}

void TvnDrawCalendar::SetViewMode(int mode) {
    if (SelectedDate == 0 || !FGrid.SetViewMode(mode)) return;
    SetCalendarDate(SelectedDate);
}

void TvnDrawCalendar::SetDateElement(int element, int value) {
    int y = 0, m = 0, d = 0;
    DecodeDate(CalendarDate(), y, m, d);
    bool taken = false;
    if (element == 1 && value >= 1900 && value <= MaxYear && value != y) {
        y = value;
        taken = true;
    } else if (element == 2 && value >= 1 && value <= 12 && value != m) {
        m = value;
        taken = true;
    } else if (element == 3 && value >= 1 && value <= DaysThisMonth() && value != d) {
        d = value;
        taken = true;
    }
    if (!taken) return;
    d = std::min(d, DaysPerMonth(y, m));
    SetCalendarDate(EncodeDate(y, m, d));
}

void TvnDrawCalendar::ChangeDate(int element, int count) {
    if (element == deCurrentView || element == -1) element = ViewMode();
    switch (element) {
        case deDay:
            ChangeDay(count);
            break;
        case deWeek:
            ChangeDay(7 * count);
            break;
        case deMonth:
            ChangeMonth(count);
            break;
        case deYear:
            ChangeYear(count);
            break;
        default:
            break;
    }
}

void TvnDrawCalendar::ChangeDay(int count) {
    SetCalendarDate(CalendarDate() + count);
}

void TvnDrawCalendar::ChangeMonth(int count) {
    int y = 0, m = 0, d = 0;
    DecodeDate(CalendarDate(), y, m, d);
    const TvnYearMonth target = AddMonths(y, m, count);
    if (target.Year < MinYear || target.Year > MaxYear) return;
    SetCalendarDate(EncodeDate(int(target.Year), target.Month, 1));
}

void TvnDrawCalendar::ChangeYear(int count) {
    int y = 0, m = 0, d = 0;
    DecodeDate(CalendarDate(), y, m, d);
    const long long year = std::clamp<long long>(static_cast<long long>(y) + count, 1900, MaxYear);
    SetCalendarDate(EncodeDate(int(year), m, 1));
}

QString TvnDrawCalendar::GetDateFormatA() const {
    switch (ViewMode()) {
        case vmDay:
            return FormatDateTime(QStringLiteral("mmmm d (dddd), yyyy"), CalendarDate());
        case vmYear:
            return FormatDateTime(QStringLiteral("yyyy"), CalendarDate());
        default:
            return FormatDateTime(QStringLiteral("mmmm, yyyy"), CalendarDate());
    }
}

// ---- cells

TRect TvnDrawCalendar::GetCellRect(int col, int row) const {
    if (col < 0 || col > 6 || row < 0 || row > 5) return {};
    return CellsRects[CellRectIndex(col, row)];
}

QString TvnDrawCalendar::GetDayName(int col) const {
    return FormatSettings().ShortDayNames[((col + StartOfWeek()) % 7 + 7) % 7];
}

QString TvnDrawCalendar::GetDayNumber(int col, int row, bool& inMonth) const {
    return QString::number(FGrid.DayNumberAt(col, row, inMonth));
}

int TvnDrawCalendar::GetMonthOffset(int col, int row, int& days) const {
    return FGrid.MonthOffset(col, row, days);
}

void TvnDrawCalendar::CalcTitlesRects() {
    const int w = Printing ? DrawWidth() : DrawWidth() - 2 * MarginX;
    const int top = MarginY + CellInset;
    const int bottom = MarginY + TitleHeight - CellInset;
    auto slot = [&](int a, int b) {
        return TRect{MarginX + a + CellInset, top, MarginX + b - CellInset, bottom};
    };
    if (ViewMode() == vmDay) {
        const int u = w / 6;
        TitlesRects[0] = slot(0, 2 * u);
        for (int k = 1; k <= 4; ++k)
            TitlesRects[k] = slot((k + 1) * u, (k + 2) * u);
    } else {
        const int n = ViewMode() == vmYear ? 4 : 7;
        const int u = w / n;
        for (int k = 0; k < n; ++k)
            TitlesRects[k] = slot(k * u, (k + 1) * u);
    }
}

void TvnDrawCalendar::CalcCellsRects() {
    const int w = Printing ? DrawWidth() : DrawWidth() - 2 * MarginX;
    const int h = Printing ? DrawHeight() - TitleHeight : DrawHeight() - 2 * MarginY - TitleHeight;
    const int cw = w / ColCount();
    const int ch = h / RowCount();
    const int y0 = MarginY + TitleHeight;
    if (ViewMode() == vmDay) {
        CellsRects[0] = {TitlesRects[0].Left, y0 + CellInset, TitlesRects[4].Right,
                         y0 + ch - CellInset};
        return;
    }
    for (int c = 0; c < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r)
            CellsRects[CellRectIndex(c, r)] = {
                MarginX + c * cw + CellInset, y0 + r * ch + CellInset,
                MarginX + (c + 1) * cw - CellInset, y0 + (r + 1) * ch - CellInset};
}

void TvnDrawCalendar::MouseToCell(int x, int y) {
    SelCol = SelRow = -1;
    for (int c = 0; c < ColCount(); ++c) {
        const TRect& r = CellsRects[CellRectIndex(c, 0)];
        if (r.Left < x && x < r.Right) {
            SelCol = c;
            break;
        }
    }
    for (int row = 0; row < RowCount(); ++row) {
        const TRect& r = CellsRects[CellRectIndex(0, row)];
        if (r.Top < y && y < r.Bottom) {
            SelRow = row;
            break;
        }
    }
}

void TvnDrawCalendar::MouseToItem(int, int y) {
    SelItem = -1;
    if (SelCol == -1 || SelRow == -1 || ViewMode() == vmYear) return;
    const int d = y - (GetCellRect(SelCol, SelRow).Top + DayNumberHeight);
    if (d > 0) SelItem = d / ItemHeight;
}
