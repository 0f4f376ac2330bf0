// Construction, table binding, per-user filters, locating rows, the record
// mappings and the matching over the tables.
#include "calendar/Vndbdrawcalendar.h"

#include <QScrollBar>

#include "platform/DateFormat.h"
#include "store/Adodb.h"
#include "store/Vneventrecord.h"

TvnDBDrawCalendar::TvnDBDrawCalendar(QWidget* parent) : TvnDrawCalendar(parent) {
    SelEvent.ID = -1;
    SelNotes.ID = -1;
    LoadItemIcons();
    CreateScrollBars();
    // The base constructor could only compute the dates; now the data side
    // exists, refresh it too.
    UpdateData();
}

TvnDBDrawCalendar::~TvnDBDrawCalendar() {
    ClearEventsList();
    ResetTables();
}

void TvnDBDrawCalendar::ResetTables() {
    for (TADOTable* table : {tbBColors, tbEvents, tbHolidays, tbNotes}) {
        try {
            if (table && table->Active()) {
                table->SetFiltered(false);
                table->First();
            }
        } catch (const std::exception& error) {
            ReportError(error);
        }
    }
}

void TvnDBDrawCalendar::CreateScrollBars() {
    for (int col = 0; col < 7; ++col)
        for (int row = 0; row < 6; ++row) {
            auto* bar = new QScrollBar(Qt::Vertical, this);
            bar->setFocusPolicy(Qt::NoFocus);
            bar->setProperty("Tag", CellFlagIndex(col, row));
            bar->setRange(0, 0);
            bar->setSingleStep(1);
            bar->setPageStep(1);
            bar->hide();
            connect(bar, &QScrollBar::valueChanged, this,
                    [this, bar] { Guarded([&] { OnScrollBarChange(bar); }); });
            CellScrollBars[CellRectIndex(col, row)] = bar;
        }
    ScrollBarsEnabled = true;
}

// ---- tables

void TvnDBDrawCalendar::SetDataSet(int index, TADOTable* table) {
    switch (index) {
        case tsBColors:
            tbBColors = table;
            break;
        case tsEvents:
            tbEvents = table;
            break;
        case tsHolidays:
            tbHolidays = table;
            break;
        case tsNotes:
            tbNotes = table;
            break;
        default:
            break;
    }
}

TADOTable* TvnDBDrawCalendar::DataSet(int index) const {
    switch (index) {
        case tsBColors:
            return tbBColors;
        case tsEvents:
            return tbEvents;
        case tsHolidays:
            return tbHolidays;
        case tsNotes:
            return tbNotes;
        default:
            return nullptr;
    }
}

void TvnDBDrawCalendar::TableRemoved(TADOTable* table) {
    if (table == nullptr) return;
    for (TADOTable** ref : {&tbBColors, &tbEvents, &tbHolidays, &tbNotes})
        if (*ref == table) *ref = nullptr;
}

bool TvnDBDrawCalendar::TableIsActive(int index) const {
    const TADOTable* table = DataSet(index);
    return table && table->Active();
}

// ---- users and filters

void TvnDBDrawCalendar::SetCurrUser(int user) {
    if (user < 0 || user == CurrUser) return;
    CurrUser = user;
    UpdateCalendar();
}

void TvnDBDrawCalendar::TestFilter() {
    if (FilterTested) return;
    FilterTested = true;
    if (!TableIsActive(tsBColors)) return;
    try {
        tbBColors->SetFiltered(false);
        tbBColors->SetFilter(QStringLiteral("Date = '") + DateToStr(CalendarDate()) + u'\'');
        tbBColors->SetFiltered(true);
    } catch (const EDatabaseError&) {
        // The engine cannot read dates in the user's format: write every
        // later date in formats it reads.
        UseFallbackDateTimeFormats();
    }
}

void TvnDBDrawCalendar::SetFilter(int index, const QString& filter, bool special) {
    TestFilter();
    const bool wasSpecial = SpecialFilter;
    SpecialFilter = special;
    const QString user = QString::number(CurrUser);
    const QString effective = filter.isEmpty() ? QStringLiteral("UserID = ") + user
                                               : filter + QStringLiteral(" AND UserID = ") + user;
    if (index != tsBColors && index != tsEvents && index != tsNotes) return;
    TADOTable* table = DataSet(index);
    if (table == nullptr) return;
    // The text is assigned while the old filter is still on: a text the
    // engine rejects then leaves the table showing only the user's rows, and
    // no temporary filter is in force, so painting and the reminder go on.
    try {
        table->SetFilter(effective);
        table->SetFiltered(true);
    } catch (...) {
        SpecialFilter = wasSpecial;
        throw;
    }
}

bool TvnDBDrawCalendar::LocateDBRecord(int index, const QString& keyField,
                                       const QVariant& keyValue) {
    if (index != tsBColors && index != tsEvents && index != tsNotes) return false;
    if (!TableIsActive(index)) return false;
    return DataSet(index)->Locate(keyField + QStringLiteral(";UserID"),
                                  QVariantList{keyValue, CurrUser});
}

bool TvnDBDrawCalendar::LocateDBRecord(const TvnHolidayParams* params, bool byID) {
    if (params == nullptr || !TableIsActive(tsHolidays)) return false;
    if (byID) return tbHolidays->Locate(QStringLiteral("ID"), QVariant(params->ID));
    if (params->Day != 0)
        return tbHolidays->Locate(QStringLiteral("Month;Day"),
                                  QVariantList{int(params->Month), int(params->Day)});
    return tbHolidays->Locate(
        QStringLiteral("Month;DayOfWeek;NumOfWeek"),
        QVariantList{int(params->Month), int(params->DayOfWeek), int(params->NumOfWeek)});
}

// ---- record mapping

void TvnDBDrawCalendar::EventStruct_To_DBRecord(const TvnEventParams* p) {
    EventToRow(*tbEvents, *p);
}

void TvnDBDrawCalendar::DBRecord_To_EventStruct(TvnEventParams* p) {
    EventFromRow(*tbEvents, *p);
}

void TvnDBDrawCalendar::HolStruct_To_DBRecord(const TvnHolidayParams* p) {
    TADOTable* t = tbHolidays;
    t->FieldByName(QStringLiteral("Month"))->SetAsInteger(p->Month);
    t->FieldByName(QStringLiteral("Day"))->SetAsInteger(p->Day);
    t->FieldByName(QStringLiteral("DayOfWeek"))->SetAsInteger(p->DayOfWeek);
    t->FieldByName(QStringLiteral("NumOfWeek"))->SetAsInteger(p->NumOfWeek);
    t->FieldByName(QStringLiteral("Name"))->SetAsString(p->Name);
}

void TvnDBDrawCalendar::DBRecord_To_HolStruct(TvnHolidayParams* p) {
    TADOTable* t = tbHolidays;
    p->ID = t->FieldByName(QStringLiteral("ID"))->AsInteger();
    p->Month = uint16_t(t->FieldByName(QStringLiteral("Month"))->AsInteger());
    p->Day = uint16_t(t->FieldByName(QStringLiteral("Day"))->AsInteger());
    p->DayOfWeek = uint16_t(t->FieldByName(QStringLiteral("DayOfWeek"))->AsInteger());
    p->NumOfWeek = uint16_t(t->FieldByName(QStringLiteral("NumOfWeek"))->AsInteger());
    p->Name = t->FieldByName(QStringLiteral("Name"))->AsString();
}

void TvnDBDrawCalendar::NotesStruct_To_DBRecord(const TvnNotesParams* p) {
    TADOTable* t = tbNotes;
    t->FieldByName(QStringLiteral("Date"))->SetAsDateTime(p->Date);
    t->FieldByName(QStringLiteral("Title"))->SetAsString(p->Title);
    t->FieldByName(QStringLiteral("Notes"))->SetAsString(p->Notes);
}

void TvnDBDrawCalendar::DBRecord_To_NotesStruct(TvnNotesParams* p) {
    TADOTable* t = tbNotes;
    p->ID = t->FieldByName(QStringLiteral("ID"))->AsInteger();
    p->Date = t->FieldByName(QStringLiteral("Date"))->AsDateTime();
    p->Title = t->FieldByName(QStringLiteral("Title"))->AsString();
    p->Notes = t->FieldByName(QStringLiteral("Notes"))->AsString();
}

// ---- matching over the tables

TvnEventDays TvnDBDrawCalendar::CurrentEventDays() {
    TADOTable* t = tbEvents;
    TvnEventDays days;
    days.Date = t->FieldByName(QStringLiteral("Date"))->AsDateTime();
    days.EndDate = t->FieldByName(QStringLiteral("EndDate"))->AsDateTime();
    days.UseEndDate = t->FieldByName(QStringLiteral("UseEndDate"))->AsInteger() != 0;
    days.Recurrence = t->FieldByName(QStringLiteral("Recurrence"))->AsInteger();
    days.nParam = t->FieldByName(QStringLiteral("nParam"))->AsInteger();
    return days;
}

TvnHolidayParams TvnDBDrawCalendar::CurrentHolidayDate() {
    TvnHolidayParams holiday;
    DBRecord_To_HolStruct(&holiday);
    return holiday;
}

bool TvnDBDrawCalendar::CanDrawEvent(std::array<bool, CalendarCellCount>& flags) {
    if (ViewMode() == vmYear) return false;
    return MatchEventCells(CurrentEventDays(), Grid(), flags);
}

bool TvnDBDrawCalendar::FilterEvent(TvnEventDrawData& out) {
    if (!TableIsActive(tsEvents)) return false;
    TvnEventDrawData entry;
    if (!CanDrawEvent(entry.Cells)) return false;
    entry.Bookmark = tbEvents->Bookmark();
    EventDrawList.push_back(entry);
    out = entry;
    return true;
}

void TvnDBDrawCalendar::FilterEvents() {
    ClearEventsList();
    if (!TableIsActive(tsEvents)) return;
    SetFilter(tsEvents, QString(), false);
    tbEvents->First();
    const int count = tbEvents->RecordCount();
    TvnEventDrawData entry;
    for (int i = 0; i < count; ++i) {
        FilterEvent(entry);
        tbEvents->Next();
    }
}

bool TvnDBDrawCalendar::FindAndFreeEventFilter(TvnEventDrawData& out) {
    if (!TableIsActive(tsEvents)) return false;
    const QString bookmark = tbEvents->Bookmark();
    for (auto it = EventDrawList.begin(); it != EventDrawList.end(); ++it) {
        if (it->Bookmark != bookmark) continue;
        out = *it;
        EventDrawList.erase(it);
        return true;
    }
    return false;
}

void TvnDBDrawCalendar::ClearEventsList() {
    EventDrawList.clear();
}

bool TvnDBDrawCalendar::CanDrawHoliday(int& col, int& row) {
    col = row = -1;
    if (ViewMode() == vmYear) return false;
    return MatchHolidayCell(CurrentHolidayDate(), Grid(), col, row);
}

bool TvnDBDrawCalendar::SetBookmark(int& col, int& row) {
    if (!TableIsActive(tsHolidays) || !CanDrawHoliday(col, row)) return false;
    HolidayBookmarks[col][row] = tbHolidays->Bookmark();
    return true;
}

void TvnDBDrawCalendar::SetBookmarks() {
    for (auto& column : HolidayBookmarks)
        column.fill(QStringLiteral("0"));
    if (!TableIsActive(tsHolidays)) return;
    tbHolidays->SetFiltered(false);
    tbHolidays->SetFilter(QStringLiteral("ID > 1"));
    tbHolidays->SetFiltered(true);
    tbHolidays->First();
    const int count = tbHolidays->RecordCount();
    for (int i = 0; i < count; ++i) {
        int col = -1, row = -1;
        SetBookmark(col, row);
        tbHolidays->Next();
    }
}

bool TvnDBDrawCalendar::FindAndFreeBookmark(int& col, int& row) {
    col = row = -1;
    if (!TableIsActive(tsHolidays)) return false;
    const QString bookmark = tbHolidays->Bookmark();
    for (int c = 0; c < 7; ++c)
        for (int r = 0; r < 6; ++r)
            if (HolidayBookmarks[c][r] == bookmark) {
                HolidayBookmarks[c][r] = QStringLiteral("0");
                col = c;
                row = r;
                return true;
            }
    return false;
}
