// Pieces the iCalendar writer and reader share: libical's set-up, local
// time to and from libical's times, and the properties that carry what
// iCalendar has no field for.
#pragma once

#include <libical/ical.h>

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "store/Vntypes.h"

namespace ics {

// Years outside this span are refused: no calendar needs them, and the time
// zone arithmetic of far years is slow.
constexpr int MinYear = 1800;
constexpr int MaxYear = 2999;

// Sets libical up once: errors are never fatal, zone ids carry no prefix.
void InitLibical();

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

// A local wall-clock date-time as libical fields without zone.
icaltimetype FloatingTime(TDateTime value, bool isDate);
// The local wall-clock time of a libical time: dates and floating times as
// they stand, UTC and zoned times converted. Nothing for invalid times and
// years outside the span.
std::optional<TDateTime> LocalTime(const icaltimetype& t);
// The UTC instant of a local wall-clock time.
icaltimetype UtcOfLocal(TDateTime local);

// Minutes since day 0: the key by which occurrences are compared.
int64_t MinuteKey(TDateTime value);

// X- properties of this program.
extern const char* const XEventType;
extern const char* const XActionFile;
extern const char* const XRule;
extern const char* const XNotify;

// The native rule and notice as X- property values, and back.
QString NativeRuleText(const TvnEventParams& e);
bool ReadNativeRule(const QString& text, TvnEventParams& e);
QString NativeNotifyText(const TvnEventParams& e);
bool ReadNativeNotify(const QString& text, TvnEventParams& e);

// The advance notice as a (negative) trigger duration.
icaldurationtype NoticeDuration(const TvnEventParams& e);
// The notice of a lead in the unit the duration was written in, coarsened
// until it fits the editor's 1..99.
void SetNoticeFromDuration(const icaldurationtype& d, TvnEventParams& e);

QString FileUri(const QString& path);

// RRULE text of the recurrence; tzName decides how UNTIL is written.
QString RuleText(const TvnEventParams& e, bool zoned);

// Own occurrences of a record (minute keys), from its start up to `until`
// (local), at most `cap` of them; false when the cap was hit.
bool OwnOccurrences(const TvnEventParams& e, TDateTime until, size_t cap,
                    std::vector<int64_t>& keys);

}  // namespace ics
