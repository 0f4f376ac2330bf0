// iCalendar text to event records: the fields, the notice, and the series.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstdlib>

#include "reminder/Vnicalendar.h"
#include "reminder/Vnicalendar_p.h"
#include "reminder/Vnicalendar_read_p.h"

using namespace ics;

namespace {

constexpr int MaxEvents = 200000;

QString Utf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

QString XValue(icalcomponent* ev, const char* name) {
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_X_PROPERTY)) {
        if (qstrcmp(icalproperty_get_x_name(p), name) == 0) return Utf8(icalproperty_get_x(p));
    }
    return {};
}

int CategoryOf(icalcomponent* ev) {
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_CATEGORIES_PROPERTY)) {
        for (const QString& name : Utf8(icalproperty_get_categories(p)).split(u',')) {
            for (int c = 0; c < CategoryCount; ++c)
                if (name.trimmed().compare(CategoryCaption(c), Qt::CaseInsensitive) == 0) return c;
        }
    }
    return ecMiscellaneous;
}

int64_t DurationMinutes(const icaldurationtype& d) {
    return int64_t(d.weeks) * 7 * 1440 + int64_t(d.days) * 1440 + int64_t(d.hours) * 60 +
           d.minutes + (d.seconds + 59) / 60;
}

// The lead of an alarm before the start; nothing for one after it.
std::optional<icaldurationtype> AlarmLead(icalcomponent* alarm, TDateTime start) {
    icalproperty* p = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
    if (!p) return std::nullopt;
    const icaltriggertype trigger = icalproperty_get_trigger(p);
    if (!icaltime_is_null_time(trigger.time)) {
        const auto at = LocalTime(trigger.time);
        const int64_t lead = at ? MinuteKey(start) - MinuteKey(*at) : -1;
        if (lead < 0) return std::nullopt;
        icaldurationtype d = icaldurationtype_null_duration();
        d.minutes = static_cast<unsigned int>(std::min<int64_t>(lead, 100000000));
        return d;
    }
    if (!trigger.duration.is_neg && DurationMinutes(trigger.duration) > 0) return std::nullopt;
    return trigger.duration;
}

struct Notice {
    bool found = false;
    int64_t minutes = 0;
};

bool ShowsOnScreen(icalcomponent* alarm) {
    icalproperty* action = icalcomponent_get_first_property(alarm, ICAL_ACTION_PROPERTY);
    const icalproperty_action kind = action ? icalproperty_get_action(action) : ICAL_ACTION_NONE;
    return kind == ICAL_ACTION_DISPLAY || kind == ICAL_ACTION_AUDIO;
}

// The notice of the first alarm before the start that shows or sounds, else
// of the first other one (an e-mail, say). What an alarm attaches (a sound
// to play) is not taken over.
Notice ReadAlarms(icalcomponent* ev, TvnEventParams& e) {
    Notice notice;
    for (const bool onScreen : {true, false}) {
        for (icalcomponent* a = icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT); a;
             a = icalcomponent_get_next_component(ev, ICAL_VALARM_COMPONENT)) {
            const auto lead = ShowsOnScreen(a) == onScreen ? AlarmLead(a, e.Date) : std::nullopt;
            if (!lead || notice.found) continue;
            notice = {true, DurationMinutes(*lead)};
            SetNoticeFromDuration(*lead, e);
        }
    }
    return notice;
}

// What this program wrote as its own notice, when the alarms still say it.
void ApplyNativeNotify(icalcomponent* ev, const Notice& notice, TvnEventParams& e) {
    TvnEventParams native = e;
    if (!ReadNativeNotify(XValue(ev, XNotify), native)) return;
    const int64_t lead =
        DurationMinutes(NoticeDuration(native)) * (NotifyUnitDays(native.NotifyType) > 0);
    const bool notifies = native.Notify && lead > 0;
    if (notifies != e.Notify || (notifies && lead != notice.minutes)) return;
    e.Notify = native.Notify;
    e.NotifyParam = native.NotifyParam;
    e.NotifyType = native.NotifyType;
}

}  // namespace

bool ReadEventFields(icalcomponent* ev, TvnEventParams& e, icaltimetype& start) {
    if (!icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY)) return false;
    start = icalcomponent_get_dtstart(ev);
    const auto local = LocalTime(start);
    if (!local) return false;
    e.Date = *local;
    e.UseStartTime = !start.is_date;
    // An event without SUMMARY is still an event: its description is empty.
    e.Desc = Utf8(icalcomponent_get_summary(ev));
    e.Notes = Utf8(icalcomponent_get_description(ev));
    e.Category = CategoryOf(ev);
    // No action file: whoever wrote the calendar would pick what is opened.
    const Notice notice = ReadAlarms(ev, e);
    ApplyNativeNotify(ev, notice, e);
    return true;
}

namespace {

QString NormalizedRule(icalrecurrencetype r) {
    char* text = icalrecurrencetype_as_string_r(&r);
    QString s = Utf8(text);
    free(text);
    return s;
}

QString NormalizedRule(const QString& rule) {
    return NormalizedRule(icalrecurrencetype_from_string(rule.toUtf8().constData()));
}

bool IsOwnShape(icalcomponent* ev, const TvnReadContext& ctx) {
    return icalcomponent_count_properties(ev, ICAL_RRULE_PROPERTY) <= 1 &&
           !icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY) &&
           !icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY) &&
           !icalcomponent_get_first_property(ev, ICAL_EXRULE_PROPERTY) &&
           !ctx.Overrides.contains(Utf8(icalcomponent_get_uid(ev)));
}

// The native rule this program wrote, when the RRULE still says it.
bool ApplyNativeRule(icalcomponent* ev, const icaltimetype& start, TvnEventParams& e) {
    TvnEventParams native = e;
    if (!ReadNativeRule(XValue(ev, XRule), native)) return false;
    const QString expected = RuleText(native, start.zone || icaltime_is_utc(start));
    icalproperty* rp = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
    if (expected.isEmpty() != !rp) return false;
    if (rp && NormalizedRule(icalproperty_get_rrule(rp)) != NormalizedRule(expected)) return false;
    bool ok = false;
    const int eType = XValue(ev, XEventType).toInt(&ok);
    e = native;
    e.eType = ok ? eType : (rp ? etRecurring : etEvent);
    return true;
}

// A rule in exactly the shape this program writes, without an end.
bool ApplyDirectRule(const icalrecurrencetype& r, TvnEventParams& e) {
    if (r.count != 0 || !icaltime_is_null_time(r.until)) return false;
    TvnEventParams c = e;
    c.Recurrence = KindOfFrequency(r);
    c.nParam = std::max<int>(1, r.interval);
    c.UseEndDate = false;
    if (c.Recurrence == rkOnce || NormalizedRule(r) != NormalizedRule(RuleText(c, false)))
        return false;
    c.eType = etRecurring;
    e = c;
    return true;
}

bool NoticeStated(icalcomponent* ev) {
    if (icalcomponent_get_first_component(ev, ICAL_VALARM_COMPONENT)) return true;
    TvnEventParams native;
    return ReadNativeNotify(XValue(ev, XNotify), native) && !native.Notify;
}

// One changed occurrence of a series: an event of its own, named after the
// occurrence it replaces, so that moving it onto another occurrence's time
// does not merge the two. A change of this and the following occurrences is
// applied with its series, when the text holds the series.
void ReadOverride(icalcomponent* ev, TvnIcsEvent& item, TvnReadContext& ctx) {
    const TvnOverride* slot = nullptr;
    for (const TvnOverride& o : ctx.Overrides[item.Uid])
        if (o.Component == ev) slot = &o;
    if (slot && slot->ThisAndFuture && ctx.Masters.contains(item.Uid)) return;
    item.Uid += u'/' + QString::number(slot ? slot->Key : MinuteKey(item.Event.Date));
    ctx.Result.Events.push_back(item);
}

void ReadEvent(icalcomponent* ev, TvnReadContext& ctx) {
    if (icalcomponent_count_properties(ev, ICAL_XLICERROR_PROPERTY) > 0) ++ctx.Result.Damaged;
    TvnIcsEvent item;
    icaltimetype start;
    if (!ReadEventFields(ev, item.Event, start)) {
        ++ctx.Result.Skipped;
        return;
    }
    item.Uid = Utf8(icalcomponent_get_uid(ev));
    item.NoticeKnown = NoticeStated(ev);
    if (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_LASTMODIFIED_PROPERTY))
        item.LastModified = icaltime_as_timet_with_zone(icalproperty_get_lastmodified(p),
                                                        icaltimezone_get_utc_timezone());
    if (icalcomponent_get_first_property(ev, ICAL_RECURRENCEID_PROPERTY)) {
        ReadOverride(ev, item, ctx);
        return;
    }
    const TvnIcsEvent base = item;
    const bool ownShape = IsOwnShape(ev, ctx);
    icalproperty* rp = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY);
    const bool ruled =
        ownShape && (ApplyNativeRule(ev, start, item.Event) ||
                     (rp && ApplyDirectRule(icalproperty_get_rrule(rp), item.Event)));
    if (ruled && KeepsLocalTime(start, item.Event, ctx)) {
        ctx.Result.Events.push_back(item);
        return;
    }
    if (!ruled && !rp && !icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY)) {
        ctx.Result.Events.push_back(item);
        return;
    }
    ReadSeries(ev, start, base, ctx);
}

bool ThisAndFuture(icalproperty* recurrenceId) {
    icalparameter* range = icalproperty_get_first_parameter(recurrenceId, ICAL_RANGE_PARAMETER);
    return range && icalparameter_get_range(range) == ICAL_RANGE_THISANDFUTURE;
}

// Overridden occurrences of each series, by UID, and the UIDs of the series.
void CollectOverrides(icalcomponent* cal, TvnReadContext& ctx) {
    for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
         ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
        const QString uid = Utf8(icalcomponent_get_uid(ev));
        icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RECURRENCEID_PROPERTY);
        if (!p) {
            ctx.Masters.insert(uid);
            continue;
        }
        const icaltimetype t = icalproperty_get_datetime_with_component(p, ev);
        const auto at = LocalTime(t);
        if (!at) continue;
        // The day as written, before any conversion: Exchange names an
        // all-day occurrence by midnight in its own zone.
        const int64_t written =
            QDate(t.year, t.month, t.day).toJulianDay() - QDate(1899, 12, 30).toJulianDay();
        ctx.Overrides[uid].push_back({MinuteKey(*at), written, ThisAndFuture(p), ev});
    }
}

// Components the calendar does not keep are counted, so that a resource
// holding only a task is known to be no error.
void CountLeftAlone(icalcomponent* cal, TvnReadContext& ctx) {
    for (const icalcomponent_kind kind : {ICAL_VTODO_COMPONENT, ICAL_VJOURNAL_COMPONENT,
                                          ICAL_VFREEBUSY_COMPONENT, ICAL_VAVAILABILITY_COMPONENT})
        ctx.Result.LeftAlone += icalcomponent_count_components(cal, kind);
}

void AppendComponent(QByteArray& out, icalcomponent* c) {
    char* text = icalcomponent_as_ical_string_r(c);
    out += text;
    free(text);
}

// Texts of originals are kept up to this many events in one read: a file
// of two hundred thousand would otherwise hold their zones that many times.
constexpr size_t MaxOriginals = 20000;

// The TZIDs the component's properties (and those of its alarms) name.
void NamedZones(icalcomponent* c, QSet<QString>& names) {
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY))
        if (icalparameter* id = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER))
            names.insert(Utf8(icalparameter_get_tzid(id)));
}

// The calendar's own lines, the zones the components name, and the components.
QByteArray OriginalText(icalcomponent* cal, const QByteArray& head,
                        const std::vector<icalcomponent*>& components) {
    QByteArray out = "BEGIN:VCALENDAR\r\n" + head;
    QSet<QString> names;
    for (icalcomponent* c : components)
        NamedZones(c, names);
    for (const QString& name : names)
        if (icaltimezone* zone = icalcomponent_get_timezone(cal, name.toUtf8().constData()))
            AppendComponent(out, icaltimezone_get_component(zone));
    for (icalcomponent* c : components)
        AppendComponent(out, c);
    return out + "END:VCALENDAR\r\n";
}

// Each event kept as one record of its own gets the text it was read from,
// so that writing it again can change only what the user changed.
void KeepOriginals(icalcomponent* cal, TvnReadContext& ctx, size_t first) {
    if (ctx.Result.Events.size() > MaxOriginals) return;
    QHash<QString, std::vector<icalcomponent*>> byUid;
    for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
         ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT))
        byUid[Utf8(icalcomponent_get_uid(ev))].push_back(ev);
    QByteArray head;
    for (icalproperty* p = icalcomponent_get_first_property(cal, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(cal, ICAL_ANY_PROPERTY))
        if (icalproperty_isa(p) != ICAL_METHOD_PROPERTY) head += icalproperty_as_ical_string(p);
    QHash<QString, size_t> lastOfSeries;  // series that go on: their last occurrence
    for (size_t i = first; i < ctx.Result.Events.size(); ++i) {
        TvnIcsEvent& item = ctx.Result.Events[i];
        const auto own = byUid.constFind(item.Uid);
        if (!item.Uid.isEmpty() && own != byUid.cend())
            item.Original = OriginalText(cal, head, *own);
        if (item.GoesOn) lastOfSeries[item.Uid.left(item.Uid.lastIndexOf(u'/'))] = i;
    }
    // The last occurrence read of a series that goes on carries the series,
    // so that it can be read again further ahead as time moves on.
    for (auto it = lastOfSeries.cbegin(); it != lastOfSeries.cend(); ++it) {
        const auto own = byUid.constFind(it.key());
        if (own != byUid.cend())
            ctx.Result.Events[it.value()].Original = OriginalText(cal, head, *own);
    }
}

void ReadCalendar(icalcomponent* cal, TvnReadContext& ctx) {
    DropUnsafeTimezones(cal);
    CollectOverrides(cal, ctx);
    CountLeftAlone(cal, ctx);
    const size_t first = ctx.Result.Events.size();
    for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
         ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
        if (++ctx.Seen > MaxEvents)
            ++ctx.Result.Skipped;
        else
            ReadEvent(ev, ctx);
    }
    KeepOriginals(cal, ctx, first);
}

std::vector<icalcomponent*> Calendars(icalcomponent* root) {
    std::vector<icalcomponent*> out;
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) out.push_back(root);
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        out.push_back(c);
    return out;
}

}  // namespace

int KindOfFrequency(const icalrecurrencetype& r) {
    switch (r.freq) {
        case ICAL_HOURLY_RECURRENCE:
            return rkHourly;
        case ICAL_DAILY_RECURRENCE:
            return rkDaily;
        case ICAL_WEEKLY_RECURRENCE:
            return rkWeekly;
        case ICAL_MONTHLY_RECURRENCE:
            return r.by_day[0] != ICAL_RECURRENCE_ARRAY_MAX ? rkMonthlyByWeekday : rkMonthly;
        case ICAL_YEARLY_RECURRENCE:
            return rkAnnually;
        default:
            return rkOnce;
    }
}

TvnIcsReadResult ReadICalendar(const QByteArray& text, TDateTime now) {
    InitLibical();
    TvnReadContext ctx(now);
    if (text.trimmed().isEmpty()) {
        ctx.Result.Error = QStringLiteral("The file is empty.");
        return ctx.Result;
    }
    ComponentPtr root(icalparser_parse_string(text.constData()));
    const std::vector<icalcomponent*> calendars =
        root ? Calendars(root.get()) : std::vector<icalcomponent*>{};
    if (calendars.empty()) {
        ctx.Result.Error = QStringLiteral("The file holds no iCalendar data.");
        return ctx.Result;
    }
    for (icalcomponent* cal : calendars)
        ReadCalendar(cal, ctx);
    return ctx.Result;
}

// Only a regular file within the limit is read, as it is once opened: a
// device (/dev/zero) would be read until memory runs out, and opening a pipe
// without O_NONBLOCK waits for a writer.
TvnIcsReadResult ReadICalendarFile(const QString& fileName, TDateTime now) {
    TvnIcsReadResult result;
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    QFile file;
    if (fd < 0 || fstat(fd, &info) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) ::close(fd);
        result.Error = QStringLiteral("The file \"%1\" could not be read.").arg(fileName);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.Error =
            QStringLiteral("\"%1\" is not a regular file and is not imported.").arg(fileName);
        return result;
    }
    // Read one byte over the limit, in case the file grew since it was looked at.
    const QByteArray text =
        info.st_size > IcsMaxFileBytes ? QByteArray() : file.read(IcsMaxFileBytes + 1);
    if (info.st_size > IcsMaxFileBytes || text.size() > IcsMaxFileBytes) {
        result.Error = QStringLiteral("The file is larger than %1 MB and is not imported.")
                           .arg(IcsMaxFileBytes / (1024 * 1024));
        return result;
    }
    return ReadICalendar(text, now);
}
