// The calendar control with its data: paints the day colours, holidays,
// events and notes that its data (TvnCalendarData: the four tables of the
// current user) holds for the shown days, lets the user select an item line
// and scroll a full cell, and repaints the cells the data's operations change.
// The data members and operations below forward to that data.
#pragma once

#include <QString>
#include <QVariant>
#include <array>
#include <memory>
#include <vector>

#include "calendar/Vndrawcalendar.h"
#include "reminder/Vncalendardata.h"
#include "reminder/Vnrecords.h"
#include "store/Vntypes.h"

class QScrollBar;
class TADOTable;

class TvnDBDrawCalendar : public TvnDrawCalendar {
    Q_OBJECT

    // First of the members: the data names below refer into it.
    std::unique_ptr<TvnCalendarData> data_;

public:
    explicit TvnDBDrawCalendar(QWidget* parent = nullptr);
    ~TvnDBDrawCalendar() override;

    TvnCalendarData& Data() { return *data_; }
    const TvnCalendarData& Data() const { return *data_; }

    // ---- tables (selectors tsBColors, tsEvents, tsHolidays, tsNotes)
    // Binds a table; not owned. The owner must unbind a table (SetDataSet
    // with nullptr, or TableRemoved) before destroying it while the control
    // lives on.
    void SetDataSet(int index, TADOTable* table) { data_->SetDataSet(index, table); }
    TADOTable* DataSet(int index) const { return data_->DataSet(index); }
    void TableRemoved(TADOTable* table) { data_->TableRemoved(table); }
    bool TableIsActive(int index) const { return data_->TableIsActive(index); }

    // ---- users and filters
    void SetCurrUser(int user);
    void TestFilter() { data_->TestFilter(); }
    void SetFilter(int index, const QString& filter, bool special) {
        data_->SetFilter(index, filter, special);
    }
    bool LocateDBRecord(int index, const QString& keyField, const QVariant& keyValue) {
        return data_->LocateDBRecord(index, keyField, keyValue);
    }
    bool LocateDBRecord(const TvnHolidayParams* params, bool byID) {
        return data_->LocateDBRecord(params, byID);
    }

    // ---- record mapping (current row <-> record)
    void EventStruct_To_DBRecord(const TvnEventParams* p) { data_->EventStruct_To_DBRecord(p); }
    void DBRecord_To_EventStruct(TvnEventParams* p) { data_->DBRecord_To_EventStruct(p); }
    void HolStruct_To_DBRecord(const TvnHolidayParams* p) { data_->HolStruct_To_DBRecord(p); }
    void DBRecord_To_HolStruct(TvnHolidayParams* p) { data_->DBRecord_To_HolStruct(p); }
    void NotesStruct_To_DBRecord(const TvnNotesParams* p) { data_->NotesStruct_To_DBRecord(p); }
    void DBRecord_To_NotesStruct(TvnNotesParams* p) { data_->DBRecord_To_NotesStruct(p); }

    // ---- occurrence matching
    bool CanDrawEvent(TvnCellFlags& flags) { return data_->CanDrawEvent(flags); }
    bool FilterEvent(TvnEventDrawData& out) { return data_->FilterEvent(out); }
    void FilterEvents() { data_->FilterEvents(); }
    bool FindAndFreeEventFilter(TvnEventDrawData& out) {
        return data_->FindAndFreeEventFilter(out);
    }
    void ClearEventsList() { data_->ClearEventsList(); }
    bool CanDrawHoliday(int& col, int& row) { return data_->CanDrawHoliday(col, row); }
    bool SetBookmark(int& col, int& row) { return data_->SetBookmark(col, row); }
    void SetBookmarks() { data_->SetBookmarks(); }
    bool FindAndFreeBookmark(int& col, int& row) { return data_->FindAndFreeBookmark(col, row); }

    // ---- painting
    void UpdateData() override;
    void PaintTo() override;
    void DrawCell(int col, int row, bool highlighted) override;
    void UpdateCell(int col, int row);
    void UpdateCell(TDateTime date);
    void SetEventColor(int index, TColor color);
    TColor GetEventColor(int index) const;
    // Prints only the kinds of data the options ask for.
    void Print(TvnPrintOptions options, QPrinter& printer) override;

    // ---- selection and cell scroll bars
    void DoSelectItem() override;
    void SelectFocusedItem(int step) override;
    bool ItemIsSelected() const { return SelItem != -1; }
    void SetSelectItemDefData(bool full);
    void CalcSelectItem();
    void DrawSelectItem(int col, int row);
    void UpdateCellSbar(int col, int row);
    void HideCellSbar(int col, int row);
    void UpdateCellsSbars();
    void HideCellsSbars();
    // The text of an event's item line: the start time in the short time
    // format before the description when the event has a start time.
    static QString EventItemText(const QString& desc, bool useStartTime, TDateTime start);
    QScrollBar* CellScrollBar(int col, int row) const;

    // ---- holidays, notes, day colours (of SelectedDate), users
    void AddHoliday(TvnHolidayParams* params) { data_->AddHoliday(params); }
    void EditHoliday(TvnHolidayParams* params) { data_->EditHoliday(params); }
    void DeleteHoliday(TvnHolidayParams* params) { data_->DeleteHoliday(params); }
    // Fills HolidaysList, freeing the records a dialog did not take.
    void SelectHolidays() { data_->SelectHolidays(); }
    // Hands the records of the last SelectHolidays over and empties the list.
    TvnHolidayRecords TakeHolidaysList() { return data_->TakeHolidaysList(); }
    void AddNotes(TvnNotesParams* params) { data_->AddNotes(params); }
    void EditNotes(TvnNotesParams* params) { data_->EditNotes(params); }
    void DeleteNotes(TvnNotesParams* params) { data_->DeleteNotes(params); }
    void UpdateBColor(int color) { data_->UpdateBColor(color, SelectedDate); }
    void DeleteBColor() { data_->DeleteBColor(SelectedDate); }
    bool CanClearCell() { return data_->CanClearCell(SelectedDate); }
    void DeleteDataOfUser(int user) { data_->DeleteDataOfUser(user); }

    // ---- the data's state (see TvnCalendarData)
    int& CurrUser;
    QString& RangeFilter;
    bool& SpecialFilter;
    bool& FilterTested;
    TvnHolidayRecords& HolidaysList;
    std::vector<TvnEventDrawData>& EventDrawList;
    std::array<std::array<QString, 6>, 7>& HolidayBookmarks;

    // ---- the control's state
    bool UseEventColors = false;
    bool DisplayHolidays = true;
    // Changed only while printing.
    bool DisplayEvents = true;
    bool DisplayNotes = true;
    TvnEventParams SelEvent;
    TvnNotesParams SelNotes;
    // Items placed in each cell during the current paint; index CellRectIndex.
    std::array<int, 42> ItemCount{};
    int LastSelItem = -1;
    int LastSelCol = -1;
    int LastSelRow = -1;
    bool ScrollBarsEnabled = false;

protected:
    void Resize() override;
    void OnScrollBarChange(QScrollBar* sender);
    // Repaints the cells a data operation changed.
    void RepaintCells(const TvnCellFlags& cells);

    // Painting steps.
    void PaintBackground(int col, int row);
    void DrawHoliday(int col, int row, bool highlighted);
    void DrawEvent(int col, int row, bool highlighted);
    void DrawNotes(int col, int row, bool highlighted);
    void DrawItem(int col, int row, const QString& text, int iconIndex);
    void DrawDayViewEvent(const TRect& cell, bool highlighted);
    // The shown events in the order a day lists them: all-day events first,
    // then by start time, then by description; those of one cell (flag index)
    // only when cell is not -1. Every pass over a cell's item lines (paint,
    // selection, printing) walks this order. Leaves the events table on
    // some row.
    std::vector<const TvnEventDrawData*> EventsInDayOrder(int cell = -1);
    // Paints the cell's data layers after its background.
    void DrawCellData(int col, int row, bool highlighted);
    // Whether the next item line of a cell would show any pixel; the painting
    // reads a row only for lines that show.
    bool NextItemLineShows(int col, int row) const;
    int ScrollPosition(int col, int row) const;
    // Moves a table to a bookmark; false when the row is gone.
    bool GoToBookmark(TADOTable* table, const QString& bookmark);

    std::array<TColor, CategoryCount> EventColors{};
    // 16 x 16 item pictures with transparent background: event, recurring
    // event, notes.
    std::array<QImage, 3> ItemIcons;
    QImage IconBuffer;
    // Index CellRectIndex(col, row); null when ScrollBarsEnabled is false.
    std::array<QScrollBar*, 42> CellScrollBars{};

private:
    void CreateScrollBars();
    void LoadItemIcons();
    void ResetTables();
};
