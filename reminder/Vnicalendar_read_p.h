// The state of one read and the series step of the reader.
#pragma once

#include <QHash>
#include <vector>

#include "reminder/Vnicalendar.h"
#include "reminder/Vnicalendar_p.h"

struct TvnReadContext {
    explicit TvnReadContext(TDateTime now) : Now(now), Horizon(now + 3653) {}
    TDateTime Now;
    TDateTime Horizon;  // ten years on: how far series are compared and expanded
    // Occurrences the recurrence steps may still visit in this read, so that a
    // file of dense rules ends in bounded time.
    int64_t StepBudget = 3000000;
    size_t ExpandedBudget = 200000;  // one-time events made from series
    int Seen = 0;
    QHash<QString, std::vector<int64_t>> Overrides;  // UID: minute keys
    TvnIcsReadResult Result;
};

// The kind a rule's frequency suggests; rkOnce when none.
int KindOfFrequency(const icalrecurrencetype& r);

// A series that is not in one of this program's own shapes: the nearest kind
// when it gives the same occurrences, else its occurrences one by one.
void ReadSeries(icalcomponent* ev, const icaltimetype& start, const TvnIcsEvent& base,
                TvnReadContext& ctx);

// Removes the VTIMEZONEs whose rules would make libical's zone arithmetic
// run for a very long time; their TZIDs then fall back to the built-in zones.
void DropUnsafeTimezones(icalcomponent* cal);
