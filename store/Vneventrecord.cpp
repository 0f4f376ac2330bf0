#include "store/Vneventrecord.h"

#include "store/Adodb.h"
#include "store/Vneventfields.h"

namespace {

void SetColumn(TField* field, const TvnEventField& f, const TvnEventParams& e) {
    switch (f.kind) {
        case TvnEventFieldKind::Integer:
            return field->SetAsInteger(e.*f.integer);
        case TvnEventFieldKind::Boolean:
            return field->SetAsInteger(e.*f.boolean ? 1 : 0);
        case TvnEventFieldKind::DateTime:
            return field->SetAsDateTime(e.*f.dateTime);
        case TvnEventFieldKind::Text:
            return field->SetAsString(e.*f.text);
    }
}

void GetColumn(const TField* field, const TvnEventField& f, TvnEventParams& e) {
    switch (f.kind) {
        case TvnEventFieldKind::Integer:
            e.*f.integer = field->AsInteger();
            return;
        case TvnEventFieldKind::Boolean:
            e.*f.boolean = field->AsInteger() != 0;
            return;
        case TvnEventFieldKind::DateTime:
            e.*f.dateTime = field->AsDateTime();
            return;
        case TvnEventFieldKind::Text:
            e.*f.text = field->AsString();
            return;
    }
}

}  // namespace

void EventToRow(TADOTable& table, const TvnEventParams& event) {
    for (const TvnEventField& f : EventFields())
        if (!f.key) SetColumn(table.FieldByName(f.name), f, event);
}

void EventFromRow(TADOTable& table, TvnEventParams& event) {
    for (const TvnEventField& f : EventFields())
        GetColumn(table.FieldByName(f.name), f, event);
}
