// Dates of a view, title slots and cell rectangles, cell/date/mouse mapping
// and navigation. Every integer division truncates toward zero.
#include <algorithm>
#include <cmath>

#include "calendar/Vndrawcalendar.h"
#include "platform/DateFormat.h"
#include "store/Vntypes.h"

namespace {

int YearOf(TDateTime date) {
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    return y;
}

}  // namespace

void DateToCellIn(const TvnShownRange& range, TDateTime date, int& col, int& row) {
    col = row = -1;
    const int32_t day = DayNumber(date);
    if (day < DayNumber(range.FirstDate) || day > DayNumber(range.LastDate)) return;
    const int32_t n = DayNumber(date - range.FirstDate);
    switch (range.ViewMode) {
        case vmDay:
            col = row = 0;
            break;
        case vmWeek:
            if (n >= 0 && n < 7) col = n, row = 0;
            break;
        case vmMonth:
            if (n >= 0 && n < 42) col = n % 7, row = n / 7;
            break;
        default:
            break;
    }
}

int TvnDrawCalendar::DaysPerMonth(int year, int month) {
    return ::DaysPerMonth(year, month);
}

int TvnDrawCalendar::DaysPriorMonth() const {
    int y = 0, m = 0, d = 0;
    DecodeDate(FCalendarDate, y, m, d);
    return m == 1 ? DaysPerMonth(y - 1, 12) : DaysPerMonth(y, m - 1);
}

int TvnDrawCalendar::DaysThisMonth() const {
    int y = 0, m = 0, d = 0;
    DecodeDate(FCalendarDate, y, m, d);
    return DaysPerMonth(y, m);
}

int TvnDrawCalendar::WeekColumn(TDateTime date) const {
    int col = DayOfWeek(date) - FStartOfWeek - 1;
    if (col < 0) col += 7;
    return col;
}

void TvnDrawCalendar::UpdateData() {
    int y = 0, m = 0, d = 0;
    DecodeDate(FCalendarDate, y, m, d);
    const TDateTime first = EncodeDate(y, m, 1);
    switch (FViewMode) {
        case vmDay:
            FFirstDate = FLastDate = FCalendarDate;
            break;
        case vmWeek:
            FFirstDate = FCalendarDate - WeekColumn(FCalendarDate);
            FLastDate = FFirstDate + 6;
            break;
        case vmMonth:
            FFirstDate = first - WeekColumn(first);
            FLastDate = FFirstDate + 41;
            break;
        case vmYear:
            FFirstDate = EncodeDate(y, 1, 1);
            FLastDate = EncodeDate(y, 12, 31);
            break;
    }
    FFirstDayIndex = int(std::trunc(FFirstDate - first + 1));
}

// ---- dates and views

void TvnDrawCalendar::SetCalendarDate(TDateTime date) {
    if (std::isnan(date)) return;
    // Whole days inside the supported calendar keep the view's arithmetic
    // exact.
    FCalendarDate = std::trunc(std::clamp(date, MinDateTime, std::trunc(MaxDateTime)));
    SelectedDate = 0;
    if (OnChangeCalendarDate) {
        int y = 0, m = 0, d = 0;
        DecodeDate(FCalendarDate, y, m, d);
        OnChangeCalendarDate(this, GetDateFormatA(), y, m, d);
    }
    UpdateCalendar();
}

void TvnDrawCalendar::SetViewMode(int mode) {
    if (mode == FViewMode || mode < vmDay || mode > vmYear || SelectedDate == 0) return;
    FViewMode = TvnViewModes(mode);
    static constexpr int kCols[] = {1, 7, 7, 4};
    static constexpr int kRows[] = {1, 1, 6, 3};
    FColCount = kCols[mode];
    FRowCount = kRows[mode];
    SetCalendarDate(SelectedDate);
}

void TvnDrawCalendar::SetDateElement(int element, int value) {
    int y = 0, m = 0, d = 0;
    DecodeDate(FCalendarDate, y, m, d);
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
    if (element == deCurrentView || element == -1) element = FViewMode;
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
    SetCalendarDate(FCalendarDate + count);
}

void TvnDrawCalendar::ChangeMonth(int count) {
    int y = 0, m = 0, d = 0;
    DecodeDate(FCalendarDate, y, m, d);
    // Months counted from year 0, so that a step over the year's end carries.
    const long long months = static_cast<long long>(y) * 12 + (m - 1) + count;
    const long long year = months >= 0 ? months / 12 : (months - 11) / 12;
    if (year < MinYear || year > MaxYear) return;
    SetCalendarDate(EncodeDate(int(year), int(months - year * 12) + 1, 1));
}

void TvnDrawCalendar::ChangeYear(int count) {
    int y = 0, m = 0, d = 0;
    DecodeDate(FCalendarDate, y, m, d);
    const long long year = std::clamp<long long>(static_cast<long long>(y) + count, 1900, MaxYear);
    SetCalendarDate(EncodeDate(int(year), m, 1));
}

QString TvnDrawCalendar::GetDateFormatA() const {
    switch (FViewMode) {
        case vmDay:
            return FormatDateTime(QStringLiteral("mmmm d (dddd), yyyy"), FCalendarDate);
        case vmYear:
            return FormatDateTime(QStringLiteral("yyyy"), FCalendarDate);
        default:
            return FormatDateTime(QStringLiteral("mmmm, yyyy"), FCalendarDate);
    }
}

// ---- cells

TDateTime TvnDrawCalendar::CellToDate(int col, int row) const {
    if (col == -1 || row == -1) return 0;
    if (FViewMode == vmYear) return EncodeDate(YearOf(FFirstDate), row * 4 + col + 1, 1);
    return FFirstDate + col + row * 7;
}

void TvnDrawCalendar::DateToCell(TDateTime date, int& col, int& row) const {
    DateToCellIn(ShownRange(), date, col, row);
}

TRect TvnDrawCalendar::GetCellRect(int col, int row) const {
    if (col < 0 || col > 6 || row < 0 || row > 5) return {};
    return CellsRects[col * 6 + row];
}

QString TvnDrawCalendar::GetDayName(int col) const {
    return FormatSettings().ShortDayNames[((col + FStartOfWeek) % 7 + 7) % 7];
}

QString TvnDrawCalendar::GetDayNumber(int col, int row, bool& inMonth) const {
    const int n = FFirstDayIndex + col + row * 7;
    const int days = DaysThisMonth();
    inMonth = false;
    if (n < 1) return QString::number(DaysPriorMonth() + n);
    if (n > days) return QString::number(n - days);
    inMonth = true;
    return QString::number(n);
}

int TvnDrawCalendar::GetMonthOffset(int col, int row, int& days) const {
    const int year = YearOf(FFirstDate);
    const int month = std::clamp(row * 4 + col + 1, 1, 12);
    days = DaysPerMonth(year, month);
    return WeekColumn(EncodeDate(year, month, 1));
}

void TvnDrawCalendar::CalcTitlesRects() {
    const int w = Printing ? DrawWidth() : DrawWidth() - 2 * MarginX;
    const int top = MarginY + CellInset;
    const int bottom = MarginY + TitleHeight - CellInset;
    auto slot = [&](int a, int b) {
        return TRect{MarginX + a + CellInset, top, MarginX + b - CellInset, bottom};
    };
    if (FViewMode == vmDay) {
        const int u = w / 6;
        TitlesRects[0] = slot(0, 2 * u);
        for (int k = 1; k <= 4; ++k)
            TitlesRects[k] = slot((k + 1) * u, (k + 2) * u);
    } else {
        const int n = FViewMode == vmYear ? 4 : 7;
        const int u = w / n;
        for (int k = 0; k < n; ++k)
            TitlesRects[k] = slot(k * u, (k + 1) * u);
    }
}

void TvnDrawCalendar::CalcCellsRects() {
    const int w = Printing ? DrawWidth() : DrawWidth() - 2 * MarginX;
    const int h = Printing ? DrawHeight() - TitleHeight : DrawHeight() - 2 * MarginY - TitleHeight;
    const int cw = w / FColCount;
    const int ch = h / FRowCount;
    const int y0 = MarginY + TitleHeight;
    if (FViewMode == vmDay) {
        CellsRects[0] = {TitlesRects[0].Left, y0 + CellInset, TitlesRects[4].Right,
                         y0 + ch - CellInset};
        return;
    }
    for (int c = 0; c < FColCount; ++c)
        for (int r = 0; r < FRowCount; ++r)
            CellsRects[c * 6 + r] = {MarginX + c * cw + CellInset, y0 + r * ch + CellInset,
                                     MarginX + (c + 1) * cw - CellInset,
                                     y0 + (r + 1) * ch - CellInset};
}

void TvnDrawCalendar::MouseToCell(int x, int y) {
    SelCol = SelRow = -1;
    for (int c = 0; c < FColCount; ++c) {
        const TRect& r = CellsRects[c * 6];
        if (r.Left < x && x < r.Right) {
            SelCol = c;
            break;
        }
    }
    for (int row = 0; row < FRowCount; ++row) {
        const TRect& r = CellsRects[row];
        if (r.Top < y && y < r.Bottom) {
            SelRow = row;
            break;
        }
    }
}

void TvnDrawCalendar::MouseToItem(int, int y) {
    SelItem = -1;
    if (SelCol == -1 || SelRow == -1 || FViewMode == vmYear) return;
    const int d = y - (GetCellRect(SelCol, SelRow).Top + DayNumberHeight);
    if (d > 0) SelItem = d / ItemHeight;
}
