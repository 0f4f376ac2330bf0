// Selecting an item line with the mouse, the selection bar, and the cell
// scroll bars that shift the item lines of a full cell.
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "calendar/Vndbdrawcalendar.h"
#include "store/Adodb.h"

void TvnDBDrawCalendar::DoSelectItem() {
    if (SpecialFilter) return;
    if (SelItem != -1) CalcSelectItem();
    if (LastSelItem != -1) DrawCell(LastSelCol, LastSelRow, false);
    if (SelItem != -1) DrawSelectItem(SelCol, SelRow);
    LastSelItem = SelItem;
    LastSelCol = SelCol;
    LastSelRow = SelRow;
}

void TvnDBDrawCalendar::SelectFocusedItem(int step) {
    if (SpecialFilter || ViewMode() == vmYear) return;
    int col = -1, row = -1;
    DateToCell(FocusedDate(), col, row);
    if (col == -1 || row == -1) return;
    FlushPaint();  // counts the cell's items
    const int count = ItemCount[CellRectIndex(col, row)];
    if (count == 0) return;
    const bool here = SelItem != -1 && SelCol == col && SelRow == row;
    const int item =
        std::clamp(here ? ScrollPosition(col, row) + SelItem + step : (step > 0 ? 0 : count - 1), 0,
                   count - 1);
    // A line scrolled out of the cell is scrolled into it first.
    const TRect cell = GetCellRect(col, row);
    const int visible = std::max(1, (cell.Height() - DayNumberHeight) / ItemHeight);
    QScrollBar* bar = CellScrollBar(col, row);
    if (bar && !bar->isHidden()) {
        if (item < bar->value()) bar->setValue(item);
        if (item >= bar->value() + visible) bar->setValue(item - visible + 1);
    }
    SelCol = col;
    SelRow = row;
    SelItem = item - ScrollPosition(col, row);
    SelectedDate = FocusedDate();
    DoSelectItem();
}

void TvnDBDrawCalendar::SetSelectItemDefData(bool full) {
    SelItem = -1;
    if (full) LastSelItem = LastSelCol = LastSelRow = -1;
}

void TvnDBDrawCalendar::CalcSelectItem() {
    SelEvent.ID = -1;
    SelNotes.ID = -1;
    if (SelCol < 0 || SelRow < 0 || SelCol > 6 || SelRow > 5) {
        SelItem = -1;
        return;
    }
    const int position = ScrollPosition(SelCol, SelRow);
    int events = 0;
    if (TableIsActive(tsEvents)) {
        const int target = position + SelItem;
        int i = -1;
        for (const TvnEventDrawData* entry : EventsInDayOrder(CellFlagIndex(SelCol, SelRow))) {
            if (++i == target) {
                if (GoToBookmark(DataSet(tsEvents), entry->Bookmark))
                    DBRecord_To_EventStruct(&SelEvent);
                break;
            }
        }
        events = i + 1;
    }
    const int target = position + SelItem - events;
    if (TableIsActive(tsNotes) && target >= 0) {
        TADOTable* tbNotes = DataSet(tsNotes);
        data_->SetNotesDayFilter(SelectedDate);
        try {
            tbNotes->First();
            const int count = tbNotes->RecordCount();
            for (int i = 0; i < count; ++i, tbNotes->Next())
                if (i == target) {
                    DBRecord_To_NotesStruct(&SelNotes);
                    break;
                }
        } catch (...) {
            data_->RestoreNotesFilter();
            throw;
        }
        data_->RestoreNotesFilter();
    }
    if (SelEvent.ID == -1 && SelNotes.ID == -1) SelItem = -1;
}

void TvnDBDrawCalendar::DrawSelectItem(int col, int row) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount() || SelItem < 0) return;
    QString text;
    int icon = 0;
    if (SelEvent.ID != -1) {
        text = EventItemText(SelEvent.Desc, SelEvent.UseStartTime, SelEvent.Date);
        icon = SelEvent.eType;
    } else if (SelNotes.ID != -1) {
        text = SelNotes.Title;
        icon = 2;
    } else {
        return;
    }
    const TRect cell = GetCellRect(col, row);
    TRect r{cell.Left, cell.Top + DayNumberHeight + SelItem * ItemHeight + 1, cell.Right, 0};
    r.Bottom = r.Top + ItemHeight;
    if (cell.Bottom < r.Bottom) r.Bottom = cell.Bottom - 1;
    if (r.IsEmpty()) return;
    FlushPaint();
    TCanvasSession session = BufferSession();
    TCanvas& c = *DrawCanvas;
    const int iw = int(std::trunc(PrintScale * 16));
    const int ih = r.Height() < iw ? r.Height() - 1 : iw;
    const bool hasIcon = icon >= 0 && icon < 3 && ih > 0;
    if (hasIcon) IconBuffer = ItemIcons[icon].copy(0, 0, iw, ih);
    c.Brush.SetColor(clNavy);
    c.Pen.Color = clNavy;
    c.Rectangle(r);
    if (hasIcon) c.Draw(r.Left + 5, r.Top, IconBuffer);
    c.Brush.Style = bsClear;
    c.Font.Style = 0;
    c.Font.Color = clWhite;
    c.Font.Height = ItemFontHeight;
    c.TextRect(TRect{r.Left + iw + 6, r.Top, r.Right - 5, r.Bottom}, r.Left + iw + 6, r.Top, text);
    update(r.ToQRect());
    DrawFocusFrame(col, row);
}

QScrollBar* TvnDBDrawCalendar::CellScrollBar(int col, int row) const {
    if (!ScrollBarsEnabled || col < 0 || col > 6 || row < 0 || row > 5) return nullptr;
    return CellScrollBars[CellRectIndex(col, row)];
}

void TvnDBDrawCalendar::UpdateCellSbar(int col, int row) {
    QScrollBar* bar = CellScrollBar(col, row);
    if (bar == nullptr) return;
    const TRect cell = GetCellRect(col, row);
    const int count = ItemCount[CellRectIndex(col, row)];
    const int free = (cell.Height() - DayNumberHeight) - count * ItemHeight;
    const int lines = int(std::floor(double(free) / ItemHeight));
    // A cell lower than its day-number band has less than no room; still,
    // no more lines can be hidden than there are items, and an empty cell
    // has nothing to scroll.
    if (lines >= 0 || count == 0) {
        HideCellSbar(col, row);
        return;
    }
    const int before = bar->value();
    {
        const QSignalBlocker blocker(bar);
        constexpr int kBarWidth = 15;
        bar->setGeometry(cell.Right - kBarWidth - 1, cell.Top + 2, kBarWidth,
                         std::max(1, cell.Height() - 3));
        bar->setRange(0, std::min(-lines, count));
        bar->show();
    }
    // A shorter range may have moved the bar: show the lines it now selects.
    if (bar->value() != before) DrawCell(col, row, false);
}

void TvnDBDrawCalendar::HideCellSbar(int col, int row) {
    QScrollBar* bar = CellScrollBar(col, row);
    if (bar == nullptr) return;
    const QSignalBlocker blocker(bar);
    bar->hide();
    bar->setRange(0, 0);
}

void TvnDBDrawCalendar::UpdateCellsSbars() {
    for (int col = 0; col < 7; ++col)
        for (int row = 0; row < 6; ++row) {
            if (col < ColCount() && row < RowCount())
                UpdateCellSbar(col, row);
            else
                HideCellSbar(col, row);
        }
}

void TvnDBDrawCalendar::HideCellsSbars() {
    for (int col = 0; col < 7; ++col)
        for (int row = 0; row < 6; ++row)
            HideCellSbar(col, row);
}

void TvnDBDrawCalendar::OnScrollBarChange(QScrollBar* sender) {
    if (sender == nullptr || sender->isHidden()) return;
    const TvnCell cell = CellOfFlagIndex(sender->property("Tag").toInt());
    DrawCell(cell.Col, cell.Row, false);
}

void TvnDBDrawCalendar::Resize() {
    TvnDrawCalendar::Resize();
    if (ScrollBarsEnabled) HideCellsSbars();
    SetSelectItemDefData(true);
}
