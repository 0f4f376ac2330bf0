// The keyboard: the focused day, its frame, and the keys that move it.
#include <QKeyEvent>
#include <QMenu>
#include <cmath>

#include "calendar/Vndrawcalendar.h"
#include "store/Vnseries.h"

void TvnDrawCalendar::PutFocus(TDateTime date) {
    date = std::trunc(date);
    if (date == FFocusedDate) return;
    FFocusedDate = date;
    if (ShowsFocusFrame()) Invalidate();
    emit FocusedDateChanged(date);
}

void TvnDrawCalendar::SetFocusedDate(TDateTime date) {
    date = std::trunc(date);
    if (std::isnan(date)) return;
    int y = 0, m = 0, d = 0, cy = 0, cm = 0, cd = 0;
    DecodeDate(date, y, m, d);
    if (y < 1900 || y > MaxYear) return;
    DecodeDate(CalendarDate(), cy, cm, cd);
    bool shown = date >= FirstDate() && date <= LastDate();
    // The month view's title names one month, the year view one year.
    if (ViewMode() == vmMonth) shown = y == cy && m == cm;
    if (ViewMode() == vmYear) shown = y == cy;
    if (!shown) SetCalendarDate(date);
    PutFocus(date);
    // A day reached by the keys counts as pressed, with no item on it.
    SelectedDate = date;
    DateToCell(date, SelCol, SelRow);
    SelItem = -1;
    DoSelectItem();
}

void TvnDrawCalendar::MoveFocusedDate(int element, int count) {
    if (element == deDay || element == deWeek) {
        SetFocusedDate(FFocusedDate + (element == deWeek ? 7 : 1) * count);
        return;
    }
    int y = 0, m = 0, d = 0;
    DecodeDate(FFocusedDate, y, m, d);
    const TvnYearMonth target = AddMonths(y, m, (element == deYear ? 12 : 1) * count);
    if (target.Year < 1900 || target.Year > MaxYear) return;
    const int year = int(target.Year);
    SetFocusedDate(EncodeDate(year, target.Month, std::min(d, DaysPerMonth(year, target.Month))));
}

bool TvnDrawCalendar::ShowsFocusFrame() const {
    return !Printing && hasFocus();
}

void TvnDrawCalendar::SelectFocusedItem(int) {}

void TvnDrawCalendar::keyPressEvent(QKeyEvent* event) {
    const bool year = ViewMode() == vmYear;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    Guarded([&] {
        if (ctrl && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
            SelectFocusedItem(event->key() == Qt::Key_Down ? 1 : -1);
            event->accept();
            return;
        }
        switch (event->key()) {
            case Qt::Key_Left:
                MoveFocusedDate(deDay, -1);
                break;
            case Qt::Key_Right:
                MoveFocusedDate(deDay, 1);
                break;
            case Qt::Key_Up:
                MoveFocusedDate(deWeek, -1);
                break;
            case Qt::Key_Down:
                MoveFocusedDate(deWeek, 1);
                break;
            case Qt::Key_PageUp:
                MoveFocusedDate(year ? deYear : deMonth, -1);
                break;
            case Qt::Key_PageDown:
                MoveFocusedDate(year ? deYear : deMonth, 1);
                break;
            case Qt::Key_Home:
                SetFocusedDate(FCurrDate);
                break;
            case Qt::Key_Menu:
                PopupAtFocusedDay();
                break;
            case Qt::Key_F10:
                if (!(event->modifiers() & Qt::ShiftModifier)) {
                    event->ignore();
                    return;
                }
                PopupAtFocusedDay();
                break;
            default:
                if (!OnKeyDown) {
                    event->ignore();
                    return;
                }
                OnKeyDown(this, event->key(), event->modifiers());
        }
        event->accept();
    });
}

void TvnDrawCalendar::PopupAtFocusedDay() {
    int col = -1, row = -1;
    DateToCell(FFocusedDate, col, row);
    if (!PopupMenu || col == -1 || row == -1) return;
    // As a right-button press on the day: a selected item on it stays.
    if (SelItem == -1 || SelCol != col || SelRow != row) {
        SelCol = col;
        SelRow = row;
        SelItem = -1;
        DoSelectItem();
    }
    SelectedDate = FFocusedDate;
    FlushPaint();
    const TRect r = GetCellRect(col, row);
    PopupMenu->exec(mapToGlobal(QPoint(r.Left + 10, r.Top + DayNumberHeight)));
}

void TvnDrawCalendar::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    Invalidate();
}

void TvnDrawCalendar::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    Invalidate();
}

TRect TvnDrawCalendar::MiniDayRect(int col, int row, int day) const {
    const TRect r = GetCellRect(col, row);
    const TRect& first = CellsRects[0];
    const int dw = first.Width() / 7;
    const int dh = (first.Height() - DayNumberHeight) / 6;
    int days = 0;
    const int i = GetMonthOffset(col, row, days) + day - 1;
    // A box around the day's number, placed as the number is drawn.
    TCanvas& c = *DrawCanvas;
    const int height = c.Font.Height;
    c.Font.Height = DayFontHeight;
    const int tw = c.TextWidth(QStringLiteral("11")), th = c.TextHeight(QStringLiteral("11"));
    c.Font.Height = height;
    const int left = r.Left + (i % 7) * dw + (dw - tw) / 2 - 3;
    const int top = r.Top + TitleHeight + 1 + (i / 7) * dh - 1;
    return TRect{left, top, left + tw + 6, top + th + 2};
}

void TvnDrawCalendar::DrawFocusFrame(int col, int row) {
    if (!ShowsFocusFrame()) return;
    int y = 0, m = 0, d = 0, cy = 0, cm = 0, cd = 0;
    DecodeDate(FFocusedDate, y, m, d);
    DecodeDate(CalendarDate(), cy, cm, cd);
    int fc = -1, fr = -1;
    TRect r;
    if (ViewMode() == vmYear) {
        if (y != cy) return;
        fc = (m - 1) % 4;
        fr = (m - 1) / 4;
        r = MiniDayRect(fc, fr, d);
    } else {
        DateToCell(FFocusedDate, fc, fr);
        if (fc == -1 || fr == -1) return;
        r = GetCellRect(fc, fr);
    }
    if ((col != -1 || row != -1) && (col != fc || row != fr)) return;
    TCanvasSession session = BufferSession();
    TCanvas& c = *DrawCanvas;
    c.Brush.Style = bsClear;
    c.Pen.Style = psSolid;
    // Two pixels of the highlight colour with a light line inside, so that
    // the frame shows on today's fill and on a day colour as well.
    c.Pen.Color = clHighlight;
    c.Rectangle(r);
    c.Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    c.Pen.Color = clHighlightText;
    c.Rectangle(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    update(r.ToQRect());
}
