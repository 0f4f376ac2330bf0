// The calendar's data without a widget: the four tables of the current user
// (binding, per-user filters, record mapping), what the shown days hold, the
// store operations on events, holidays, notes and day colours, and the
// reminder's work on due events. The calendar control paints what it holds
// and repaints the cells that OnCellsChanged names.
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <vector>

#include "calendar/Vncalendargrid.h"
#include "reminder/Vnparams.h"
#include "reminder/Vnrecords.h"
#include "store/Vntypes.h"

class TADOTable;
class TvnEventDataReader;
struct TvnEventDays;

// One flag per shown cell, index CellFlagIndex.
using TvnCellFlags = std::array<bool, CalendarCellCount>;

// The values before the last deletion or change of an event, notes, a
// holiday or a day colour: one level, the one record it touched.
struct TvnUndoRecord {
    enum Kind { ukNone, ukEvent, ukNotes, ukHoliday, ukBColor };
    Kind kind = ukNone;
    bool deleted = false;  // the record was deleted, else changed
    TvnEventParams event;
    TvnNotesParams notes;
    TvnHolidayParams holiday;
    TDateTime day = 0;  // the coloured day
    int color = -1;     // its colour before; -1: none
};

class TvnCalendarData {
public:
    TvnCalendarData();
    ~TvnCalendarData();
    TvnCalendarData(const TvnCalendarData&) = delete;
    TvnCalendarData& operator=(const TvnCalendarData&) = delete;

    // ---- tables (selectors tsBColors, tsEvents, tsHolidays, tsNotes)
    // Binds a table; not owned. The owner must unbind a table (SetDataSet
    // with nullptr, or TableRemoved) before destroying it.
    void SetDataSet(int index, TADOTable* table);
    TADOTable* DataSet(int index) const;
    void TableRemoved(TADOTable* table);
    bool TableIsActive(int index) const;

    // ---- the days shown
    // The grid of the view whose days the matching and the repaints refer
    // to, read as it stands; not owned. Null (the default): no day is shown.
    void SetShownGrid(const TvnCalendarGrid* grid) { shown_ = grid; }
    // Raised with the cells whose content a store operation changed.
    std::function<void(const TvnCellFlags& cells)> OnCellsChanged;
    // Rebuilds the filters of the shown range and what the shown days hold.
    void ShowRange();

    // ---- users and filters
    // False for a negative user or the current one; otherwise the user is
    // current and the caller refreshes.
    bool SetCurrUser(int user);
    void TestFilter();
    void SetFilter(int index, const QString& filter, bool special);
    bool LocateDBRecord(int index, const QString& keyField, const QVariant& keyValue);
    bool LocateDBRecord(const TvnHolidayParams* params, bool byID);
    // "Date >= 'from' AND Date < 'to'" in the present date format.
    static QString RangeText(TDateTime from, TDateTime to);
    // The notes filter of one day (special) and back to the shown range.
    void SetNotesDayFilter(TDateTime day);
    void RestoreNotesFilter();

    // ---- record mapping (current row <-> record)
    void EventStruct_To_DBRecord(const TvnEventParams* params);
    void DBRecord_To_EventStruct(TvnEventParams* params);
    void HolStruct_To_DBRecord(const TvnHolidayParams* params);
    void DBRecord_To_HolStruct(TvnHolidayParams* params);
    void NotesStruct_To_DBRecord(const TvnNotesParams* params);
    void DBRecord_To_NotesStruct(TvnNotesParams* params);

    // ---- what the shown days hold (the current row against the grid)
    bool CanDrawEvent(TvnCellFlags& flags);
    bool FilterEvent(TvnEventDrawData& out);
    void FilterEvents();
    bool FindAndFreeEventFilter(TvnEventDrawData& out);
    void ClearEventsList();
    bool CanDrawHoliday(int& col, int& row);
    bool SetBookmark(int& col, int& row);
    void SetBookmarks();
    bool FindAndFreeBookmark(int& col, int& row);

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
    // The colour of a day; nothing without a day (0).
    void UpdateBColor(int color, TDateTime day);
    void DeleteBColor(TDateTime day);
    bool CanClearCell(TDateTime day);
    void DeleteDataOfUser(int user);

    // ---- events
    void AddEvent(TvnEventParams* params);
    void EditEvent(TvnEventParams* params);
    // Stores the event as due again at the given time, whatever its rules say.
    void SnoozeEvent(TvnEventParams* params, TDateTime until);
    void DeleteEvent(TvnEventParams* params);
    // Copies of the events of the present filter, in table order.
    TvnEventRecords ReadEvents();
    // The recurring events that start on or before 31 December of the year.
    TvnEventRecords SelectEvents(int year);
    TvnEventRecords FindEvents(const TvnFindParams& params);
    // The current user's events whose notification time has come by now.
    TvnEventRecords DueEvents(TDateTime now);
    // Stores each announced event once, snoozed (ID -> the new RunDate) or
    // moved on to its next notification time, in one transaction; the cells
    // concerned change once.
    void MoveOnEvents(std::vector<TvnEventParams>& due, const QHash<int, TDateTime>& snoozed);

    // ---- export and import of the current user's events
    bool ExportEvents(const TvnExportParams& params);
    bool SaveAsTXT(const TvnExportParams& params);
    bool SaveAsEDF(const TvnExportParams& params);
    // Stores the file's importable events, after deleting the user's own
    // when asked, in one transaction.
    void ImportEvents(const TvnEventDataReader& file, bool deleteExisting);

    // ---- taking back the last deletion or change (one level)
    bool CanUndo() const { return undo_.kind != TvnUndoRecord::ukNone; }
    // What Undo takes back: "Deleted "Dentist"", "Changed "Dentist"".
    QString UndoText() const;
    // Stores the values of before again (a deleted record comes back with a
    // new ID); false when there is nothing to take back.
    bool Undo();
    void ForgetUndo();
    TvnUndoRecord::Kind UndoKind() const { return undo_.kind; }
    // Raised when what Undo would take back changed (a new record, or none).
    std::function<void()> OnUndoChanged;

    // ---- state
    // The user whose rows are shown, 0 to 8 (-1 only inside DeleteDataOfUser).
    int CurrUser = 0;
    // The filter of the shown range, rebuilt by every ShowRange.
    QString RangeFilter;
    // A caller has a temporary filter on a table: no painting, no tick.
    bool SpecialFilter = false;
    bool FilterTested = false;
    // Filled by SelectHolidays for the holidays dialog, which takes the
    // records over.
    TvnHolidayRecords HolidaysList;
    // Events of the shown days in the order the table delivered them.
    std::vector<TvnEventDrawData> EventDrawList;
    // Bookmark of the holiday shown in each cell, [col][row]; "0" for none.
    std::array<std::array<QString, 6>, 7> HolidayBookmarks;

private:
    class EventsFilterScope;
    class ShownEventsUpdate;
    friend class TvnUserEvents;

    // Another table on the events table's connection changed events: the
    // rows this one has read may be out of date.
    void EventsChangedElsewhere();
    void CellsChanged(const TvnCellFlags& cells);
    void CellChanged(int col, int row);
    void DayChanged(TDateTime day);
    TvnEventDays CurrentEventDays();
    TvnHolidayParams CurrentHolidayDate();
    // Writes the record over its stored row (update sets RunDate and
    // Completed first) and notes the cells it left and entered in "shown".
    void StoreEvent(TvnEventParams* params, const std::function<void()>& update,
                    ShownEventsUpdate& shown);
    bool DescriptionMatches(const TvnFindParams& params, const QString& desc) const;
    void DeleteAllEventsOfCurrentUser();
    void StoreImportedEvents(const TvnEventDataReader& file);

    // Notes the record at the current row of the table before it changes.
    template <typename Read>
    void Remember(TvnUndoRecord::Kind kind, bool deleted, Read read);
    void RememberEvent(bool deleted);
    void RememberNotes(bool deleted);
    void RememberHoliday(bool deleted);
    void RememberBColor(TDateTime day);
    void KeepPendingUndo();
    void UndoChanged();

    TvnUndoRecord undo_;
    TvnUndoRecord pending_;  // remembered before a store operation, kept after it
    bool undoing_ = false;   // an Undo's own store operations note nothing
    TADOTable* tbBColors = nullptr;
    TADOTable* tbEvents = nullptr;
    TADOTable* tbHolidays = nullptr;
    TADOTable* tbNotes = nullptr;
    const TvnCalendarGrid* shown_ = nullptr;
};
