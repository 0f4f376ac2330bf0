// The data side of the calendar control: binds the cells to the four tables
// (events, holidays, notes, day colours) of the current user, matches events
// and holidays to the shown days, paints them, lets the user select an item
// line and scroll a full cell, and stores holidays, notes and day colours.
#pragma once

#include <QString>
#include <QVariant>
#include <array>
#include <vector>

#include "calendar/Vndbdrawcalendar_match.h"
#include "calendar/Vndrawcalendar.h"
#include "reminder/Vnrecords.h"
#include "store/Vntypes.h"

class QScrollBar;
class TADOTable;

class TvnDBDrawCalendar : public TvnDrawCalendar {
    Q_OBJECT

public:
    explicit TvnDBDrawCalendar(QWidget* parent = nullptr);
    ~TvnDBDrawCalendar() override;

    // ---- tables (selectors tsBColors, tsEvents, tsHolidays, tsNotes)
    // Binds a table; not owned. The owner must unbind a table (SetDataSet
    // with nullptr, or TableRemoved) before destroying it while the control
    // lives on.
    void SetDataSet(int index, TADOTable* table);
    TADOTable* DataSet(int index) const;
    void TableRemoved(TADOTable* table);
    bool TableIsActive(int index) const;

    // ---- users and filters
    void SetCurrUser(int user);
    void TestFilter();
    void SetFilter(int index, const QString& filter, bool special);
    bool LocateDBRecord(int index, const QString& keyField, const QVariant& keyValue);
    bool LocateDBRecord(const TvnHolidayParams* params, bool byID);

    // ---- record mapping (current row <-> record)
    void EventStruct_To_DBRecord(const TvnEventParams* params);
    void DBRecord_To_EventStruct(TvnEventParams* params);
    void HolStruct_To_DBRecord(const TvnHolidayParams* params);
    void DBRecord_To_HolStruct(TvnHolidayParams* params);
    void NotesStruct_To_DBRecord(const TvnNotesParams* params);
    void DBRecord_To_NotesStruct(TvnNotesParams* params);

    // ---- occurrence matching
    bool CanDrawEvent(std::array<bool, CalendarCellCount>& flags);
    bool FilterEvent(TvnEventDrawData& out);
    void FilterEvents();
    bool FindAndFreeEventFilter(TvnEventDrawData& out);
    void ClearEventsList();
    bool CanDrawHoliday(int& col, int& row);
    bool SetBookmark(int& col, int& row);
    void SetBookmarks();
    bool FindAndFreeBookmark(int& col, int& row);

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
    bool ItemIsSelected() const { return SelItem != -1; }
    void SetSelectItemDefData(bool full);
    void CalcSelectItem();
    void DrawSelectItem(int col, int row);
    void UpdateCellSbar(int col, int row);
    void HideCellSbar(int col, int row);
    void UpdateCellsSbars();
    void HideCellsSbars();
    QScrollBar* CellScrollBar(int col, int row) const;

    // ---- holidays, notes, day colours, users
    void AddHoliday(TvnHolidayParams* params);
    void EditHoliday(TvnHolidayParams* params);
    void DeleteHoliday(TvnHolidayParams* params);
    // Fills HolidaysList, freeing the records a dialog did not take.
    void SelectHolidays();
    // Hands the records of the last SelectHolidays over and empties the list.
    TvnHolidayRecords TakeHolidaysList();
    void AddNotes(TvnNotesParams* params);
    void EditNotes(TvnNotesParams* params);
    void DeleteNotes(TvnNotesParams* params);
    void UpdateBColor(int color);
    void DeleteBColor();
    bool CanClearCell();
    void DeleteDataOfUser(int user);

    // ---- public state
    // The user whose rows are shown, 0 to 8 (-1 only inside DeleteDataOfUser).
    int CurrUser = 0;
    bool UseEventColors = false;
    bool DisplayHolidays = true;
    // Changed only while printing.
    bool DisplayEvents = true;
    bool DisplayNotes = true;
    // Filled by SelectHolidays for the holidays dialog, which takes the
    // records over (TakeHolidaysList).
    TvnHolidayRecords HolidaysList;
    TvnEventParams SelEvent;
    TvnNotesParams SelNotes;
    // Events of the shown days in the order the table delivered them.
    std::vector<TvnEventDrawData> EventDrawList;
    // Bookmark of the holiday shown in each cell, [col][row]; "0" for none.
    std::array<std::array<QString, 6>, 7> HolidayBookmarks;
    // Items placed in each cell during the current paint; index CellRectIndex.
    std::array<int, 42> ItemCount{};
    QString RangeFilter;
    // A caller has a temporary filter on a table: no data painting, no clicks.
    bool SpecialFilter = false;
    bool FilterTested = false;
    int LastSelItem = -1;
    int LastSelCol = -1;
    int LastSelRow = -1;
    bool ScrollBarsEnabled = false;

protected:
    void Resize() override;
    void OnScrollBarChange(QScrollBar* sender);

    // Painting steps.
    void PaintBackground(int col, int row);
    void DrawHoliday(int col, int row, bool highlighted);
    void DrawEvent(int col, int row, bool highlighted);
    void DrawNotes(int col, int row, bool highlighted);
    void DrawItem(int col, int row, const QString& text, int iconIndex);
    void DrawDayViewEvent(const TRect& cell, bool highlighted);
    // Paints the cell's data layers after its background.
    void DrawCellData(int col, int row, bool highlighted);
    // Whether the next item line of a cell would show any pixel; the painting
    // reads a row only for lines that show.
    bool NextItemLineShows(int col, int row) const;
    int ScrollPosition(int col, int row) const;
    // Moves a table to a bookmark; false when the row is gone.
    bool GoToBookmark(TADOTable* table, const QString& bookmark);
    // Sets the notes filter to one day (special) or back to the shown range.
    void SetNotesDayFilter(TDateTime day);
    void RestoreNotesFilter();
    // Fields of the current events row that the matching reads.
    TvnEventDays CurrentEventDays();
    TvnHolidayParams CurrentHolidayDate();

    TADOTable* tbBColors = nullptr;
    TADOTable* tbEvents = nullptr;
    TADOTable* tbHolidays = nullptr;
    TADOTable* tbNotes = nullptr;
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
