// Adding, changing, snoozing and deleting events with the shown days kept in
// step, and the reminder's moving on of the events it announced.
#include <QHash>

#include "reminder/Vncalendardata.h"
#include "reminder/Vncalendardata_p.h"
#include "reminder/Vnrecurrence.h"
#include "store/Adodb.h"
#include "store/Adotransaction.h"

namespace {

// The updates of a stored event: moved on to its next notification time
// from now, or snoozed (due again at "until", not completed).
std::function<void()> MovedOn(TvnEventParams* params) {
    return [params] { CalcEventNotifyDate(params, Now()); };
}

std::function<void()> SnoozedUntil(TvnEventParams* params, TDateTime until) {
    return [params, until] {
        params->RunDate = until;
        params->Completed = false;
    };
}

}  // namespace

// Stored events with the shown days kept in step: when an event is stored,
// its old entry in EventDrawList goes and its new one comes, and the cells of
// both change once, at the end. However many events are stored, the list is
// searched through an index built once and compacted once.
class TvnCalendarData::ShownEventsUpdate {
public:
    explicit ShownEventsUpdate(TvnCalendarData& data)
        : data_(data), left_(data.EventDrawList.size(), false) {}
    // After a failure the list is put right all the same and the cells are
    // repainted as far as they can be; the first error is the one reported.
    ~ShownEventsUpdate() {
        if (finished_) return;
        DropLeft();
        try {
            data_.CellsChanged(cells_);
        } catch (...) {
        }
    }
    ShownEventsUpdate(const ShownEventsUpdate&) = delete;
    ShownEventsUpdate& operator=(const ShownEventsUpdate&) = delete;

    // The normal end: a painting error reaches the caller.
    void Finish() {
        finished_ = true;
        DropLeft();
        data_.CellsChanged(cells_);
    }

    // The event of the bookmark was stored: its old entry goes.
    void Stored(const QString& bookmark) {
        if (!indexed_) BuildIndex();
        const auto it = index_.constFind(bookmark);
        if (it == index_.cend() || left_[*it]) return;
        left_[*it] = true;
        Note(data_.EventDrawList[*it].Cells);
    }
    // Its new entry, already appended to the list.
    void Entered(const TvnEventDrawData& entry) { Note(entry.Cells); }

private:
    void BuildIndex() {
        indexed_ = true;
        index_.reserve(static_cast<qsizetype>(left_.size()));
        for (size_t i = 0; i < left_.size(); ++i)
            index_.insert(data_.EventDrawList[i].Bookmark, i);
    }
    void Note(const TvnCellFlags& cells) {
        for (int n = 0; n < CalendarCellCount; ++n)
            cells_[n] = cells_[n] || cells[n];
    }
    // The entries appended meanwhile stay, in their order.
    void DropLeft() {
        std::vector<TvnEventDrawData>& list = data_.EventDrawList;
        if (list.size() < left_.size()) return;  // rebuilt meanwhile: nothing of ours is left
        size_t kept = 0;
        for (size_t i = 0; i < list.size(); ++i) {
            if (i < left_.size() && left_[i]) continue;
            if (kept != i) list[kept] = std::move(list[i]);
            ++kept;
        }
        list.resize(kept);
        left_.clear();
    }

    TvnCalendarData& data_;
    std::vector<bool> left_;  // per entry the list had at the start
    QHash<QString, size_t> index_;
    bool indexed_ = false;
    bool finished_ = false;
    TvnCellFlags cells_{};
};

void TvnCalendarData::AddEvent(TvnEventParams* params) {
    if (!TableIsActive(tsEvents)) return;
    tbEvents->Append();
    CalcEventNotifyDate(params, Now());
    EventStruct_To_DBRecord(params);
    tbEvents->FieldByName(QStringLiteral("UserID"))->SetAsInteger(CurrUser);
    tbEvents->Post();
    params->ID = tbEvents->FieldByName(QStringLiteral("ID"))->AsInteger();
    TvnEventDrawData shown;
    if (FilterEvent(shown)) CellsChanged(shown.Cells);
}

void TvnCalendarData::EditEvent(TvnEventParams* params) {
    if (!TableIsActive(tsEvents)) return;
    const bool known = LocateDBRecord(tsEvents, QStringLiteral("ID"), params->ID);
    if (known) RememberEvent(false);
    ShownEventsUpdate shown(*this);
    StoreEvent(params, MovedOn(params), shown);
    if (known) KeepPendingUndo();
    shown.Finish();
}

void TvnCalendarData::SnoozeEvent(TvnEventParams* params, TDateTime until) {
    if (!TableIsActive(tsEvents)) return;
    ShownEventsUpdate shown(*this);
    StoreEvent(params, SnoozedUntil(params, until), shown);
    shown.Finish();
}

void TvnCalendarData::StoreEvent(TvnEventParams* params, const std::function<void()>& update,
                                 ShownEventsUpdate& shown) {
    if (!LocateDBRecord(tsEvents, QStringLiteral("ID"), params->ID)) return;
    try {
        tbEvents->Edit();
        update();
        EventStruct_To_DBRecord(params);
        tbEvents->Post();
    } catch (...) {
        // A refused row must not stay in edit mode, or the next move of the
        // cursor (the next tick's filter) would try to store it again.
        tbEvents->Cancel();
        throw;
    }
    shown.Stored(tbEvents->Bookmark());
    TvnEventDrawData entry;
    if (FilterEvent(entry)) shown.Entered(entry);
}

void TvnCalendarData::MoveOnEvents(std::vector<TvnEventParams>& due,
                                   const QHash<int, TDateTime>& snoozed) {
    if (!TableIsActive(tsEvents)) return;
    ShownEventsUpdate shown(*this);
    {
        // One flush to disk for them all; after a failure the events stored
        // before it stay stored (the scope commits them).
        TTransactionScope transaction(tbEvents->Connection());
        for (TvnEventParams& record : due) {
            if (const auto it = snoozed.constFind(record.ID); it != snoozed.cend())
                StoreEvent(&record, SnoozedUntil(&record, *it), shown);
            else
                StoreEvent(&record, MovedOn(&record), shown);
        }
        transaction.Commit();
    }
    shown.Finish();
}

void TvnCalendarData::DeleteEvent(TvnEventParams* params) {
    if (!TableIsActive(tsEvents)) return;
    if (!LocateDBRecord(tsEvents, QStringLiteral("ID"), params->ID)) return;
    RememberEvent(true);
    TvnEventDrawData before;
    FindAndFreeEventFilter(before);
    tbEvents->Delete();
    KeepPendingUndo();
    CellsChanged(before.Cells);
}
