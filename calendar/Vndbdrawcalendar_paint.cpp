// Painting of the data layers: day colours, holiday names, events and notes
// as item lines; the data refresh behind the view.
#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "calendar/Vndbdrawcalendar.h"
#include "platform/DateFormat.h"
#include "store/Adodb.h"

namespace {

constexpr TColor kSeparatorColor = 0xFF8000;

}  // namespace

void TvnDBDrawCalendar::LoadItemIcons() {
    static const char* const kNames[3] = {":/images/Event.png", ":/images/EventR.png",
                                          ":/images/Notes.png"};
    for (int i = 0; i < 3; ++i) {
        QImage icon(QString::fromLatin1(kNames[i]));
        if (icon.isNull()) {
            // A build without the pictures still shows where an item begins.
            icon = QImage(16, 16, QImage::Format_RGB32);
            icon.fill(ColorToRgb(i == 2 ? clYellow : clWhite));
        }
        ItemIcons[i] = TransparentCopy(icon.scaled(16, 16), clSilver);
    }
}

void TvnDBDrawCalendar::UpdateData() {
    TvnDrawCalendar::UpdateData();
    data_->ShowRange();
    if (ScrollBarsEnabled) HideCellsSbars();
    SetSelectItemDefData(true);
}

void TvnDBDrawCalendar::SetEventColor(int index, TColor color) {
    if (index >= 0 && index < CategoryCount) EventColors[index] = color;
}

TColor TvnDBDrawCalendar::GetEventColor(int index) const {
    return index >= 0 && index < CategoryCount ? EventColors[index] : 0;
}

bool TvnDBDrawCalendar::GoToBookmark(TADOTable* table, const QString& bookmark) {
    try {
        table->SetBookmark(bookmark);
        return true;
    } catch (const EDatabaseError&) {
        return false;  // the row is gone (deleted by another program)
    }
}

int TvnDBDrawCalendar::ScrollPosition(int col, int row) const {
    if (!ScrollBarsEnabled || col < 0 || col > 6 || row < 0 || row > 5) return 0;
    return CellScrollBars[CellRectIndex(col, row)]->value();
}

bool TvnDBDrawCalendar::NextItemLineShows(int col, int row) const {
    const TRect cell = GetCellRect(col, row);
    const int k = ItemCount[CellRectIndex(col, row)] - ScrollPosition(col, row);
    if (k < 0) return false;
    const long long y = cell.Top + DayNumberHeight + static_cast<long long>(k) * ItemHeight + 1;
    return cell.Bottom - y > 0;
}

// ---- full paint

void TvnDBDrawCalendar::PaintTo() {
    TvnDrawCalendar::PaintTo();
    if (SpecialFilter || ViewMode() == vmYear) return;
    TADOTable* tbBColors = DataSet(tsBColors);
    TADOTable* tbEvents = DataSet(tsEvents);
    TADOTable* tbHolidays = DataSet(tsHolidays);
    TADOTable* tbNotes = DataSet(tsNotes);
    if (TableIsActive(tsBColors) && ViewMode() != vmDay) {
        tbBColors->First();
        const int count = tbBColors->RecordCount();
        for (int i = 0; i < count; ++i, tbBColors->Next()) {
            int col = -1, row = -1;
            DateToCell(tbBColors->FieldByName(QStringLiteral("Date"))->AsDateTime(), col, row);
            PaintBackground(col, row);
        }
    }
    if (TableIsActive(tsHolidays) && ViewMode() != vmDay && DisplayHolidays) {
        for (int col = 0; col < 7; ++col)
            for (int row = 0; row < 6; ++row) {
                const QString& bookmark = HolidayBookmarks[col][row];
                if (bookmark.isEmpty() || bookmark == QLatin1String("0")) continue;
                if (GoToBookmark(tbHolidays, bookmark)) DrawHoliday(col, row, false);
            }
    }
    ItemCount.fill(0);
    if (TableIsActive(tsEvents) && DisplayEvents) {
        for (const TvnEventDrawData* event : EventsInDayOrder()) {
            const TvnEventDrawData& entry = *event;
            // Most entries of a full calendar fall below the cells' last
            // lines: their rows are not read, only counted.
            bool shows = false;
            for (int n = 0; n < CalendarCellCount && !shows; ++n) {
                const TvnCell cell = CellOfFlagIndex(n);
                shows = entry.Cells[n] && NextItemLineShows(cell.Col, cell.Row);
            }
            const bool rowRead = shows && GoToBookmark(tbEvents, entry.Bookmark);
            for (int n = 0; n < CalendarCellCount; ++n) {
                if (!entry.Cells[n]) continue;
                const TvnCell cell = CellOfFlagIndex(n);
                if (rowRead && NextItemLineShows(cell.Col, cell.Row))
                    DrawEvent(cell.Col, cell.Row, false);
                else
                    ++ItemCount[CellRectIndex(cell.Col, cell.Row)];
            }
        }
    }
    if (TableIsActive(tsNotes) && DisplayNotes) {
        tbNotes->First();
        const int count = tbNotes->RecordCount();
        for (int i = 0; i < count; ++i, tbNotes->Next()) {
            int col = -1, row = -1;
            DateToCell(tbNotes->FieldByName(QStringLiteral("Date"))->AsDateTime(), col, row);
            if (col == -1 || row == -1) continue;
            if (NextItemLineShows(col, row))
                DrawNotes(col, row, false);
            else
                ++ItemCount[CellRectIndex(col, row)];
        }
    }
    if (!Printing && SelItem != -1) DrawSelectItem(SelCol, SelRow);
    if (!Printing && ScrollBarsEnabled && (TableIsActive(tsEvents) || TableIsActive(tsNotes)))
        UpdateCellsSbars();
}

// ---- single cell

void TvnDBDrawCalendar::DrawCell(int col, int row, bool highlighted) {
    if (SpecialFilter || col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
    if (ViewMode() == vmDay || ViewMode() == vmYear) {
        TvnDrawCalendar::DrawCell(col, row, highlighted);
        return;
    }
    FlushPaint();
    TCanvasSession session = BufferSession();
    const TDateTime day = CellToDate(col, row);
    if (!highlighted && TableIsActive(tsBColors) &&
        LocateDBRecord(tsBColors, QStringLiteral("Date"), QVariant(day)))
        PaintBackground(col, row);
    else
        TvnDrawCalendar::DrawCell(col, row, highlighted);
    DrawCellData(col, row, highlighted);
    update(GetCellRect(col, row).ToQRect());
    DrawFocusFrame(col, row);
}

void TvnDBDrawCalendar::DrawCellData(int col, int row, bool highlighted) {
    TADOTable* tbEvents = DataSet(tsEvents);
    TADOTable* tbHolidays = DataSet(tsHolidays);
    TADOTable* tbNotes = DataSet(tsNotes);
    const QString& bookmark = HolidayBookmarks[col][row];
    if (TableIsActive(tsHolidays) && DisplayHolidays && !bookmark.isEmpty() &&
        bookmark != QLatin1String("0") && GoToBookmark(tbHolidays, bookmark))
        DrawHoliday(col, row, highlighted);
    const int index = CellRectIndex(col, row);
    ItemCount[index] = 0;
    if (TableIsActive(tsEvents)) {
        for (const TvnEventDrawData* entry : EventsInDayOrder(CellFlagIndex(col, row))) {
            if (NextItemLineShows(col, row) && GoToBookmark(tbEvents, entry->Bookmark))
                DrawEvent(col, row, highlighted);
            else
                ++ItemCount[index];
        }
    }
    if (TableIsActive(tsNotes)) {
        data_->SetNotesDayFilter(CellToDate(col, row));
        try {
            tbNotes->First();
            const int count = tbNotes->RecordCount();
            for (int i = 0; i < count; ++i, tbNotes->Next()) {
                if (NextItemLineShows(col, row))
                    DrawNotes(col, row, highlighted);
                else
                    ++ItemCount[index];
            }
        } catch (...) {
            data_->RestoreNotesFilter();
            throw;
        }
        data_->RestoreNotesFilter();
    }
    if (TableIsActive(tsEvents) || TableIsActive(tsNotes)) UpdateCellSbar(col, row);
}

void TvnDBDrawCalendar::UpdateCell(int col, int row) {
    if (ViewMode() == vmYear || col < 0 || row < 0) return;
    SetSelectItemDefData(false);
    DrawCell(col, row, false);
}

void TvnDBDrawCalendar::UpdateCell(TDateTime date) {
    int col = -1, row = -1;
    DateToCell(date, col, row);
    UpdateCell(col, row);
}

// ---- painting steps

void TvnDBDrawCalendar::PaintBackground(int col, int row) {
    if (col < 0 || row < 0) return;
    const TColor color =
        TColor(DataSet(tsBColors)->FieldByName(QStringLiteral("Color"))->AsInteger());
    FillCell(GetCellRect(col, row), color);
    DrawDayNumber(col, row, false);
}

void TvnDBDrawCalendar::DrawHoliday(int col, int row, bool highlighted) {
    if (col < 0 || row < 0) return;
    TCanvas& c = *DrawCanvas;
    const TRect cell = GetCellRect(col, row);
    const QString name = DataSet(tsHolidays)->FieldByName(QStringLiteral("Name"))->AsString();
    c.Font.Height = DayNumberFontHeight;
    const int w = c.TextWidth(QStringLiteral("11 "));
    c.Font.Style = fsItalic;
    c.Font.Height = DayFontHeight;
    const int h = c.TextHeight(name);
    const TRect r{cell.Left + w, cell.Top + 1, cell.Right - 1, cell.Top + 1 + h};
    c.Font.Color = highlighted ? clWhite : clBlack;
    c.Brush.Style = bsClear;
    c.TextRect(r, r.Left, r.Top, name);
    c.Font.Style = 0;
}

void TvnDBDrawCalendar::DrawEvent(int col, int row, bool highlighted) {
    if (col < 0 || row < 0) return;
    TADOTable* tbEvents = DataSet(tsEvents);
    TCanvas& c = *DrawCanvas;
    c.Brush.Style = bsClear;
    c.Font.Height = ItemFontHeight;
    const int category = tbEvents->FieldByName(QStringLiteral("Category"))->AsInteger();
    c.Font.Color = highlighted ? clWhite : UseEventColors ? GetEventColor(category) : clBlack;
    if (ViewMode() == vmDay)
        DrawDayViewEvent(GetCellRect(col, row), highlighted);
    else
        DrawItem(
            col, row,
            EventItemText(tbEvents->FieldByName(QStringLiteral("Desc"))->AsString(),
                          tbEvents->FieldByName(QStringLiteral("UseStartTime"))->AsInteger() != 0,
                          tbEvents->FieldByName(QStringLiteral("Date"))->AsDateTime()),
            tbEvents->FieldByName(QStringLiteral("eType"))->AsInteger());
    ++ItemCount[CellRectIndex(col, row)];
}

void TvnDBDrawCalendar::DrawNotes(int col, int row, bool highlighted) {
    if (col < 0 || row < 0) return;
    TCanvas& c = *DrawCanvas;
    c.Brush.Style = bsClear;
    c.Font.Height = ItemFontHeight;
    c.Font.Color = highlighted ? clWhite : clBlack;
    DrawItem(col, row, DataSet(tsNotes)->FieldByName(QStringLiteral("Title"))->AsString(), 2);
    ++ItemCount[CellRectIndex(col, row)];
}

void TvnDBDrawCalendar::DrawItem(int col, int row, const QString& text, int iconIndex) {
    if (col < 0 || row < 0) return;
    TCanvas& c = *DrawCanvas;
    const TRect cell = GetCellRect(col, row);
    const int k = ItemCount[CellRectIndex(col, row)] - ScrollPosition(col, row);
    if (k < 0) return;
    const int x1 = cell.Left + 5, x2 = cell.Right - 5;
    const int y = cell.Top + DayNumberHeight + k * ItemHeight + 1;
    int y2 = y + ItemHeight;
    const int room = cell.Bottom - y;
    const int iw = int(std::trunc(PrintScale * 16));
    int ih = iw;
    if (room < ItemHeight) {
        if (room <= 0) return;
        y2 = cell.Bottom - 1;
        if (room < ih) ih = room - 1;
    }
    const bool hasIcon = iconIndex >= 0 && iconIndex < 3;
    if (hasIcon && Printing) {
        const int h = std::max(1, int(std::ceil(ih / PrintScale)));
        ih = int(std::ceil(h * PrintScale));
        IconBuffer = ItemIcons[iconIndex].copy(0, 0, 16, h);
    } else if (hasIcon) {
        IconBuffer = ItemIcons[iconIndex].copy(0, 0, 16, std::max(0, ih));
    }
    c.Pen.Color = kSeparatorColor;
    c.MoveTo(x1, y);
    c.LineTo(x2, y);
    if (hasIcon && ih > 0) {
        if (Printing)
            c.StretchDraw(TRect{x1, y, x1 + iw, y + ih}, IconBuffer);
        else
            c.Draw(x1, y, IconBuffer);
    }
    c.TextRect(TRect{x1 + iw + 1, y, x2, y2}, x1 + iw + 1, y, text);
}

void TvnDBDrawCalendar::DrawDayViewEvent(const TRect& cell, bool highlighted) {
    Q_UNUSED(highlighted);
    TCanvas& c = *DrawCanvas;
    const int k = ItemCount[0] - ScrollPosition(0, 0);
    const int y = cell.Top + DayNumberHeight + k * ItemHeight + 1;
    const int y2 = y + ItemHeight;
    if (k < 0 || y2 > cell.Bottom) return;
    TvnEventParams e;
    DBRecord_To_EventStruct(&e);
    const QString texts[5] = {EventItemText(e.Desc, e.UseStartTime, e.Date), DateTimeToStr(e.Date),
                              e.Completed ? QString() : DateTimeToStr(e.RunDate),
                              e.Notify ? QStringLiteral("YES") : QStringLiteral("NO"),
                              CategoryCaption(e.Category)};
    const int s = int(std::trunc(PrintScale * 16));
    if (e.eType == etEvent || e.eType == etRecurring) {
        if (Printing) {
            c.StretchDraw(TRect{cell.Left + 5, y, cell.Left + 5 + s, y + s}, ItemIcons[e.eType]);
        } else {
            IconBuffer = ItemIcons[e.eType];
            c.Draw(cell.Left + 5, y, IconBuffer);
        }
    }
    for (int i = 0; i < 5; ++i) {
        const int left = TitlesRects[i].Left + 5 + (i == 0 ? s + 1 : 0);
        c.TextRect(TRect{left, y, TitlesRects[i].Right - 5, y2}, left, y, texts[i]);
    }
    c.Pen.Color = kSeparatorColor;
    c.MoveTo(cell.Left + 5, y);
    c.LineTo(cell.Right - 5, y);
}

// ---- order and text of event item lines

namespace {

struct TvnDayOrderKey {
    bool gone = true;  // the row was deleted elsewhere: listed last
    bool timed = false;
    int minute = 0;
    QString desc;
    int id = 0;
    const TvnEventDrawData* entry = nullptr;
};

bool DayOrderLess(const TvnDayOrderKey& a, const TvnDayOrderKey& b) {
    if (a.gone != b.gone) return b.gone;
    if (a.timed != b.timed) return b.timed;
    if (a.minute != b.minute) return a.minute < b.minute;
    if (const int d = a.desc.compare(b.desc, Qt::CaseInsensitive)) return d < 0;
    return a.id < b.id;
}

}  // namespace

std::vector<const TvnEventDrawData*> TvnDBDrawCalendar::EventsInDayOrder(int cell) {
    TADOTable* t = DataSet(tsEvents);
    std::vector<TvnDayOrderKey> keys;
    for (const TvnEventDrawData& entry : EventDrawList) {
        if (cell != -1 && !entry.Cells[cell]) continue;
        TvnDayOrderKey key;
        key.entry = &entry;
        if (GoToBookmark(t, entry.Bookmark)) {
            key.gone = false;
            key.timed = t->FieldByName(QStringLiteral("UseStartTime"))->AsInteger() != 0;
            const TDateTime start = t->FieldByName(QStringLiteral("Date"))->AsDateTime();
            key.minute = key.timed ? int(std::lround((start - std::floor(start)) * 1440)) : 0;
            key.desc = t->FieldByName(QStringLiteral("Desc"))->AsString();
            key.id = t->FieldByName(QStringLiteral("ID"))->AsInteger();
        }
        keys.push_back(std::move(key));
    }
    std::stable_sort(keys.begin(), keys.end(), DayOrderLess);
    std::vector<const TvnEventDrawData*> order;
    order.reserve(keys.size());
    for (const TvnDayOrderKey& key : keys)
        order.push_back(key.entry);
    return order;
}

QString TvnDBDrawCalendar::EventItemText(const QString& desc, bool useStartTime, TDateTime start) {
    if (!useStartTime) return desc;
    return FormatDateTime(FormatSettings().ShortTimeFormat, start) + u' ' + desc;
}
