// Storing holidays, notes and day colours, each naming the cell it changed,
// and removing all data of one user.
#include <utility>

#include "reminder/Vncalendardata.h"
#include "store/Adodb.h"
#include "store/Adotransaction.h"

namespace {

// The notes operations reach their row whatever the present filter is, and
// always switch the filter back on, also when the store operation fails.
template <typename F>
void WithNotesUnfiltered(TADOTable* table, F&& body) {
    table->SetFiltered(false);
    try {
        body();
    } catch (...) {
        try {
            if (table->State() == dsEdit || table->State() == dsInsert) table->Cancel();
            table->SetFiltered(true);
        } catch (...) {
        }
        throw;
    }
    table->SetFiltered(true);
}

}  // namespace

// ---- holidays

void TvnCalendarData::AddHoliday(TvnHolidayParams* params) {
    if (params == nullptr || !TableIsActive(tsHolidays)) return;
    if (LocateDBRecord(params, false))
        tbHolidays->Edit();
    else
        tbHolidays->Append();
    HolStruct_To_DBRecord(params);
    tbHolidays->Post();
    params->ID = tbHolidays->FieldByName(QStringLiteral("ID"))->AsInteger();
    int col = -1, row = -1;
    SetBookmark(col, row);
    CellChanged(col, row);
}

void TvnCalendarData::EditHoliday(TvnHolidayParams* params) {
    if (params == nullptr || !TableIsActive(tsHolidays) || !LocateDBRecord(params, true)) return;
    int oldCol = -1, oldRow = -1;
    FindAndFreeBookmark(oldCol, oldRow);
    RememberHoliday(false);
    tbHolidays->Edit();
    HolStruct_To_DBRecord(params);
    tbHolidays->Post();
    KeepPendingUndo();
    int col = -1, row = -1;
    SetBookmark(col, row);
    if (oldCol != col || oldRow != row) CellChanged(oldCol, oldRow);
    CellChanged(col, row);
}

void TvnCalendarData::DeleteHoliday(TvnHolidayParams* params) {
    if (params == nullptr || !TableIsActive(tsHolidays) || !LocateDBRecord(params, true)) return;
    int col = -1, row = -1;
    FindAndFreeBookmark(col, row);
    RememberHoliday(true);
    tbHolidays->Delete();
    KeepPendingUndo();
    CellChanged(col, row);
}

TvnHolidayRecords TvnCalendarData::TakeHolidaysList() {
    return std::exchange(HolidaysList, {});
}

void TvnCalendarData::SelectHolidays() {
    if (!TableIsActive(tsHolidays)) return;
    HolidaysList.clear();
    tbHolidays->First();
    const int count = tbHolidays->RecordCount();
    for (int i = 0; i < count; ++i, tbHolidays->Next()) {
        auto holiday = std::make_unique<TvnHolidayParams>();
        DBRecord_To_HolStruct(holiday.get());
        HolidaysList.push_back(std::move(holiday));
    }
}

// ---- notes

void TvnCalendarData::AddNotes(TvnNotesParams* params) {
    if (params == nullptr || !TableIsActive(tsNotes)) return;
    WithNotesUnfiltered(tbNotes, [&] {
        tbNotes->Append();
        NotesStruct_To_DBRecord(params);
        tbNotes->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
        tbNotes->Post();
        params->ID = tbNotes->FieldByName(QStringLiteral("ID"))->AsInteger();
    });
    DayChanged(params->Date);
}

void TvnCalendarData::EditNotes(TvnNotesParams* params) {
    if (params == nullptr || !TableIsActive(tsNotes)) return;
    bool found = false;
    WithNotesUnfiltered(tbNotes, [&] {
        found = LocateDBRecord(tsNotes, QStringLiteral("ID"), params->ID);
        if (!found) return;
        RememberNotes(false);
        tbNotes->Edit();
        NotesStruct_To_DBRecord(params);
        tbNotes->Post();
        KeepPendingUndo();
    });
    if (found) DayChanged(params->Date);
}

void TvnCalendarData::DeleteNotes(TvnNotesParams* params) {
    if (params == nullptr || !TableIsActive(tsNotes)) return;
    bool found = false;
    WithNotesUnfiltered(tbNotes, [&] {
        found = LocateDBRecord(tsNotes, QStringLiteral("ID"), params->ID);
        if (!found) return;
        RememberNotes(true);
        tbNotes->Delete();
        KeepPendingUndo();
    });
    if (found) DayChanged(params->Date);
}

// ---- day colours

void TvnCalendarData::UpdateBColor(int color, TDateTime day) {
    // Without a pressed day there is no day to colour.
    if (!TableIsActive(tsBColors) || day == 0) return;
    RememberBColor(day);
    if (LocateDBRecord(tsBColors, QStringLiteral("Date"), day)) {
        tbBColors->Edit();
    } else {
        tbBColors->Append();
        tbBColors->FieldByName(QStringLiteral("Date"))->SetAsDateTime(day);
        tbBColors->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
    }
    tbBColors->FieldByName(QStringLiteral("Color"))->SetAsInteger(color);
    tbBColors->Post();
    KeepPendingUndo();
    DayChanged(day);
}

void TvnCalendarData::DeleteBColor(TDateTime day) {
    if (!TableIsActive(tsBColors) || !LocateDBRecord(tsBColors, QStringLiteral("Date"), day))
        return;
    RememberBColor(day);
    tbBColors->Delete();
    KeepPendingUndo();
    DayChanged(day);
}

bool TvnCalendarData::CanClearCell(TDateTime day) {
    return TableIsActive(tsBColors) && LocateDBRecord(tsBColors, QStringLiteral("Date"), day);
}

// ---- users

void TvnCalendarData::DeleteDataOfUser(int user) {
    ForgetUndo();
    for (int index : {int(tsBColors), int(tsEvents), int(tsNotes)}) {
        if (!TableIsActive(index)) continue;
        TADOTable* table = DataSet(index);
        const QString restored = index == tsEvents ? QString() : RangeFilter;
        CurrUser = user;
        try {
            TTransactionScope transaction(table->Connection());
            SetFilter(index, QString(), true);
            const int count = table->RecordCount();
            table->First();
            for (int i = 0; i < count && !table->Eof(); ++i)
                table->Delete();
            transaction.Commit();
        } catch (...) {
            // The user's rows must not stay visible, nor painting stop.
            CurrUser = -1;
            try {
                SetFilter(index, restored, false);
            } catch (...) {
                SpecialFilter = false;
            }
            throw;
        }
        CurrUser = -1;
        SetFilter(index, restored, false);
    }
}
