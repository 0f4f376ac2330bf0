// An event changed inside the text another program wrote: only the
// properties of the fields the user changed are written again, so that the
// end, the place, the guests, other alarms and whatever else that program
// keeps stay as it had them.
#include <cstdlib>
#include <vector>

#include "reminder/Vnicalendar.h"
#include "reminder/Vnicalendar_p.h"
#include "reminder/Vnicalendar_write_p.h"

using namespace ics;

namespace {

QString Utf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

bool IsMaster(icalcomponent* ev, const QString& uid) {
    return Utf8(icalcomponent_get_uid(ev)) == uid &&
           !icalcomponent_get_first_property(ev, ICAL_RECURRENCEID_PROPERTY);
}

icalcomponent* MasterEvent(icalcomponent* cal, const QString& uid) {
    for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
         ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT))
        if (IsMaster(ev, uid)) return ev;
    return nullptr;
}

void RemoveProperties(icalcomponent* c, icalproperty_kind kind, const char* xName = nullptr) {
    std::vector<icalproperty*> found;
    for (icalproperty* p = icalcomponent_get_first_property(c, kind); p;
         p = icalcomponent_get_next_property(c, kind))
        if (!xName || qstrcmp(icalproperty_get_x_name(p), xName) == 0) found.push_back(p);
    for (icalproperty* p : found) {
        icalcomponent_remove_property(c, p);
        icalproperty_free(p);
    }
}

void SetX(icalcomponent* ev, const char* name, const QString& value) {
    RemoveProperties(ev, ICAL_X_PROPERTY, name);
    AddX(ev, name, value);
}

// The zone the new start names, added to the calendar when it has none of it.
void EnsureZone(icalcomponent* cal, const TvnEventParams& e, const QString& tzName) {
    if (!e.UseStartTime || !Zoned(e, tzName)) return;
    if (icalcomponent_get_timezone(cal, tzName.toUtf8().constData())) return;
    if (icalcomponent* zone = ZoneComponent(tzName)) icalcomponent_add_component(cal, zone);
}

// The start moves; the end moves with it, the event's length kept.
void MoveStart(icalcomponent* cal, icalcomponent* ev, const TvnEventParams& e,
               const QString& tzName) {
    const icaltimetype oldStart = icalcomponent_get_dtstart(ev);
    icalproperty* endProperty = icalcomponent_get_first_property(ev, ICAL_DTEND_PROPERTY);
    const icaltimetype oldEnd = endProperty ? icalcomponent_get_dtend(ev) : icaltime_null_time();
    EnsureZone(cal, e, tzName);
    RemoveProperties(ev, ICAL_DTSTART_PROPERTY);
    AddStart(ev, e, tzName);
    if (!endProperty) return;
    RemoveProperties(ev, ICAL_DTEND_PROPERTY);
    icalproperty* start = icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY);
    const icaltimetype newStart = icalproperty_get_datetime_with_component(start, ev);
    icaltimetype newEnd = newStart;
    if (bool(oldStart.is_date) == bool(newStart.is_date))
        newEnd = icaltime_add(newStart, icaltime_subtract(oldEnd, oldStart));
    else if (newStart.is_date)
        icaltime_adjust(&newEnd, 1, 0, 0, 0);  // a whole day
    icalproperty* end = icalproperty_new_dtend(newEnd);
    if (icalparameter* tzid = icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER))
        icalproperty_add_parameter(end, icalparameter_new_clone(tzid));
    icalcomponent_add_property(ev, end);
}

// The alarms that say a notice give way to the new one; an e-mail alarm or
// any other kind the calendar cannot say stays.
void ReplaceNotice(icalcomponent* ev, const TvnEventParams& e) {
    std::vector<icalcomponent*> notices;
    for (icalcomponent* a = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT); a;
         a = icalcomponent_get_next_component(ev, ICAL_VALARM_COMPONENT)) {
        icalproperty* action = icalcomponent_get_first_property(a, ICAL_ACTION_PROPERTY);
        const icalproperty_action kind =
            action ? icalproperty_get_action(action) : ICAL_ACTION_NONE;
        if (kind == ICAL_ACTION_DISPLAY || kind == ICAL_ACTION_AUDIO) notices.push_back(a);
    }
    for (icalcomponent* a : notices) {
        icalcomponent_remove_component(ev, a);
        icalcomponent_free(a);
    }
    AddNoticeAlarm(ev, e);
    SetX(ev, XNotify, NativeNotifyText(e));
}

void SetText(icalcomponent* ev, icalproperty_kind kind, icalproperty* value) {
    RemoveProperties(ev, kind);
    if (value) icalcomponent_add_property(ev, value);
}

bool SameStart(const TvnEventParams& a, const TvnEventParams& b) {
    return MinuteKey(a.Date) == MinuteKey(b.Date) && a.UseStartTime == b.UseStartTime;
}

bool SameRule(const TvnEventParams& a, const TvnEventParams& b) {
    return a.Recurrence == b.Recurrence && (a.Recurrence == rkOnce || a.nParam == b.nParam) &&
           a.UseEndDate == b.UseEndDate &&
           (!a.UseEndDate || DateTimeDays(a.EndDate) == DateTimeDays(b.EndDate));
}

bool SameNotice(const TvnEventParams& a, const TvnEventParams& b) {
    return a.Notify == b.Notify &&
           (!a.Notify || (a.NotifyParam == b.NotifyParam && a.NotifyType == b.NotifyType));
}

QByteArray Utf8Bytes(const QString& s) {
    return s.toUtf8();
}

// Writes what differs between the event as the text says it (was) and as
// the user left it (now).
void ApplyChanges(icalcomponent* cal, icalcomponent* ev, const TvnEventParams& was,
                  const TvnEventParams& now, const QString& tzName) {
    if (was.Desc != now.Desc)
        SetText(ev, ICAL_SUMMARY_PROPERTY, icalproperty_new_summary(Utf8Bytes(now.Desc)));
    if (was.Notes != now.Notes)
        SetText(ev, ICAL_DESCRIPTION_PROPERTY,
                now.Notes.isEmpty() ? nullptr : icalproperty_new_description(Utf8Bytes(now.Notes)));
    if (was.Category != now.Category)
        SetText(ev, ICAL_CATEGORIES_PROPERTY,
                icalproperty_new_categories(Utf8Bytes(CategoryCaption(now.Category))));
    const bool moved = !SameStart(was, now), ruled = !SameRule(was, now);
    if (moved) MoveStart(cal, ev, now, tzName);
    if (ruled || (moved && now.Recurrence != rkOnce)) {
        RemoveProperties(ev, ICAL_RRULE_PROPERTY);
        AddRule(ev, now, tzName);
        SetX(ev, XRule, NativeRuleText(now));
    }
    if (!SameNotice(was, now)) ReplaceNotice(ev, now);
    if (was.eType != now.eType) SetX(ev, XEventType, QString::number(now.eType));
    if (moved || ruled) {
        icalproperty* seq = icalcomponent_get_first_property(ev, ICAL_SEQUENCE_PROPERTY);
        const int next = seq ? icalproperty_get_sequence(seq) + 1 : 1;
        SetText(ev, ICAL_SEQUENCE_PROPERTY, icalproperty_new_sequence(next));
    }
}

void Stamp(icalcomponent* ev, const TvnIcsEvent& item, TDateTime stamp) {
    const icaltimetype utc = UtcOfLocal(stamp);
    SetText(ev, ICAL_DTSTAMP_PROPERTY, icalproperty_new_dtstamp(utc));
    const icaltimetype modified =
        item.LastModified > 0 ? icaltime_from_timet_with_zone(time_t(item.LastModified), 0,
                                                              icaltimezone_get_utc_timezone())
                              : utc;
    SetText(ev, ICAL_LASTMODIFIED_PROPERTY, icalproperty_new_lastmodified(modified));
}

}  // namespace

QByteArray PatchICalendar(const QByteArray& original, const TvnIcsEvent& after, TDateTime stamp,
                          const QString& tzName) {
    InitLibical();
    if (after.Uid.isEmpty() || original.isEmpty()) return {};
    // The event as the text says it, read as any other: only a text that
    // gives it as one record of its own can be changed in place.
    const TvnIcsReadResult read = ReadICalendar(original, stamp);
    const TvnEventParams* was = nullptr;
    for (const TvnIcsEvent& item : read.Events)
        if (item.Uid == after.Uid) was = &item.Event;
    ComponentPtr root(icalparser_parse_string(original.constData()));
    if (!was || !root) return {};
    icalcomponent* cal =
        icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT
            ? root.get()
            : icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
    icalcomponent* ev = cal ? MasterEvent(cal, after.Uid) : nullptr;
    if (!ev) return {};
    ApplyChanges(cal, ev, *was, after.Event, BuiltinZone(tzName) ? tzName : QString());
    Stamp(ev, after, stamp);
    char* text = icalcomponent_as_ical_string_r(cal);
    const QByteArray out(text);
    free(text);
    return out;
}
