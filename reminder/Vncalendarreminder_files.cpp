// Export of the current user's events to a text report or an event data
// file, and import from an event data file.
#include "platform/DateFormat.h"
#include "reminder/Vncalendarreminder.h"
#include "reminder/Vneventfiles.h"
#include "reminder/Vnrecurrence.h"
#include "store/Adodb.h"

#include <utility>

namespace {

class SpecialFilterScope {
public:
    explicit SpecialFilterScope(TvnCalendarReminder& calendar) : calendar_(calendar) {}
    ~SpecialFilterScope() {
        try {
            calendar_.SetFilter(tsEvents, QString(), false);
        } catch (...) {
            calendar_.SpecialFilter = false;
        }
    }

private:
    TvnCalendarReminder& calendar_;
};

// Many rows change in one transaction (one flush instead of one per row). A
// step that fails still commits what was done before it, as the rows already
// handled stay; a failed commit on the normal path is an error of the import.
class TransactionScope {
public:
    explicit TransactionScope(TADOConnection* connection) : connection_(connection) {
        if (connection_ && !connection_->InTransaction())
            connection_->BeginTrans();
        else
            connection_ = nullptr;
    }
    ~TransactionScope() {
        if (!connection_) return;
        try {
            connection_->CommitTrans();
        } catch (...) {
            // Already unwinding from the error that ended the import.
        }
    }
    void Commit() {
        if (!connection_) return;
        TADOConnection* connection = std::exchange(connection_, nullptr);
        connection->CommitTrans();
    }

private:
    TADOConnection* connection_;
};

}  // namespace

bool TvnCalendarReminder::ExportEvents(TvnExportParams params) {
    if (!TableIsActive(tsEvents)) return false;
    SpecialFilterScope scope(*this);
    SetFilter(tsEvents,
              QStringLiteral("Date >= '") + DateTimeText(params.BegDate) +
                  QStringLiteral("' AND Date <= '") + DateTimeText(params.EndDate) + u'\'',
              true);
    return params.SaveAsTxt ? SaveAsTXT(params) : SaveAsEDF(params);
}

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
    const TvnEventDataFile file = ReadEventDataFile(params.FileName);
    // Replacing every event with the content of a file that is not there
    // (a mistyped path) would lose them all.
    if (params.DeleteExisting && !file.Readable) return false;
    EventsList.clear();
    SpecialFilterScope scope(*this);
    TransactionScope transaction(tbEvents->Connection());
    if (params.DeleteExisting) DeleteAllEventsOfCurrentUser();
    StoreImportedEvents(file.Events);
    transaction.Commit();
    return true;
}

void TvnCalendarReminder::DeleteAllEventsOfCurrentUser() {
    SetFilter(tsEvents, QString(), true);
    tbEvents->First();
    while (!tbEvents->Eof())
        tbEvents->Delete();
}

void TvnCalendarReminder::StoreImportedEvents(const std::vector<TvnEventParams>& events) {
    for (TvnEventParams record : events) {
        if (!IsImportableEvent(record)) continue;
        tbEvents->Append();
        CalcEventNotifyDate(&record);
        EventStruct_To_DBRecord(&record);
        tbEvents->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
        tbEvents->Post();
    }
}
