// The queries that copy events out of the table: the events panel's
// recurring events, the search, and the reminder's due events.
#include "platform/DateFormat.h"
#include "reminder/Vncalendardata.h"
#include "reminder/Vncalendardata_p.h"
#include "store/Adodb.h"

TvnEventRecords TvnCalendarData::ReadEvents() {
    TvnEventRecords records;
    const int count = tbEvents->RecordCount();
    records.reserve(size_t(count));
    tbEvents->First();
    for (int i = 0; i < count; ++i) {
        auto record = std::make_unique<TvnEventParams>();
        DBRecord_To_EventStruct(record.get());
        records.push_back(std::move(record));
        tbEvents->Next();
    }
    return records;
}

TvnEventRecords TvnCalendarData::SelectEvents(int year) {
    if (!TableIsActive(tsEvents)) return {};
    const QString lastDay = DateToStr(EncodeDate(year, 12, 31));
    EventsFilterScope scope(*this);
    SetFilter(tsEvents, QStringLiteral("eType = 1 AND Date <= '") + lastDay + u'\'', true);
    return ReadEvents();
}

bool TvnCalendarData::DescriptionMatches(const TvnFindParams& params, const QString& desc) const {
    const QString s = params.MatchCase ? params.EventDesc : params.EventDesc.toUpper();
    const QString d = params.MatchCase ? desc : desc.toUpper();
    if (!params.ParComp) return s == d;
    return !s.isEmpty() && d.contains(s, Qt::CaseSensitive);
}

TvnEventRecords TvnCalendarData::FindEvents(const TvnFindParams& params) {
    if (!TableIsActive(tsEvents)) return {};
    QString filter;
    if (params.ToUseDates) {
        filter = QStringLiteral("Date >= '") + DateTimeText(params.BegDate) +
                 QStringLiteral("' AND Date <= '") + DateTimeText(params.EndDate) + u'\'';
    }
    EventsFilterScope scope(*this);
    SetFilter(tsEvents, filter, true);
    TvnEventRecords found;
    TField* desc = tbEvents->FieldByName(QStringLiteral("Desc"));
    TField* category = tbEvents->FieldByName(QStringLiteral("Category"));
    for (tbEvents->First(); !tbEvents->Eof(); tbEvents->Next()) {
        if (!CategoryInMask(category->AsInteger(), params.Categories)) continue;
        if (!DescriptionMatches(params, desc->AsString())) continue;
        auto record = std::make_unique<TvnEventParams>();
        DBRecord_To_EventStruct(record.get());
        found.push_back(std::move(record));
    }
    return found;
}

TvnEventRecords TvnCalendarData::DueEvents(TDateTime now) {
    if (!TableIsActive(tsEvents)) return {};
    EventsFilterScope scope(*this);
    SetFilter(tsEvents,
              QStringLiteral("Completed = FALSE AND RunDate <= '") + DateToStr(now) + u' ' +
                  TimeToStr(now) + u'\'',
              true);
    TvnEventRecords due;
    if (tbEvents->RecordCount() > 0) due = ReadEvents();
    SetFilter(tsEvents, QString(), false);
    return due;
}
