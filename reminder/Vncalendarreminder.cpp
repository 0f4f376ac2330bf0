#include "reminder/Vncalendarreminder.h"

#include <memory>

#include "platform/DateFormat.h"
#include "reminder/Vnrecurrence.h"
#include "store/Adodb.h"

TvnCalendarReminder::EventsFilterScope::~EventsFilterScope() {
    if (!calendar_.SpecialFilter) return;  // the operation already put it back
    try {
        calendar_.SetFilter(tsEvents, QString(), false);
    } catch (...) {
        // Already unwinding from the first error, which is the one to report;
        // the flag at least must not stop painting and the reminder for good.
        calendar_.SpecialFilter = false;
    }
}

TvnCalendarReminder::TvnCalendarReminder(QWidget* parent) : TvnDBDrawCalendar(parent) {}

TvnCalendarReminder::~TvnCalendarReminder() = default;

void TvnCalendarReminder::CalcEventNotifyDate(TvnEventParams* params) {
    ::CalcEventNotifyDate(params, Now());
}

void TvnCalendarReminder::FillEventsList() {
    EventsList.clear();
    const int count = tbEvents->RecordCount();
    tbEvents->First();
    for (int i = 0; i < count; ++i) {
        AppendCurrentEvent();
        tbEvents->Next();
    }
}

void TvnCalendarReminder::AppendCurrentEvent() {
    auto record = std::make_unique<TvnEventParams>();
    DBRecord_To_EventStruct(record.get());
    EventsList.append(record.release());
}

void TvnCalendarReminder::RepaintCells(const TvnEventDrawData& before,
                                       const TvnEventDrawData& after) {
    for (int n = 0; n < CalendarCellCount; ++n) {
        if (!before.Cells[n] && !after.Cells[n]) continue;
        const TvnCell cell = CellOfFlagIndex(n);
        UpdateCell(cell.Col, cell.Row);
    }
}

void TvnCalendarReminder::AddEvent(TvnEventParams* params) {
    if (!TableIsActive(tsEvents)) return;
    tbEvents->Append();
    CalcEventNotifyDate(params);
    EventStruct_To_DBRecord(params);
    tbEvents->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
    tbEvents->Post();
    params->ID = tbEvents->FieldByName(QStringLiteral("ID"))->AsInteger();
    TvnEventDrawData shown;
    if (FilterEvent(shown)) RepaintCells(shown, shown);
}

void TvnCalendarReminder::EditEvent(TvnEventParams* params) {
    StoreEvent(params, [this, params] { CalcEventNotifyDate(params); });
}

void TvnCalendarReminder::SnoozeEvent(TvnEventParams* params, TDateTime until) {
    StoreEvent(params, [params, until] {
        params->RunDate = until;
        params->Completed = false;
    });
}

void TvnCalendarReminder::StoreEvent(TvnEventParams* params, const std::function<void()>& update) {
    if (!TableIsActive(tsEvents)) return;
    if (!LocateDBRecord(tsEvents, QStringLiteral("ID"), params->ID)) return;
    TvnEventDrawData before, after;
    FindAndFreeEventFilter(before);
    tbEvents->Edit();
    update();
    EventStruct_To_DBRecord(params);
    tbEvents->Post();
    FilterEvent(after);
    RepaintCells(before, after);
}

void TvnCalendarReminder::DeleteEvent(TvnEventParams* params) {
    if (!TableIsActive(tsEvents)) return;
    if (!LocateDBRecord(tsEvents, QStringLiteral("ID"), params->ID)) return;
    TvnEventDrawData before;
    FindAndFreeEventFilter(before);
    tbEvents->Delete();
    RepaintCells(before, before);
}

void TvnCalendarReminder::SelectEvents() {
    if (!TableIsActive(tsEvents)) return;
    int year = 0, month = 0, day = 0;
    DecodeDate(CalendarDate(), year, month, day);
    const QString lastDay = DateToStr(EncodeDate(year, 12, 31));
    EventsFilterScope scope(*this);
    SetFilter(tsEvents, QStringLiteral("eType = 1 AND Date <= '") + lastDay + u'\'', true);
    FillEventsList();
}

bool TvnCalendarReminder::DescriptionMatches(const TvnFindParams& params,
                                             const QString& desc) const {
    const QString s = params.MatchCase ? params.EventDesc : params.EventDesc.toUpper();
    const QString d = params.MatchCase ? desc : desc.toUpper();
    if (!params.ParComp) return s == d;
    return !s.isEmpty() && d.contains(s, Qt::CaseSensitive);
}

void TvnCalendarReminder::FindEvents(TvnFindParams params) {
    if (!TableIsActive(tsEvents)) return;
    QString filter;
    if (params.ToUseDates) {
        filter = QStringLiteral("Date >= '") + DateTimeText(params.BegDate) +
                 QStringLiteral("' AND Date <= '") + DateTimeText(params.EndDate) + u'\'';
    }
    EventsFilterScope scope(*this);
    SetFilter(tsEvents, filter, true);
    EventsList.clear();
    TField* desc = tbEvents->FieldByName(QStringLiteral("Desc"));
    TField* category = tbEvents->FieldByName(QStringLiteral("Category"));
    for (tbEvents->First(); !tbEvents->Eof(); tbEvents->Next()) {
        if (!CategoryInMask(category->AsInteger(), params.Categories)) continue;
        if (!DescriptionMatches(params, desc->AsString())) continue;
        AppendCurrentEvent();
    }
}
