// Export of the current user's events to a text report or an event data
// file, and import from an event data file.
#include "platform/DateFormat.h"
#include "reminder/Vncalendarreminder.h"
#include "reminder/Vneventfiles.h"
#include "reminder/Vnrecurrence.h"
#include "store/Adodb.h"
#include "store/Adotransaction.h"

namespace {

// Hands every row of the present filter to the writer, which keeps the
// categories asked for.
template <typename Writer>
bool WriteFilteredEvents(TvnCalendarReminder& calendar, TADOTable* table, Writer& writer) {
    const int count = table->RecordCount();
    table->First();
    for (int i = 0; i < count; ++i) {
        TvnEventParams record;
        calendar.DBRecord_To_EventStruct(&record);
        writer.Add(record);
        table->Next();
    }
    return writer.Commit();
}

}  // namespace

bool TvnCalendarReminder::ExportEvents(TvnExportParams params) {
    if (!TableIsActive(tsEvents)) return false;
    EventsFilterScope scope(*this);
    SetFilter(tsEvents,
              QStringLiteral("Date >= '") + DateTimeText(params.BegDate) +
                  QStringLiteral("' AND Date <= '") + DateTimeText(params.EndDate) + u'\'',
              true);
    return params.SaveAsTxt ? SaveAsTXT(params) : SaveAsEDF(params);
}

bool TvnCalendarReminder::SaveAsTXT(TvnExportParams params) {
    TvnTextReportWriter writer(params.FileName, params.Categories);
    if (!writer.IsOpen()) return false;
    return WriteFilteredEvents(*this, tbEvents, writer);
}

bool TvnCalendarReminder::SaveAsEDF(TvnExportParams params) {
    TvnEventDataWriter writer(params.FileName, params.Categories);
    return WriteFilteredEvents(*this, tbEvents, writer);
}

bool TvnCalendarReminder::ImportEvents(TvnImportParams params) {
    if (!TableIsActive(tsEvents)) return false;
    // Only an event data file is imported. Replacing every event with the
    // content of anything else (a mistyped path, a CSV, a file too big to
    // read) would lose them all; only Count=0 means "no events".
    const TvnEventDataReader file(params.FileName);
    if (!file.IsEventData()) return false;
    EventsList.clear();
    EventsFilterScope scope(*this);
    TTransactionScope transaction(tbEvents->Connection());
    if (params.DeleteExisting) DeleteAllEventsOfCurrentUser();
    StoreImportedEvents(file);
    transaction.Commit();
    return true;
}

void TvnCalendarReminder::DeleteAllEventsOfCurrentUser() {
    SetFilter(tsEvents, QString(), true);
    tbEvents->First();
    while (!tbEvents->Eof())
        tbEvents->Delete();
}

void TvnCalendarReminder::StoreImportedEvents(const TvnEventDataReader& file) {
    for (qsizetype i = 0; i < file.Count(); ++i) {
        TvnEventParams record = file.Event(i);
        if (!IsImportableEvent(record)) continue;
        tbEvents->Append();
        CalcEventNotifyDate(&record);
        EventStruct_To_DBRecord(&record);
        tbEvents->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
        tbEvents->Post();
    }
}
