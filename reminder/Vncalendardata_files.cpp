// Export of the current user's events to a text report or an event data
// file, and import from an event data file.
#include "platform/DateFormat.h"
#include "reminder/Vncalendardata.h"
#include "reminder/Vncalendardata_p.h"
#include "reminder/Vneventfiles.h"
#include "reminder/Vnrecurrence.h"
#include "store/Adodb.h"
#include "store/Adotransaction.h"

namespace {

// Hands every row of the present filter to the writer, which keeps the
// categories asked for.
template <typename Writer>
bool WriteFilteredEvents(TvnCalendarData& data, TADOTable* table, Writer& writer) {
    const int count = table->RecordCount();
    table->First();
    for (int i = 0; i < count; ++i) {
        TvnEventParams record;
        data.DBRecord_To_EventStruct(&record);
        writer.Add(record);
        table->Next();
    }
    return writer.Commit();
}

}  // namespace

bool TvnCalendarData::ExportEvents(const TvnExportParams& params) {
    if (!TableIsActive(tsEvents)) return false;
    EventsFilterScope scope(*this);
    SetFilter(tsEvents,
              QStringLiteral("Date >= '") + DateTimeText(params.BegDate) +
                  QStringLiteral("' AND Date <= '") + DateTimeText(params.EndDate) + u'\'',
              true);
    return params.SaveAsTxt ? SaveAsTXT(params) : SaveAsEDF(params);
}

bool TvnCalendarData::SaveAsTXT(const TvnExportParams& params) {
    TvnTextReportWriter writer(params.FileName, params.Categories);
    if (!writer.IsOpen()) return false;
    return WriteFilteredEvents(*this, tbEvents, writer);
}

bool TvnCalendarData::SaveAsEDF(const TvnExportParams& params) {
    TvnEventDataWriter writer(params.FileName, params.Categories);
    return WriteFilteredEvents(*this, tbEvents, writer);
}

void TvnCalendarData::ImportEvents(const TvnEventDataReader& file, bool deleteExisting) {
    if (!TableIsActive(tsEvents)) return;
    if (deleteExisting) ForgetUndo();
    EventsFilterScope scope(*this);
    TTransactionScope transaction(tbEvents->Connection());
    if (deleteExisting) DeleteAllEventsOfCurrentUser();
    StoreImportedEvents(file);
    transaction.Commit();
}

void TvnCalendarData::DeleteAllEventsOfCurrentUser() {
    SetFilter(tsEvents, QString(), true);
    tbEvents->First();
    while (!tbEvents->Eof())
        tbEvents->Delete();
}

void TvnCalendarData::StoreImportedEvents(const TvnEventDataReader& file) {
    for (qsizetype i = 0; i < file.Count(); ++i) {
        TvnEventParams record = file.Event(i);
        if (!IsImportableEvent(record)) continue;
        tbEvents->Append();
        CalcEventNotifyDate(&record, Now());
        EventStruct_To_DBRecord(&record);
        tbEvents->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
        tbEvents->Post();
    }
}
