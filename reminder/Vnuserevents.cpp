#include "reminder/Vnuserevents.h"

#include "reminder/Vncalendardata.h"
#include "store/Adodb.h"
#include "store/Vneventrecord.h"

namespace {

// A row that cannot be posted (a full disk) is dropped from the table's edit
// buffer, or the next move of the table would post it outside the
// transaction being rolled back.
void PostOrCancel(TADOTable& table) {
    try {
        table.Post();
    } catch (...) {
        table.Cancel();
        throw;
    }
}

}  // namespace

TvnUserEvents::TvnUserEvents(TvnCalendarData& data, int userId) : data_(data), userId_(userId) {
    const TADOTable* events = data.DataSet(tsEvents);
    if (events == nullptr || !events->Active())
        throw EDatabaseError(QStringLiteral("The events are not open."));
    table_ = std::make_unique<TADOTable>(events->Connection());
    table_->SetTableName(events->TableName());
    table_->SetFilter(QStringLiteral("UserID = %1").arg(userId));
    table_->SetFiltered(true);
    table_->Open();
}

TvnUserEvents::~TvnUserEvents() {
    table_.reset();
    if (!changed_) return;
    try {
        data_.EventsChangedElsewhere();
    } catch (...) {
        // Already unwinding from the error that ended the work, or the
        // calendar reads its rows anew at its next refresh.
    }
}

std::map<int, TvnEventParams> TvnUserEvents::Load() {
    std::map<int, TvnEventParams> out;
    for (table_->First(); !table_->Eof(); table_->Next()) {
        TvnEventParams e;
        EventFromRow(*table_, e);
        out.emplace(e.ID, e);
    }
    return out;
}

int TvnUserEvents::Add(TvnEventParams event) {
    changed_ = true;
    table_->Append();
    EventToRow(*table_, event);
    table_->FieldByName(QStringLiteral("UserID"))->SetAsInteger(userId_);
    PostOrCancel(*table_);
    return table_->FieldByName(QStringLiteral("ID"))->AsInteger();
}

void TvnUserEvents::Update(const TvnEventParams& event) {
    if (!table_->Locate(QStringLiteral("ID"), event.ID)) return;
    changed_ = true;
    table_->Edit();
    EventToRow(*table_, event);
    PostOrCancel(*table_);
}

void TvnUserEvents::Remove(int eventId) {
    if (!table_->Locate(QStringLiteral("ID"), eventId)) return;
    changed_ = true;
    table_->Delete();
}
