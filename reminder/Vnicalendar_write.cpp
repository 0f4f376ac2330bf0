// Events to iCalendar text: one VEVENT per event, the zone's VTIMEZONE once.
#include <QSet>
#include <QTimeZone>
#include <cstdlib>

#include "reminder/Vnicalendar.h"
#include "reminder/Vnicalendar_p.h"
#include "reminder/Vnicalendar_write_p.h"

namespace ics {

icaltimezone* BuiltinZone(const QString& name) {
    if (name.isEmpty()) return nullptr;
    return icaltimezone_get_builtin_timezone(name.toUtf8().constData());
}

void AddX(icalcomponent* c, const char* name, const QString& value) {
    icalproperty* p = icalproperty_new_x(value.toUtf8().constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(c, p);
}

// Hourly steps are wall-clock hours here, which only floating times keep
// over a change to or from daylight saving time.
bool Zoned(const TvnEventParams& e, const QString& tzName) {
    return !tzName.isEmpty() && e.Recurrence != rkHourly;
}

void AddStart(icalcomponent* ev, const TvnEventParams& e, const QString& tzName) {
    // An hourly series needs a time of day even when the event shows none.
    const bool isDate = !e.UseStartTime && e.Recurrence != rkHourly;
    icalproperty* p = icalproperty_new_dtstart(FloatingTime(e.Date, isDate));
    if (!isDate && Zoned(e, tzName))
        icalproperty_add_parameter(p, icalparameter_new_tzid(tzName.toUtf8().constData()));
    icalcomponent_add_property(ev, p);
}

icalcomponent* Alarm(icalproperty_action action, const TvnEventParams& e, bool notify) {
    icalcomponent* a = icalcomponent_new_valarm();
    icalcomponent_add_property(a, icalproperty_new_action(action));
    icaltriggertype trigger;
    trigger.time = icaltime_null_time();
    trigger.duration = notify ? NoticeDuration(e) : icaldurationtype_null_duration();
    icalcomponent_add_property(a, icalproperty_new_trigger(trigger));
    return a;
}

void AddNoticeAlarm(icalcomponent* ev, const TvnEventParams& e) {
    if (!e.Notify) return;
    icalcomponent* a = Alarm(ICAL_ACTION_DISPLAY, e, true);
    icalcomponent_add_property(a, icalproperty_new_description(e.Desc.toUtf8().constData()));
    icalcomponent_add_component(ev, a);
}

void AddRule(icalcomponent* ev, const TvnEventParams& e, const QString& tzName) {
    const QString rule = RuleText(e, Zoned(e, tzName));
    if (rule.isEmpty()) return;
    const icalrecurrencetype r = icalrecurrencetype_from_string(rule.toUtf8().constData());
    icalcomponent_add_property(ev, icalproperty_new_rrule(r));
}

icalcomponent* ZoneComponent(const QString& tzName) {
    icaltimezone* zone = BuiltinZone(tzName);
    if (!zone) return nullptr;
    icalcomponent* tz = icalcomponent_new_clone(icaltimezone_get_component(zone));
    // The plain Olson name, whatever id libical gave its own copy.
    if (icalproperty* id = icalcomponent_get_first_property(tz, ICAL_TZID_PROPERTY))
        icalproperty_set_tzid(id, tzName.toUtf8().constData());
    return tz;
}

}  // namespace ics

using namespace ics;

namespace {

void AddText(icalcomponent* c, icalproperty* p) {
    icalcomponent_add_property(c, p);
}

void AddAlarms(icalcomponent* ev, const TvnEventParams& e) {
    AddNoticeAlarm(ev, e);
    if (!e.Sound_File.isEmpty()) {
        icalcomponent* a = Alarm(ICAL_ACTION_AUDIO, e, e.Notify);
        icalattach* attach = icalattach_new_from_url(FileUri(e.Sound_File).toUtf8().constData());
        icalcomponent_add_property(a, icalproperty_new_attach(attach));
        icalattach_unref(attach);
        icalcomponent_add_component(ev, a);
    }
}

ComponentPtr EventComponent(const TvnIcsEvent& item, const icaltimetype& stamp,
                            const QString& tzName) {
    const TvnEventParams& e = item.Event;
    ComponentPtr ev(icalcomponent_new_vevent());
    AddText(ev.get(), icalproperty_new_uid(item.Uid.toUtf8().constData()));
    AddText(ev.get(), icalproperty_new_dtstamp(stamp));
    if (item.LastModified > 0)
        AddText(ev.get(), icalproperty_new_lastmodified(icaltime_from_timet_with_zone(
                              time_t(item.LastModified), 0, icaltimezone_get_utc_timezone())));
    AddText(ev.get(), icalproperty_new_summary(e.Desc.toUtf8().constData()));
    if (!e.Notes.isEmpty())
        AddText(ev.get(), icalproperty_new_description(e.Notes.toUtf8().constData()));
    const QString category = CategoryCaption(e.Category);
    if (!category.isEmpty())
        AddText(ev.get(), icalproperty_new_categories(category.toUtf8().constData()));
    AddStart(ev.get(), e, tzName);
    AddRule(ev.get(), e, tzName);
    AddX(ev.get(), XEventType, QString::number(e.eType));
    AddX(ev.get(), XRule, NativeRuleText(e));
    AddX(ev.get(), XNotify, NativeNotifyText(e));
    if (!e.Action_File.isEmpty()) AddX(ev.get(), XActionFile, e.Action_File);
    AddAlarms(ev.get(), e);
    return ev;
}

// The text of one component with libical's line folding.
void AppendText(QByteArray& out, icalcomponent* c) {
    char* text = icalcomponent_as_ical_string_r(c);
    out += text;
    free(text);
}

// The event's original text, patched: its components go to body, the zones
// they name to zonesText (each once). False when there is no original to patch.
bool AppendPatched(QByteArray& zonesText, QByteArray& body, QSet<QString>& zones,
                   const TvnIcsEvent& item, TDateTime stamp, const QString& tzName) {
    if (item.Original.isEmpty()) return false;
    const QByteArray patched = PatchICalendar(item.Original, item, stamp, tzName);
    ComponentPtr cal(patched.isEmpty() ? nullptr : icalparser_parse_string(patched.constData()));
    if (!cal) return false;
    for (icalcomponent* c = icalcomponent_get_first_component(cal.get(), ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(cal.get(), ICAL_ANY_COMPONENT)) {
        if (icalcomponent_isa(c) != ICAL_VTIMEZONE_COMPONENT) {
            AppendText(body, c);
            continue;
        }
        icalproperty* id = icalcomponent_get_first_property(c, ICAL_TZID_PROPERTY);
        const QString name = id ? QString::fromUtf8(icalproperty_get_tzid(id)) : QString();
        if (zones.contains(name)) continue;
        zones.insert(name);
        AppendText(zonesText, c);
    }
    return true;
}

}  // namespace

QString SystemIcsTimeZone() {
    InitLibical();
    const QString name = QString::fromUtf8(QTimeZone::systemTimeZoneId());
    return BuiltinZone(name) ? name : QString();
}

QString IcsRecurrenceRule(const TvnEventParams& event, const QString& tzName) {
    return RuleText(event, Zoned(event, tzName));
}

QByteArray WriteICalendar(const std::vector<TvnIcsEvent>& events, TDateTime stamp,
                          const QString& tzName) {
    InitLibical();
    icaltimezone* zone = BuiltinZone(tzName);
    const QString usedZone = zone ? tzName : QString();
    QByteArray out =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Vornel//Vornel 2.0//EN\r\n"
        "CALSCALE:GREGORIAN\r\n";
    QSet<QString> zones;
    if (zone) {
        AppendText(out, ComponentPtr(ZoneComponent(tzName)).get());
        zones.insert(tzName);
    }
    const icaltimetype stampUtc = UtcOfLocal(stamp);
    QByteArray body;
    body.reserve(qsizetype(events.size()) * 600);
    for (const TvnIcsEvent& item : events) {
        if (!AppendPatched(out, body, zones, item, stamp, usedZone))
            AppendText(body, EventComponent(item, stampUtc, usedZone).get());
    }
    out += body;
    out += "END:VCALENDAR\r\n";
    return out;
}
