#include "reminder/Vncalendarreminder.h"

#include <memory>
#include <utility>

#include "platform/DateFormat.h"
#include "reminder/Vnrecurrence.h"
#include "store/Adodb.h"
#include "store/Adotransaction.h"

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
    EventsList.push_back(std::move(record));
}

TvnEventRecords TvnCalendarReminder::TakeEventsList() {
    return std::exchange(EventsList, {});
}

void TvnCalendarReminder::RepaintCells(const TvnCellFlags& cells) {
    for (int n = 0; n < CalendarCellCount; ++n) {
        if (!cells[n]) continue;
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
    if (FilterEvent(shown)) RepaintCells(shown.Cells);
}

// Stored events with the view kept in step: when an event is stored, its
// old entry in EventDrawList goes and its new one comes, and the cells of
// both are repainted once, at the end. However many events are stored, the
// list is searched through an index built once and compacted once.
class TvnCalendarReminder::ShownEventsUpdate {
public:
    explicit ShownEventsUpdate(TvnCalendarReminder& calendar)
        : calendar_(calendar), left_(calendar.EventDrawList.size(), false) {}
    // After a failure the list is put right all the same and the cells are
    // repainted as far as they can be; the first error is the one reported.
    ~ShownEventsUpdate() {
        if (finished_) return;
        DropLeft();
        try {
            calendar_.RepaintCells(cells_);
        } catch (...) {
        }
    }
    ShownEventsUpdate(const ShownEventsUpdate&) = delete;
    ShownEventsUpdate& operator=(const ShownEventsUpdate&) = delete;

    // The normal end: a painting error reaches the caller.
    void Finish() {
        finished_ = true;
        DropLeft();
        calendar_.RepaintCells(cells_);
    }

    // The event of the bookmark was stored: its old entry goes.
    void Stored(const QString& bookmark) {
        if (!indexed_) BuildIndex();
        const auto it = index_.constFind(bookmark);
        if (it == index_.cend() || left_[*it]) return;
        left_[*it] = true;
        Note(calendar_.EventDrawList[*it].Cells);
    }
    // Its new entry, already appended to the list.
    void Entered(const TvnEventDrawData& entry) { Note(entry.Cells); }

private:
    void BuildIndex() {
        indexed_ = true;
        index_.reserve(static_cast<qsizetype>(left_.size()));
        for (size_t i = 0; i < left_.size(); ++i)
            index_.insert(calendar_.EventDrawList[i].Bookmark, i);
    }
    void Note(const TvnCellFlags& cells) {
        for (int n = 0; n < CalendarCellCount; ++n)
            cells_[n] = cells_[n] || cells[n];
    }
    // The entries appended meanwhile stay, in their order.
    void DropLeft() {
        std::vector<TvnEventDrawData>& list = calendar_.EventDrawList;
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

    TvnCalendarReminder& calendar_;
    std::vector<bool> left_;  // per entry the list had at the start
    QHash<QString, size_t> index_;
    bool indexed_ = false;
    bool finished_ = false;
    TvnCellFlags cells_{};
};

void TvnCalendarReminder::EditEvent(TvnEventParams* params) {
    if (!TableIsActive(tsEvents)) return;
    ShownEventsUpdate shown(*this);
    StoreEvent(params, MovedOn(params), shown);
    shown.Finish();
}

void TvnCalendarReminder::SnoozeEvent(TvnEventParams* params, TDateTime until) {
    if (!TableIsActive(tsEvents)) return;
    ShownEventsUpdate shown(*this);
    StoreEvent(params, SnoozedUntil(params, until), shown);
    shown.Finish();
}

std::function<void()> TvnCalendarReminder::MovedOn(TvnEventParams* params) {
    return [this, params] { CalcEventNotifyDate(params); };
}

std::function<void()> TvnCalendarReminder::SnoozedUntil(TvnEventParams* params, TDateTime until) {
    return [params, until] {
        params->RunDate = until;
        params->Completed = false;
    };
}

void TvnCalendarReminder::StoreEvent(TvnEventParams* params, const std::function<void()>& update,
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

void TvnCalendarReminder::MoveOnAnnouncedEvents(std::vector<TvnEventParams>& due,
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

void TvnCalendarReminder::DeleteEvent(TvnEventParams* params) {
    if (!TableIsActive(tsEvents)) return;
    if (!LocateDBRecord(tsEvents, QStringLiteral("ID"), params->ID)) return;
    TvnEventDrawData before;
    FindAndFreeEventFilter(before);
    tbEvents->Delete();
    RepaintCells(before.Cells);
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
