#include "store/Vneventfields.h"

namespace {

using P = TvnEventParams;
using Kind = TvnEventFieldKind;

constexpr TvnEventField Number(const char* name, int32_t P::*member, int32_t fileDefault = 0) {
    return {.name = QLatin1String(name),
            .kind = Kind::Integer,
            .integer = member,
            .fileDefault = fileDefault};
}

// A stored code 0..count-1; any other code in a file reads as 0.
constexpr TvnEventField Code(const char* name, int32_t P::*member, int32_t count) {
    TvnEventField f = Number(name, member);
    f.fileMin = 0;
    f.fileMax = count - 1;
    return f;
}

constexpr TvnEventField AtLeast(const char* name, int32_t P::*member, int32_t minimum) {
    TvnEventField f = Number(name, member, minimum);
    f.fileMin = minimum;
    return f;
}

constexpr TvnEventField Bool(const char* name, bool P::*member) {
    return {.name = QLatin1String(name), .kind = Kind::Boolean, .boolean = member};
}

constexpr TvnEventField Date(const char* name, TDateTime P::*member) {
    return {.name = QLatin1String(name), .kind = Kind::DateTime, .dateTime = member};
}

constexpr TvnEventField Text(const char* name, QString P::*member) {
    return {.name = QLatin1String(name), .kind = Kind::Text, .text = member};
}

constexpr TvnEventField NotInDataFile(TvnEventField f) {
    f.inDataFile = false;
    return f;
}

constexpr TvnEventField Key(const char* name, int32_t P::*member) {
    TvnEventField f = NotInDataFile(Number(name, member));
    f.key = true;
    return f;
}

const TvnEventField kEventFields[] = {
    // A file record gets a new ID when it is imported.
    Key("ID", &P::ID),
    Code("eType", &P::eType, etRecurring + 1),
    Text("Desc", &P::Desc),
    Date("Date", &P::Date),
    Date("RunDate", &P::RunDate),
    Date("EndDate", &P::EndDate),
    Bool("UseStartTime", &P::UseStartTime),
    Bool("UseEndDate", &P::UseEndDate),
    Bool("Notify", &P::Notify),
    Number("NotifyParam", &P::NotifyParam, 1),
    // An unknown notice unit stays as it is: it means no lead, while 0 would
    // turn it into a lead of NotifyParam minutes.
    Number("NotifyType", &P::NotifyType, ntMinutes),
    Code("Category", &P::Category, CategoryCount),
    Code("Recurrence", &P::Recurrence, RecurrenceCount),
    AtLeast("nParam", &P::nParam, 1),
    Text("Action_File", &P::Action_File),
    Text("Sound_File", &P::Sound_File),
    Text("Notes", &P::Notes),
    // The files carry no state: an imported event starts completed.
    NotInDataFile(Bool("Completed", &P::Completed)),
};

}  // namespace

std::span<const TvnEventField> EventFields() {
    return kEventFields;
}
