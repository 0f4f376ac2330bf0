// Table binding, per-user filters, locating rows and the record mappings.
#include "reminder/Vncalendardata.h"

#include "platform/DateFormat.h"
#include "store/Adodb.h"
#include "store/Vneventrecord.h"

TvnCalendarData::TvnCalendarData() = default;

TvnCalendarData::~TvnCalendarData() = default;

// ---- tables

void TvnCalendarData::SetDataSet(int index, TADOTable* table) {
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

TADOTable* TvnCalendarData::DataSet(int index) const {
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

void TvnCalendarData::TableRemoved(TADOTable* table) {
    if (table == nullptr) return;
    for (TADOTable** ref : {&tbBColors, &tbEvents, &tbHolidays, &tbNotes})
        if (*ref == table) *ref = nullptr;
}

bool TvnCalendarData::TableIsActive(int index) const {
    const TADOTable* table = DataSet(index);
    return table && table->Active();
}

// ---- users and filters

bool TvnCalendarData::SetCurrUser(int user) {
    if (user < 0 || user == CurrUser) return false;
    CurrUser = user;
    ForgetUndo();  // the record was the other user's
    return true;
}

void TvnCalendarData::TestFilter() {
    if (FilterTested) return;
    FilterTested = true;
    if (!TableIsActive(tsBColors)) return;
    const TDateTime day = shown_ ? shown_->CalendarDate() : Date();
    try {
        tbBColors->SetFiltered(false);
        tbBColors->SetFilter(QStringLiteral("Date = '") + DateToStr(day) + u'\'');
        tbBColors->SetFiltered(true);
    } catch (const EDatabaseError&) {
        // The engine cannot read dates in the user's format: write every
        // later date in formats it reads.
        UseFallbackDateTimeFormats();
    }
}

void TvnCalendarData::SetFilter(int index, const QString& filter, bool special) {
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

bool TvnCalendarData::LocateDBRecord(int index, const QString& keyField, const QVariant& keyValue) {
    if (index != tsBColors && index != tsEvents && index != tsNotes) return false;
    if (!TableIsActive(index)) return false;
    return DataSet(index)->Locate(keyField + QStringLiteral(";UserID"),
                                  QVariantList{keyValue, CurrUser});
}

bool TvnCalendarData::LocateDBRecord(const TvnHolidayParams* params, bool byID) {
    if (params == nullptr || !TableIsActive(tsHolidays)) return false;
    if (byID) return tbHolidays->Locate(QStringLiteral("ID"), QVariant(params->ID));
    if (params->Day != 0)
        return tbHolidays->Locate(QStringLiteral("Month;Day"),
                                  QVariantList{int(params->Month), int(params->Day)});
    return tbHolidays->Locate(
        QStringLiteral("Month;DayOfWeek;NumOfWeek"),
        QVariantList{int(params->Month), int(params->DayOfWeek), int(params->NumOfWeek)});
}

QString TvnCalendarData::RangeText(TDateTime from, TDateTime to) {
    return QStringLiteral("Date >= '") + DateToStr(from) + QStringLiteral("' AND Date < '") +
           DateToStr(to) + u'\'';
}

void TvnCalendarData::SetNotesDayFilter(TDateTime day) {
    SetFilter(tsNotes, RangeText(day, day + 1), true);
}

void TvnCalendarData::RestoreNotesFilter() {
    SetFilter(tsNotes, RangeFilter, false);
}

// ---- record mapping

void TvnCalendarData::EventStruct_To_DBRecord(const TvnEventParams* p) {
    EventToRow(*tbEvents, *p);
}

void TvnCalendarData::DBRecord_To_EventStruct(TvnEventParams* p) {
    EventFromRow(*tbEvents, *p);
}

void TvnCalendarData::HolStruct_To_DBRecord(const TvnHolidayParams* p) {
    TADOTable* t = tbHolidays;
    t->FieldByName(QStringLiteral("Month"))->SetAsInteger(p->Month);
    t->FieldByName(QStringLiteral("Day"))->SetAsInteger(p->Day);
    t->FieldByName(QStringLiteral("DayOfWeek"))->SetAsInteger(p->DayOfWeek);
    t->FieldByName(QStringLiteral("NumOfWeek"))->SetAsInteger(p->NumOfWeek);
    t->FieldByName(QStringLiteral("Name"))->SetAsString(p->Name);
}

void TvnCalendarData::DBRecord_To_HolStruct(TvnHolidayParams* p) {
    TADOTable* t = tbHolidays;
    p->ID = t->FieldByName(QStringLiteral("ID"))->AsInteger();
    p->Month = uint16_t(t->FieldByName(QStringLiteral("Month"))->AsInteger());
    p->Day = uint16_t(t->FieldByName(QStringLiteral("Day"))->AsInteger());
    p->DayOfWeek = uint16_t(t->FieldByName(QStringLiteral("DayOfWeek"))->AsInteger());
    p->NumOfWeek = uint16_t(t->FieldByName(QStringLiteral("NumOfWeek"))->AsInteger());
    p->Name = t->FieldByName(QStringLiteral("Name"))->AsString();
}

void TvnCalendarData::NotesStruct_To_DBRecord(const TvnNotesParams* p) {
    TADOTable* t = tbNotes;
    t->FieldByName(QStringLiteral("Date"))->SetAsDateTime(p->Date);
    t->FieldByName(QStringLiteral("Title"))->SetAsString(p->Title);
    t->FieldByName(QStringLiteral("Notes"))->SetAsString(p->Notes);
}

void TvnCalendarData::DBRecord_To_NotesStruct(TvnNotesParams* p) {
    TADOTable* t = tbNotes;
    p->ID = t->FieldByName(QStringLiteral("ID"))->AsInteger();
    p->Date = t->FieldByName(QStringLiteral("Date"))->AsDateTime();
    p->Title = t->FieldByName(QStringLiteral("Title"))->AsString();
    p->Notes = t->FieldByName(QStringLiteral("Notes"))->AsString();
}

void TvnCalendarData::EventsChangedElsewhere() {
    // The user's filter assigned again makes the table read its rows anew; a
    // temporary filter, when one is on, is replaced by it at its end anyway.
    if (!TableIsActive(tsEvents) || SpecialFilter) return;
    SetFilter(tsEvents, QString(), false);
}
