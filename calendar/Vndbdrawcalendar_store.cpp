// Storing holidays, notes and day colours with their cells repainted, and
// removing all data of one user.
#include <utility>

#include "calendar/Vndbdrawcalendar.h"
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

void TvnDBDrawCalendar::AddHoliday(TvnHolidayParams* params) {
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
    UpdateCell(col, row);
}

void TvnDBDrawCalendar::EditHoliday(TvnHolidayParams* params) {
    if (params == nullptr || !TableIsActive(tsHolidays) || !LocateDBRecord(params, true)) return;
    int oldCol = -1, oldRow = -1;
    FindAndFreeBookmark(oldCol, oldRow);
    tbHolidays->Edit();
    HolStruct_To_DBRecord(params);
    tbHolidays->Post();
    int col = -1, row = -1;
    SetBookmark(col, row);
    if (oldCol != col || oldRow != row) UpdateCell(oldCol, oldRow);
    UpdateCell(col, row);
}

void TvnDBDrawCalendar::DeleteHoliday(TvnHolidayParams* params) {
    if (params == nullptr || !TableIsActive(tsHolidays) || !LocateDBRecord(params, true)) return;
    int col = -1, row = -1;
    FindAndFreeBookmark(col, row);
    tbHolidays->Delete();
    UpdateCell(col, row);
}

void TvnDBDrawCalendar::SelectHolidays() {
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

TvnHolidayRecords TvnDBDrawCalendar::TakeHolidaysList() {
    return std::exchange(HolidaysList, {});
}

// ---- notes

void TvnDBDrawCalendar::AddNotes(TvnNotesParams* params) {
    if (params == nullptr || !TableIsActive(tsNotes)) return;
    WithNotesUnfiltered(tbNotes, [&] {
        tbNotes->Append();
        NotesStruct_To_DBRecord(params);
        tbNotes->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
        tbNotes->Post();
        params->ID = tbNotes->FieldByName(QStringLiteral("ID"))->AsInteger();
    });
    UpdateCell(params->Date);
}

void TvnDBDrawCalendar::EditNotes(TvnNotesParams* params) {
    if (params == nullptr || !TableIsActive(tsNotes)) return;
    bool found = false;
    WithNotesUnfiltered(tbNotes, [&] {
        found = LocateDBRecord(tsNotes, QStringLiteral("ID"), params->ID);
        if (!found) return;
        tbNotes->Edit();
        NotesStruct_To_DBRecord(params);
        tbNotes->Post();
    });
    if (found) UpdateCell(params->Date);
}

void TvnDBDrawCalendar::DeleteNotes(TvnNotesParams* params) {
    if (params == nullptr || !TableIsActive(tsNotes)) return;
    bool found = false;
    WithNotesUnfiltered(tbNotes, [&] {
        found = LocateDBRecord(tsNotes, QStringLiteral("ID"), params->ID);
        if (found) tbNotes->Delete();
    });
    if (found) UpdateCell(params->Date);
}

// ---- day colours

void TvnDBDrawCalendar::UpdateBColor(int color) {
    // Without a pressed day there is no day to colour.
    if (!TableIsActive(tsBColors) || SelectedDate == 0) return;
    if (LocateDBRecord(tsBColors, QStringLiteral("Date"), SelectedDate)) {
        tbBColors->Edit();
    } else {
        tbBColors->Append();
        tbBColors->FieldByName(QStringLiteral("Date"))->SetAsDateTime(SelectedDate);
        tbBColors->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
    }
    tbBColors->FieldByName(QStringLiteral("Color"))->SetAsInteger(color);
    tbBColors->Post();
    UpdateCell(SelectedDate);
}

void TvnDBDrawCalendar::DeleteBColor() {
    if (!TableIsActive(tsBColors) ||
        !LocateDBRecord(tsBColors, QStringLiteral("Date"), SelectedDate))
        return;
    tbBColors->Delete();
    UpdateCell(SelectedDate);
}

bool TvnDBDrawCalendar::CanClearCell() {
    return TableIsActive(tsBColors) &&
           LocateDBRecord(tsBColors, QStringLiteral("Date"), SelectedDate);
}

// ---- users

void TvnDBDrawCalendar::DeleteDataOfUser(int user) {
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
