// The state of one read and the series step of the reader.
#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QSet>
#include <functional>
#include <vector>

#include "reminder/Vnicalendar.h"
#include "reminder/Vnicalendar_p.h"

// A changed occurrence of a series, as its RECURRENCE-ID names it.
struct TvnOverride {
    int64_t Key = 0;         // the replaced occurrence in local time (minutes)
    int64_t WrittenDay = 0;  // its day as written, for series of whole days
    bool ThisAndFuture = false;
    icalcomponent* Component = nullptr;
};

// Whether a zone keeps one distance from local time over a span of days (at
// noon, and on the days its clock changes).
struct TvnZoneSteadiness {
    int64_t From = 0, To = 0;
    bool Steady = false;
    std::vector<int64_t> ChangeDays;  // days whose noon offset differs from the day before
    int64_t Distance = 0;             // minutes local time is ahead
};

struct TvnReadContext {
    explicit TvnReadContext(TDateTime now) : Now(now), Horizon(now + 3653) {}
    TDateTime Now;
    TDateTime Horizon;  // ten years on: how far series are compared and expanded
    // Steps the rule walks may still take in this read (periods looked at,
    // days libical walked, occurrences made), so that a file of costly rules
    // ends in bounded time.
    int64_t StepBudget = 3000000;
    // Series are read until then at most, whatever their steps.
    QDeadlineTimer Deadline{10000};
    size_t ExpandedBudget = 200000;  // one-time events made from series
    int Seen = 0;
    QHash<QString, std::vector<TvnOverride>> Overrides;  // by UID
    QSet<QString> Masters;                               // UIDs of the series in the text
    TvnIcsReadResult Result;
};

namespace ics {

// How the walk through a rule's occurrences ended: the rule has no more, the
// visitor or the last day stopped it, or the steps allowed were spent.
enum class RuleEnd { Ended, Stopped, OverBudget };

// Answers false to stop the walk.
using RuleVisit = std::function<bool(const icaltimetype&)>;

// What a walk may cover: field days up to LastDay (a Julian day), Budget
// steps (each period looked at, each day libical walks, each occurrence
// made), and, as a last guard for what steps cannot see, a deadline.
struct RuleBounds {
    int64_t LastDay = 0;
    int64_t Budget = 0;
    QDeadlineTimer Deadline;
};

// Hands the occurrences of one RRULE from start to visit, in order, as times
// in the fields and zone of start, within the bounds (Budget is used up).
RuleEnd WalkRule(const icalrecurrencetype& r, const icaltimetype& start, RuleBounds& bounds,
                 const RuleVisit& visit);

}  // namespace ics

// The fields every event has (start, description, notes, category, notice);
// false when the event has no start that can be read.
bool ReadEventFields(icalcomponent* ev, TvnEventParams& e, icaltimetype& start);

// The kind a rule's frequency suggests; rkOnce when none.
int KindOfFrequency(const icalrecurrencetype& r);

// A series that is not in one of this program's own shapes: the nearest kind
// when it gives the same occurrences, else its occurrences one by one.
void ReadSeries(icalcomponent* ev, const icaltimetype& start, const TvnIcsEvent& base,
                TvnReadContext& ctx);

// Whether a series kept as local wall-clock time gives the true times of a
// series written at start's zone: false when the zone's distance from local
// time changes on some day of the series (daylight saving elsewhere).
bool KeepsLocalTime(const icaltimetype& start, const TvnEventParams& e, TvnReadContext& ctx);

// Removes the VTIMEZONEs whose rules would make libical's zone arithmetic
// run for a very long time; their TZIDs then fall back to the built-in zones.
void DropUnsafeTimezones(icalcomponent* cal);
