#include "reminder/Vnicalendarfiles.h"

#include <QSaveFile>
#include <QUuid>
#include <vector>

#include "platform/DateFormat.h"
#include "reminder/Vncalendarreminder.h"
#include "reminder/Vnicalendar.h"
#include "store/Adodb.h"
#include "store/Vneventuids.h"
#include "store/Vnseries.h"

namespace {

// Puts the events table back on the current user's rows, whichever way the
// operation ends.
class UserFilterScope {
public:
    explicit UserFilterScope(TvnCalendarReminder& calendar) : calendar_(calendar) {}
    ~UserFilterScope() {
        try {
            calendar_.SetFilter(tsEvents, QString(), false);
        } catch (...) {
            // Already unwinding from the error that ended the operation.
        }
    }
    UserFilterScope(const UserFilterScope&) = delete;
    UserFilterScope& operator=(const UserFilterScope&) = delete;

private:
    TvnCalendarReminder& calendar_;
};

// A transaction of this operation's own, unless the caller runs one already
// (it then decides about commit and rollback).
class OwnTransaction {
public:
    explicit OwnTransaction(TADOConnection* connection)
        : connection_(connection->InTransaction() ? nullptr : connection) {
        if (connection_) connection_->BeginTrans();
    }
    void Commit() {
        if (connection_) connection_->CommitTrans();
    }
    void Rollback() {
        if (connection_) connection_->RollbackTrans();
    }

private:
    TADOConnection* connection_;
};

QString NewUid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@vornel");
}

// A one-time event by its start; a series by any occurrence in the range,
// so that a series begun before the range is written too.
bool OccursIn(const TvnEventParams& e, TDateTime from, TDateTime to) {
    const auto first = TvnSeries(e.Date, e.Recurrence, e.nParam).AtOrAfter(from);
    if (!first || *first > to) return false;
    return !e.UseEndDate || DateTimeDays(*first) <= DateTimeDays(e.EndDate);
}

std::vector<TvnIcsEvent> SelectedEvents(TvnCalendarReminder& calendar, TADOTable* table,
                                        const TvnExportParams& params) {
    ado::TEventUids uids(table->Connection()->Handle());
    std::vector<TvnIcsEvent> events;
    const int count = table->RecordCount();
    table->First();
    for (int i = 0; i < count; ++i, table->Next()) {
        TvnIcsEvent item;
        calendar.DBRecord_To_EventStruct(&item.Event);
        if (!CategoryInMask(item.Event.Category, params.Categories) ||
            !OccursIn(item.Event, params.BegDate, params.EndDate))
            continue;
        item.Uid = uids.Uid(item.Event.ID);
        item.Original = uids.Original(item.Event.ID);
        if (item.Uid.isEmpty()) {
            item.Uid = NewUid();
            uids.Store(item.Event.ID, item.Uid);
        }
        events.push_back(std::move(item));
    }
    return events;
}

QString WriteFile(const QString& fileName, const QByteArray& text) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return QStringLiteral("The file \"%1\" could not be written.").arg(fileName);
    return {};
}

}  // namespace

QString TvnIcsImportReport::Text() const {
    if (!Error.isEmpty()) return Error;
    QString text = QStringLiteral(
                       "Events imported: %1\nEvents updated: %2\nSeries expanded into single "
                       "events: %3\nEvents skipped: %4")
                       .arg(Imported)
                       .arg(Updated)
                       .arg(Expanded)
                       .arg(Skipped);
    if (Damaged > 0)
        text += QStringLiteral(
                    "\nImported without a part that could not be read (a broken repeat rule "
                    "makes a single event): %1")
                    .arg(Damaged);
    if (!CutOff.isEmpty())
        text += QStringLiteral("\nSkipped because their rules take too long to work out: %1")
                    .arg(CutOff.join(QStringLiteral(", ")));
    return text;
}

QString ExportIcsEvents(TvnCalendarReminder& calendar, const TvnExportParams& params) {
    if (!calendar.TableIsActive(tsEvents)) return QStringLiteral("The events are not open.");
    TADOTable* table = calendar.DataSet(tsEvents);
    std::vector<TvnIcsEvent> events;
    {
        UserFilterScope scope(calendar);
        calendar.SetFilter(
            tsEvents, QStringLiteral("Date <= '") + DateTimeText(params.EndDate) + u'\'', true);
        OwnTransaction transaction(table->Connection());  // new UIDs in one flush
        try {
            events = SelectedEvents(calendar, table, params);
        } catch (...) {
            transaction.Rollback();
            throw;
        }
        transaction.Commit();
    }
    return WriteFile(params.FileName, WriteICalendar(events, Now(), SystemIcsTimeZone()));
}

namespace {

// Stores one event: the stored event with its UID is updated, else one is added.
// The file names no action or sound file; an updated event keeps its own.
void StoreEvent(TvnCalendarReminder& calendar, TADOTable* table, ado::TEventUids& uids,
                const TvnIcsEvent& item, TvnIcsImportReport& report) {
    const int id = item.Uid.isEmpty() ? 0 : uids.EventOf(item.Uid, calendar.CurrUser);
    const bool update = id != 0 && calendar.LocateDBRecord(tsEvents, QStringLiteral("ID"), id);
    TvnEventParams record = item.Event;
    if (update) {
        TvnEventParams stored;
        calendar.DBRecord_To_EventStruct(&stored);
        record.Action_File = stored.Action_File;
        record.Sound_File = stored.Sound_File;
        table->Edit();
    } else {
        table->Append();
    }
    calendar.CalcEventNotifyDate(&record);
    calendar.EventStruct_To_DBRecord(&record);
    if (!update) table->FieldByName(QStringLiteral("UserID"))->SetAsInteger(calendar.CurrUser);
    table->Post();
    const int storedId = table->FieldByName(QStringLiteral("ID"))->AsInteger();
    if (!item.Uid.isEmpty()) uids.StoreOriginal(storedId, item.Original);
    if (update) {
        ++report.Updated;
        return;
    }
    ++report.Imported;
    if (!item.Uid.isEmpty()) uids.Store(storedId, item.Uid);
}

void StoreAll(TvnCalendarReminder& calendar, const TvnIcsReadResult& read,
              TvnIcsImportReport& report) {
    TADOTable* table = calendar.DataSet(tsEvents);
    TADOConnection* connection = table->Connection();
    UserFilterScope scope(calendar);
    calendar.SetFilter(tsEvents, QString(), true);
    OwnTransaction transaction(connection);
    try {
        ado::TEventUids uids(connection->Handle());
        for (const TvnIcsEvent& item : read.Events)
            StoreEvent(calendar, table, uids, item, report);
        transaction.Commit();
    } catch (const std::exception& e) {
        // All or nothing: the user's events stay as they were.
        transaction.Rollback();
        report = {};
        report.Error = QStringLiteral("The calendar was not imported: %1").arg(e.what());
    }
}

}  // namespace

namespace {

// The occurrences of one series read again as of now that are not stored
// yet; the new last one takes over the series' text.
// Only occurrences after the last one stored are new: an earlier one that is
// missing was deleted here.
int ExtendSeries(TvnCalendarReminder& calendar, TADOTable* table, ado::TEventUids& uids,
                 const TvnEventParams& last, TDateTime now) {
    const int carrier = last.ID;
    const QByteArray text = uids.Original(carrier);
    TvnIcsImportReport report;
    for (const TvnIcsEvent& item : ReadICalendar(text, now).Events) {
        if (item.Event.Date <= last.Date || item.Uid.isEmpty() ||
            uids.EventOf(item.Uid, calendar.CurrUser) != 0)
            continue;
        StoreEvent(calendar, table, uids, item, report);
    }
    if (report.Imported > 0) uids.StoreOriginal(carrier, {});
    return report.Imported;
}

}  // namespace

int ExtendImportedSeries(TvnCalendarReminder& calendar, TDateTime now) {
    if (!calendar.TableIsActive(tsEvents)) return 0;
    TADOTable* table = calendar.DataSet(tsEvents);
    UserFilterScope scope(calendar);
    calendar.SetFilter(tsEvents, QString(), true);
    OwnTransaction transaction(table->Connection());
    int added = 0;
    try {
        ado::TEventUids uids(table->Connection()->Handle());
        for (const int carrier : uids.SeriesCarriers(calendar.CurrUser)) {
            TvnEventParams last;
            if (!calendar.LocateDBRecord(tsEvents, QStringLiteral("ID"), carrier)) continue;
            calendar.DBRecord_To_EventStruct(&last);
            if (last.Date < now + 9 * 365.25)
                added += ExtendSeries(calendar, table, uids, last, now);
        }
        transaction.Commit();
    } catch (...) {
        transaction.Rollback();
        throw;
    }
    return added;
}

TvnIcsImportReport ImportIcsEvents(TvnCalendarReminder& calendar, const QString& fileName) {
    TvnIcsImportReport report;
    if (!calendar.TableIsActive(tsEvents)) {
        report.Error = QStringLiteral("The events are not open.");
        return report;
    }
    const TvnIcsReadResult read = ReadICalendarFile(fileName, Now());
    if (!read.Error.isEmpty()) {
        report.Error = read.Error;
        return report;
    }
    report.Expanded = read.Expanded;
    report.Skipped = read.Skipped;
    report.Damaged = read.Damaged;
    report.CutOff = read.CutOff;
    StoreAll(calendar, read, report);
    return report;
}
