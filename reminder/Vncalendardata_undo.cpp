// Taking back the last deletion or change of an event, notes, a holiday or a
// day colour. Only the values of before are kept, read from the row just
// before the store operation changes it, and offered only once the operation
// has gone through: a failed deletion must not offer to add a copy back.
#include <utility>

#include "reminder/Vncalendardata.h"
#include "store/Adodb.h"

// A fresh undo record of the kind, filled from the current row by read;
// nothing while an undo itself is being stored.
template <typename Read>
void TvnCalendarData::Remember(TvnUndoRecord::Kind kind, bool deleted, Read read) {
    if (undoing_) return;
    pending_ = {};
    read(pending_);
    pending_.kind = kind;
    pending_.deleted = deleted;
}

void TvnCalendarData::KeepPendingUndo() {
    if (undoing_ || pending_.kind == TvnUndoRecord::ukNone) return;
    undo_ = std::exchange(pending_, {});
    UndoChanged();
}

void TvnCalendarData::RememberEvent(bool deleted) {
    Remember(TvnUndoRecord::ukEvent, deleted,
             [this](TvnUndoRecord& r) { DBRecord_To_EventStruct(&r.event); });
}

void TvnCalendarData::RememberNotes(bool deleted) {
    Remember(TvnUndoRecord::ukNotes, deleted,
             [this](TvnUndoRecord& r) { DBRecord_To_NotesStruct(&r.notes); });
}

void TvnCalendarData::RememberHoliday(bool deleted) {
    Remember(TvnUndoRecord::ukHoliday, deleted,
             [this](TvnUndoRecord& r) { DBRecord_To_HolStruct(&r.holiday); });
}

void TvnCalendarData::RememberBColor(TDateTime day) {
    if (undoing_) return;
    pending_ = {};
    pending_.kind = TvnUndoRecord::ukBColor;
    pending_.day = day;
    if (LocateDBRecord(tsBColors, QStringLiteral("Date"), day))
        pending_.color = tbBColors->FieldByName(QStringLiteral("Color"))->AsInteger();
}

void TvnCalendarData::UndoChanged() {
    if (OnUndoChanged) OnUndoChanged();
}

void TvnCalendarData::ForgetUndo() {
    const bool had = CanUndo();
    undo_ = {};
    if (had) UndoChanged();
}

QString TvnCalendarData::UndoText() const {
    const TvnUndoRecord& u = undo_;
    QString name;
    switch (u.kind) {
        case TvnUndoRecord::ukNone:
            return {};
        case TvnUndoRecord::ukEvent:
            name = u.event.Desc.section(u'\n', 0, 0).trimmed();
            break;
        case TvnUndoRecord::ukNotes:
            name = u.notes.Title;
            break;
        case TvnUndoRecord::ukHoliday:
            name = u.holiday.Name;
            break;
        case TvnUndoRecord::ukBColor:
            return QStringLiteral("Changed the colour of the day");
    }
    return QStringLiteral("%1 \"%2\"")
        .arg(u.deleted ? QStringLiteral("Deleted") : QStringLiteral("Changed"), name);
}

bool TvnCalendarData::Undo() {
    if (!CanUndo()) return false;
    // Kept until the undo has gone through, so that a failed one can be tried again.
    TvnUndoRecord u = undo_;
    undoing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{undoing_};
    switch (u.kind) {
        case TvnUndoRecord::ukEvent:
            u.deleted ? AddEvent(&u.event) : EditEvent(&u.event);
            break;
        case TvnUndoRecord::ukNotes:
            u.deleted ? AddNotes(&u.notes) : EditNotes(&u.notes);
            break;
        case TvnUndoRecord::ukHoliday:
            u.deleted ? AddHoliday(&u.holiday) : EditHoliday(&u.holiday);
            break;
        case TvnUndoRecord::ukBColor:
            u.color >= 0 ? UpdateBColor(u.color, u.day) : DeleteBColor(u.day);
            break;
        case TvnUndoRecord::ukNone:
            break;
    }
    undo_ = {};
    UndoChanged();
    return true;
}
