// Pieces of the writer that the patching of another program's event shares.
#pragma once

#include "reminder/Vnicalendar_p.h"

namespace ics {

// libical's built-in zone of an Olson name; null for an empty or unknown name.
icaltimezone* BuiltinZone(const QString& name);
// The zone's VTIMEZONE under its plain Olson name; null for an unknown zone.
icalcomponent* ZoneComponent(const QString& tzName);

// Whether the event's times are written in the zone (hourly series stay
// floating: their steps are wall-clock hours).
bool Zoned(const TvnEventParams& e, const QString& tzName);

void AddX(icalcomponent* c, const char* name, const QString& value);
void AddStart(icalcomponent* ev, const TvnEventParams& e, const QString& tzName);
void AddRule(icalcomponent* ev, const TvnEventParams& e, const QString& tzName);
// The DISPLAY alarm that says the notice; none when the event gives none.
void AddNoticeAlarm(icalcomponent* ev, const TvnEventParams& e);

}  // namespace ics
