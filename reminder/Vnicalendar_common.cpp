// Local time and libical times, the X- properties and the notice.
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <mutex>

#include "reminder/Vnicalendar_p.h"

namespace ics {

const char* const XEventType = "X-VORNEL-EVENT-TYPE";
const char* const XActionFile = "X-VORNEL-ACTION-FILE";
const char* const XRule = "X-VORNEL-RULE";
const char* const XNotify = "X-VORNEL-NOTIFY";

void InitLibical() {
    static std::once_flag once;
    std::call_once(once, [] {
        icalerror_set_errors_are_fatal(0);
        icaltimezone_set_tzid_prefix("");
    });
}

icaltimetype FloatingTime(TDateTime value, bool isDate) {
    icaltimetype t = icaltime_null_time();
    DecodeDate(value, t.year, t.month, t.day);
    t.is_date = isDate ? 1 : 0;
    if (!isDate) {
        int ms = 0;
        DecodeTime(value, t.hour, t.minute, t.second, ms);
    }
    return t;
}

namespace {

std::optional<TDateTime> Compose(int y, int m, int d, int hh, int mm, int ss) {
    TDateTime date = 0;
    double time = 0;
    if (y < MinYear || y > MaxYear || !TryEncodeDate(y, m, d, date)) return std::nullopt;
    if (!TryEncodeTime(std::clamp(hh, 0, 23), std::clamp(mm, 0, 59), std::clamp(ss, 0, 59), 0,
                       time))
        return std::nullopt;
    return ComposeDateTime(date, time);
}

}  // namespace

std::optional<TDateTime> LocalTime(const icaltimetype& t) {
    if (icaltime_is_null_time(t) || t.year < MinYear || t.year > MaxYear) return std::nullopt;
    if (t.is_date) return Compose(t.year, t.month, t.day, 0, 0, 0);
    const bool utc = icaltime_is_utc(t);
    if (!utc && !t.zone) return Compose(t.year, t.month, t.day, t.hour, t.minute, t.second);
    icaltimezone* zone = utc ? icaltimezone_get_utc_timezone() : (icaltimezone*)t.zone;
    const time_t instant = icaltime_as_timet_with_zone(t, zone);
    std::tm local{};
    if (!localtime_r(&instant, &local)) return std::nullopt;
    return Compose(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                   local.tm_min, local.tm_sec);
}

icaltimetype UtcOfLocal(TDateTime local) {
    const icaltimetype f = FloatingTime(local, false);
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1;
    return icaltime_from_timet_with_zone(mktime(&tm), 0, icaltimezone_get_utc_timezone());
}

int64_t MinuteKey(TDateTime value) {
    return static_cast<int64_t>(
        std::llround(DateTimeDays(value) * MinsPerDay + TimeOfDay(value) * MinsPerDay));
}

QString NativeRuleText(const TvnEventParams& e) {
    return QStringLiteral("KIND=%1;INTERVAL=%2;USEEND=%3;END=%4;STARTTIME=%5")
        .arg(e.Recurrence)
        .arg(e.nParam)
        .arg(e.UseEndDate ? 1 : 0)
        .arg(QString::number(e.EndDate, 'g', 17))
        .arg(e.UseStartTime ? 1 : 0);
}

namespace {

// "KEY=value;..." into the values of the expected keys, in order.
bool ReadKeys(const QString& text, const QStringList& keys, QStringList& values) {
    const QStringList parts = text.split(u';');
    if (parts.size() != keys.size()) return false;
    values.clear();
    for (int i = 0; i < parts.size(); ++i) {
        const QString prefix = keys[i] + u'=';
        if (!parts[i].startsWith(prefix)) return false;
        values << parts[i].mid(prefix.size());
    }
    return true;
}

bool ToInt(const QString& s, int32_t& out) {
    bool ok = false;
    const int v = s.toInt(&ok);
    if (ok) out = v;
    return ok;
}

}  // namespace

bool ReadNativeRule(const QString& text, TvnEventParams& e) {
    QStringList v;
    if (!ReadKeys(text, {"KIND", "INTERVAL", "USEEND", "END", "STARTTIME"}, v)) return false;
    TvnEventParams r = e;
    int32_t useEnd = 0, startTime = 0;
    bool endOk = false;
    r.EndDate = v[3].toDouble(&endOk);
    if (!ToInt(v[0], r.Recurrence) || !ToInt(v[1], r.nParam) || !ToInt(v[2], useEnd) ||
        !ToInt(v[4], startTime) || !endOk || !(r.EndDate >= MinDateTime) ||
        !(r.EndDate <= MaxDateTime))
        return false;
    // Another program may have written it; the rules divide by the interval.
    r.nParam = std::max(r.nParam, 1);
    r.UseEndDate = useEnd != 0;
    r.UseStartTime = startTime != 0;
    e = r;
    return true;
}

QString NativeNotifyText(const TvnEventParams& e) {
    return QStringLiteral("NOTIFY=%1;PARAM=%2;UNIT=%3")
        .arg(e.Notify ? 1 : 0)
        .arg(e.NotifyParam)
        .arg(e.NotifyType);
}

bool ReadNativeNotify(const QString& text, TvnEventParams& e) {
    QStringList v;
    if (!ReadKeys(text, {"NOTIFY", "PARAM", "UNIT"}, v)) return false;
    int32_t notify = 0, param = 0, unit = 0;
    if (!ToInt(v[0], notify) || !ToInt(v[1], param) || !ToInt(v[2], unit)) return false;
    e.Notify = notify != 0;
    e.NotifyParam = param;
    e.NotifyType = unit;
    return true;
}

icaldurationtype NoticeDuration(const TvnEventParams& e) {
    icaldurationtype d = icaldurationtype_null_duration();
    const unsigned int n = static_cast<unsigned int>(std::clamp(e.NotifyParam, 0, 100000));
    d.is_neg = 1;
    if (e.NotifyType == ntMinutes) d.minutes = n;
    if (e.NotifyType == ntHours) d.hours = n;
    if (e.NotifyType == ntDays) d.days = n;
    return d;
}

void SetNoticeFromDuration(const icaldurationtype& d, TvnEventParams& e) {
    // Seconds round up to a minute, so that a short lead still notifies early.
    const int64_t minutes = int64_t(d.weeks) * 7 * 1440 + int64_t(d.days) * 1440 +
                            int64_t(d.hours) * 60 + d.minutes + (d.seconds + 59) / 60;
    int unit = ntMinutes;
    if (d.hours) unit = ntHours;
    if (d.days || d.weeks) unit = ntDays;
    if (d.minutes || d.seconds) unit = ntMinutes;
    static const int64_t unitMinutes[] = {1, 60, 1440};
    int64_t value = minutes / unitMinutes[unit];
    while (value > 99 && unit < ntDays) {
        ++unit;
        value = (minutes + unitMinutes[unit] / 2) / unitMinutes[unit];
    }
    e.Notify = minutes > 0;
    e.NotifyType = unit;
    e.NotifyParam = static_cast<int32_t>(std::clamp<int64_t>(value, 1, 99));
}

QString FileUri(const QString& path) {
    // A path of another system (C:\...) is kept as it stands.
    if (!path.startsWith(u'/')) return path;
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

}  // namespace ics
