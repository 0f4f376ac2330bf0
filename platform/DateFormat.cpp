#include "platform/DateFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace {

TFormatSettings& GlobalSettings() {
    static TFormatSettings settings = FormatSettingsFromLocale(QLocale::system());
    return settings;
}

// ---- pattern tokens -------------------------------------------------------

enum class Tok {
    Literal,
    DateSep,
    TimeSep,
    Day,
    Day2,
    DayShortName,
    DayLongName,
    ShortDate,
    LongDate,
    Month,
    Month2,
    MonthShortName,
    MonthLongName,
    Year2,
    Year4,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    Msec,
    Msec3,
    AmPmWord,  // "ampm": the AM and PM strings of the settings
    AmPmText,  // "am/pm": "am" or "pm" in the case written
    APText,    // "a/p"
    DateTimeC,
    ShortTime,
    LongTime,
};

struct Token {
    Tok kind;
    QString text;  // literal text, or the written case of am/pm and a/p
};

int RunLength(const QString& p, qsizetype i) {
    const QChar c = p[i].toLower();
    qsizetype j = i;
    while (j < p.size() && p[j].toLower() == c)
        ++j;
    return static_cast<int>(j - i);
}

std::optional<Token> AmPmToken(const QString& p, qsizetype i, int& used) {
    const QString rest = p.mid(i);
    if (rest.startsWith(QLatin1String("am/pm"), Qt::CaseInsensitive)) {
        used = 5;
        return Token{Tok::AmPmText, rest.left(5)};
    }
    if (rest.startsWith(QLatin1String("a/p"), Qt::CaseInsensitive)) {
        used = 3;
        return Token{Tok::APText, rest.left(3)};
    }
    if (rest.startsWith(QLatin1String("ampm"), Qt::CaseInsensitive)) {
        used = 4;
        return Token{Tok::AmPmWord, {}};
    }
    return std::nullopt;
}

Token LetterToken(QChar c, int n, bool afterHour) {
    switch (c.toLatin1()) {
        case 'y':
            return {n <= 2 ? Tok::Year2 : Tok::Year4, {}};
        case 'm':
            if (afterHour) return {n == 1 ? Tok::Minute : Tok::Minute2, {}};
            if (n <= 2) return {n == 1 ? Tok::Month : Tok::Month2, {}};
            return {n == 3 ? Tok::MonthShortName : Tok::MonthLongName, {}};
        case 'd': {
            static constexpr Tok kDays[] = {Tok::Day,         Tok::Day2,      Tok::DayShortName,
                                            Tok::DayLongName, Tok::ShortDate, Tok::LongDate};
            return {kDays[std::min(n, 6) - 1], {}};
        }
        case 'h':
            return {n == 1 ? Tok::Hour : Tok::Hour2, {}};
        case 'n':
            return {n == 1 ? Tok::Minute : Tok::Minute2, {}};
        case 's':
            return {n == 1 ? Tok::Second : Tok::Second2, {}};
        case 'z':
            return {n < 3 ? Tok::Msec : Tok::Msec3, {}};
        case 't':
            return {n == 1 ? Tok::ShortTime : Tok::LongTime, {}};
        case 'c':
            return {Tok::DateTimeC, {}};
        default:
            return {Tok::Literal, QString(n, c)};
    }
}

// Splits a pattern into tokens the way the runtime reads it: letters are
// case-insensitive, and an "m" after an hour means minutes.
QList<Token> Tokenize(const QString& p) {
    QList<Token> out;
    bool afterHour = false;
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype end = p.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? p.size() : end;
            out.append({Tok::Literal, p.mid(i + 1, stop - i - 1)});
            i = stop + 1;
            continue;
        }
        if (c == u'/' || c == u':') {
            out.append({c == u'/' ? Tok::DateSep : Tok::TimeSep, {}});
            ++i;
            continue;
        }
        const QChar lower = c.toLower();
        if (lower == u'a') {
            int used = 0;
            if (auto t = AmPmToken(p, i, used)) {
                out.append(*t);
                afterHour = false;
                i += used;
                continue;
            }
        }
        if (QStringLiteral("ymdhnsztc").contains(lower)) {
            const int n = lower == u'c' ? 1 : RunLength(p, i);
            out.append(LetterToken(lower, n, afterHour));
            afterHour = lower == u'h';
            i += n;
            continue;
        }
        if (c.isLetter()) afterHour = false;
        out.append({Tok::Literal, QString(c)});
        ++i;
    }
    return out;
}

// An AM/PM marker anywhere in the pattern (some locales put it first) makes
// the hours count on a twelve-hour clock.
bool UsesTwelveHourClock(const QList<Token>& tokens) {
    for (const Token& t : tokens) {
        const Tok k = t.kind;
        if (k == Tok::AmPmWord || k == Tok::AmPmText || k == Tok::APText) return true;
    }
    return false;
}

// ---- formatting -----------------------------------------------------------

QString Padded(int value, int width) {
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

struct Parts {
    int year, month, day, hour, min, sec, msec, dow;  // dow: 1 = Sunday
    bool hasTime;
};

Parts Decompose(TDateTime v) {
    Parts p{};
    DecodeDate(v, p.year, p.month, p.day);
    DecodeTime(v, p.hour, p.min, p.sec, p.msec);
    p.dow = DayOfWeek(v);
    p.hasTime = p.hour || p.min || p.sec || p.msec;
    return p;
}

QString AmPmChoice(const Token& t, const Parts& p, const TFormatSettings& fs) {
    const bool pm = p.hour >= 12;
    if (t.kind == Tok::AmPmWord) return pm ? fs.TimePMString : fs.TimeAMString;
    if (t.kind == Tok::APText) {
        const QChar ch = pm ? t.text[2] : t.text[0];
        return QString(ch);
    }
    return pm ? t.text.mid(3, 2) : t.text.left(2);
}

void Append(QString& out, const QString& pattern, const Parts& p, const TFormatSettings& fs,
            int depth);

void AppendToken(QString& out, const QList<Token>& tokens, qsizetype i, const Parts& p,
                 const TFormatSettings& fs, int depth) {
    const Token& t = tokens[i];
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    const int hour = UsesTwelveHourClock(tokens) ? hour12 : p.hour;
    switch (t.kind) {
        case Tok::Literal:
            out += t.text;
            break;
        case Tok::DateSep:
            out += fs.DateSeparator;
            break;
        case Tok::TimeSep:
            out += fs.TimeSeparator;
            break;
        case Tok::Day:
            out += QString::number(p.day);
            break;
        case Tok::Day2:
            out += Padded(p.day, 2);
            break;
        case Tok::DayShortName:
            out += fs.ShortDayNames[p.dow - 1];
            break;
        case Tok::DayLongName:
            out += fs.LongDayNames[p.dow - 1];
            break;
        case Tok::ShortDate:
            Append(out, fs.ShortDateFormat, p, fs, depth + 1);
            break;
        case Tok::LongDate:
            Append(out, fs.LongDateFormat, p, fs, depth + 1);
            break;
        case Tok::Month:
            out += QString::number(p.month);
            break;
        case Tok::Month2:
            out += Padded(p.month, 2);
            break;
        case Tok::MonthShortName:
            out += fs.ShortMonthNames[p.month - 1];
            break;
        case Tok::MonthLongName:
            out += fs.LongMonthNames[p.month - 1];
            break;
        case Tok::Year2:
            out += Padded(p.year % 100, 2);
            break;
        case Tok::Year4:
            out += Padded(p.year, 4);
            break;
        case Tok::Hour:
            out += QString::number(hour);
            break;
        case Tok::Hour2:
            out += Padded(hour, 2);
            break;
        case Tok::Minute:
            out += QString::number(p.min);
            break;
        case Tok::Minute2:
            out += Padded(p.min, 2);
            break;
        case Tok::Second:
            out += QString::number(p.sec);
            break;
        case Tok::Second2:
            out += Padded(p.sec, 2);
            break;
        case Tok::Msec:
            out += QString::number(p.msec);
            break;
        case Tok::Msec3:
            out += Padded(p.msec, 3);
            break;
        case Tok::AmPmWord:
        case Tok::AmPmText:
        case Tok::APText:
            out += AmPmChoice(t, p, fs);
            break;
        case Tok::DateTimeC:
            Append(out, fs.ShortDateFormat, p, fs, depth + 1);
            if (p.hasTime) {
                out += u' ';
                Append(out, fs.LongTimeFormat, p, fs, depth + 1);
            }
            break;
        case Tok::ShortTime:
            Append(out, fs.ShortTimeFormat, p, fs, depth + 1);
            break;
        case Tok::LongTime:
            Append(out, fs.LongTimeFormat, p, fs, depth + 1);
            break;
    }
}

void Append(QString& out, const QString& pattern, const Parts& p, const TFormatSettings& fs,
            int depth) {
    if (depth > 2) return;  // a format that names itself would never end
    const QList<Token> tokens = Tokenize(pattern);
    for (qsizetype i = 0; i < tokens.size(); ++i)
        AppendToken(out, tokens, i, p, fs, depth);
}

// ---- parsing --------------------------------------------------------------

struct ParseState {
    int year = -1, month = -1, day = -1;
    int hour = -1, min = -1, sec = -1, msec = -1;
    int pm = -1;  // 0 morning, 1 afternoon, -1 not given
    bool twoDigitYear = false;
};

class Scanner {
public:
    Scanner(const QString& text, const TFormatSettings& fs) : s_(text), fs_(fs) {}

    bool AtEnd() const { return pos_ == s_.size(); }
    qsizetype Pos() const { return pos_; }
    void SetPos(qsizetype p) { pos_ = p; }

    bool Number(int maxDigits, int& value, int* digits = nullptr) {
        int n = 0;
        int v = 0;
        while (n < maxDigits && pos_ < s_.size() && s_[pos_].isDigit() &&
               s_[pos_].unicode() < 128) {
            v = v * 10 + (s_[pos_].unicode() - '0');
            ++pos_;
            ++n;
        }
        if (digits) *digits = n;
        value = v;
        return n > 0;
    }

    bool Text(const QString& lit) {
        if (lit.isEmpty()) return true;
        if (lit.trimmed().isEmpty()) {  // blanks in a pattern match any run of blanks
            while (pos_ < s_.size() && s_[pos_].isSpace())
                ++pos_;
            return true;
        }
        if (s_.mid(pos_, lit.size()).compare(lit, Qt::CaseInsensitive) != 0) return false;
        pos_ += lit.size();
        return true;
    }

    // Index of the longest name that stands at the position, or -1.
    template <size_t N>
    int Name(const std::array<QString, N>& names) {
        int best = -1;
        qsizetype bestLen = 0;
        for (size_t i = 0; i < N; ++i) {
            const QString& n = names[i];
            if (n.size() > bestLen && s_.mid(pos_, n.size()).compare(n, Qt::CaseInsensitive) == 0) {
                best = static_cast<int>(i);
                bestLen = n.size();
            }
        }
        pos_ += bestLen;
        return best;
    }

    const TFormatSettings& fs() const { return fs_; }

private:
    const QString& s_;
    const TFormatSettings& fs_;
    qsizetype pos_ = 0;
};

bool MatchPattern(Scanner& sc, const QString& pattern, ParseState& st, int depth);

bool MatchAmPm(Scanner& sc, const Token& t, ParseState& st) {
    const TFormatSettings& fs = sc.fs();
    QString am = fs.TimeAMString, pm = fs.TimePMString;
    if (t.kind == Tok::AmPmText) am = QStringLiteral("am"), pm = QStringLiteral("pm");
    if (t.kind == Tok::APText) am = QStringLiteral("a"), pm = QStringLiteral("p");
    if (!pm.isEmpty() && sc.Text(pm)) return st.pm = 1, true;
    if (!am.isEmpty() && sc.Text(am)) return st.pm = 0, true;
    return false;
}

bool MatchNumberToken(Scanner& sc, Tok kind, ParseState& st) {
    int v = 0, digits = 0;
    switch (kind) {
        case Tok::Day:
        case Tok::Day2:
            return sc.Number(2, st.day);
        case Tok::Month:
        case Tok::Month2:
            return sc.Number(2, st.month);
        case Tok::Year2:
        case Tok::Year4:
            if (!sc.Number(4, v, &digits)) return false;
            st.year = v;
            st.twoDigitYear = kind == Tok::Year2 && digits <= 2;
            return true;
        case Tok::Hour:
        case Tok::Hour2:
            return sc.Number(2, st.hour);
        case Tok::Minute:
        case Tok::Minute2:
            return sc.Number(2, st.min);
        case Tok::Second:
        case Tok::Second2:
            return sc.Number(2, st.sec);
        case Tok::Msec:
        case Tok::Msec3:
            return sc.Number(3, st.msec);
        default:
            return false;
    }
}

bool MatchToken(Scanner& sc, const Token& t, ParseState& st, int depth) {
    const TFormatSettings& fs = sc.fs();
    switch (t.kind) {
        case Tok::Literal:
            return sc.Text(t.text);
        case Tok::DateSep:
            return sc.Text(QString(fs.DateSeparator));
        case Tok::TimeSep:
            return sc.Text(QString(fs.TimeSeparator));
        case Tok::DayShortName:
            return sc.Name(fs.ShortDayNames) >= 0;
        case Tok::DayLongName:
            return sc.Name(fs.LongDayNames) >= 0;
        case Tok::MonthShortName:
            return (st.month = sc.Name(fs.ShortMonthNames) + 1) > 0;
        case Tok::MonthLongName:
            return (st.month = sc.Name(fs.LongMonthNames) + 1) > 0;
        case Tok::ShortDate:
            return MatchPattern(sc, fs.ShortDateFormat, st, depth + 1);
        case Tok::LongDate:
            return MatchPattern(sc, fs.LongDateFormat, st, depth + 1);
        case Tok::ShortTime:
            return MatchPattern(sc, fs.ShortTimeFormat, st, depth + 1);
        case Tok::LongTime:
            return MatchPattern(sc, fs.LongTimeFormat, st, depth + 1);
        case Tok::DateTimeC: {
            if (!MatchPattern(sc, fs.ShortDateFormat, st, depth + 1)) return false;
            const qsizetype mark = sc.Pos();
            ParseState withTime = st;
            if (sc.Text(QStringLiteral(" ")) &&
                MatchPattern(sc, fs.LongTimeFormat, withTime, depth + 1)) {
                st = withTime;
            } else {
                sc.SetPos(mark);
            }
            return true;
        }
        case Tok::AmPmWord:
        case Tok::AmPmText:
        case Tok::APText:
            return MatchAmPm(sc, t, st);
        default:
            return MatchNumberToken(sc, t.kind, st);
    }
}

bool MatchPattern(Scanner& sc, const QString& pattern, ParseState& st, int depth) {
    if (depth > 2) return false;
    const QList<Token> tokens = Tokenize(pattern);
    for (const Token& t : tokens) {
        if (!MatchToken(sc, t, st, depth)) return false;
    }
    return true;
}

int ExpandTwoDigitYear(int year, const TFormatSettings& fs) {
    int nowYear = 0, m = 0, d = 0;
    DecodeDate(Now(), nowYear, m, d);
    const int threshold = nowYear - fs.TwoDigitYearCenturyWindow;
    year += (threshold / 100) * 100;
    if (fs.TwoDigitYearCenturyWindow > 0 && year < threshold) year += 100;
    return year;
}

bool BuildDate(const ParseState& st, const TFormatSettings& fs, TDateTime& out) {
    if (st.year < 0 || st.month < 0 || st.day < 0) return false;
    const int year = st.twoDigitYear ? ExpandTwoDigitYear(st.year, fs) : st.year;
    return TryEncodeDate(year, st.month, st.day, out);
}

bool BuildTime(const ParseState& st, double& out) {
    if (st.hour < 0) return false;
    int hour = st.hour;
    if (st.pm >= 0) {
        if (hour > 12) return false;
        hour = hour % 12 + (st.pm == 1 ? 12 : 0);
    }
    return TryEncodeTime(hour, std::max(st.min, 0), std::max(st.sec, 0), std::max(st.msec, 0), out);
}

// Matches the whole text against the pattern; fills the state on success.
bool MatchWhole(const QString& text, const QString& pattern, const TFormatSettings& fs,
                ParseState& st) {
    if (pattern.isEmpty()) return false;
    Scanner sc(text, fs);
    ParseState candidate;
    if (!MatchPattern(sc, pattern, candidate, 0) || !sc.AtEnd()) return false;
    st = candidate;
    return true;
}

bool ParseTimeOnly(const QString& text, const TFormatSettings& fs, double& out) {
    ParseState st;
    for (const QString& p : {fs.LongTimeFormat, fs.ShortTimeFormat}) {
        if (MatchWhole(text, p, fs, st)) return BuildTime(st, out);
    }
    return false;
}

// ---- locale translation ---------------------------------------------------

QChar FirstSeparator(const QString& qtFormat, QChar fallback) {
    bool quoted = false;
    for (QChar c : qtFormat) {
        if (c == u'\'') quoted = !quoted;
        if (!quoted && c != u'\'' && !c.isLetterOrNumber() && !c.isSpace()) return c;
    }
    return fallback;
}

QString QuoteLiteral(const QString& text) {
    if (text.contains(u'\'')) return u'"' + text + u'"';
    return u'\'' + text + u'\'';
}

// Translates one run of Qt format letters into the runtime's letters.
QString TranslateQtRun(QChar c, int n) {
    switch (c.toLatin1()) {
        case 'd':
            return QString(std::min(n, 4), u'd');
        case 'M':
            return QString(std::min(n, 4), u'm');
        case 'y':
            return n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
        case 'h':
        case 'H':
            return QString(std::min(n, 2), u'h');
        case 'm':
            return QString(std::min(n, 2), u'n');
        case 's':
            return QString(std::min(n, 2), u's');
        case 'z':
            return n >= 3 ? QStringLiteral("zzz") : QStringLiteral("z");
        case 'A':
        case 'a':
            return QStringLiteral("ampm");
        case 't':
            return {};  // time zones are not shown
        default:
            return QuoteLiteral(QString(n, c));
    }
}

QString TranslateQtFormat(const QString& qt, QChar separator, QChar runtimeSeparator) {
    QString out;
    for (qsizetype i = 0; i < qt.size();) {
        const QChar c = qt[i];
        if (c == u'\'') {
            const qsizetype end = qt.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? qt.size() : end;
            const QString lit = stop == i + 1 ? QStringLiteral("'") : qt.mid(i + 1, stop - i - 1);
            out += QuoteLiteral(lit);
            i = stop + 1;
            continue;
        }
        if (c.isLetter()) {
            qsizetype j = i;
            while (j < qt.size() && qt[j] == c)
                ++j;
            // "AP" and "ap" are one marker, not two.
            if ((c == u'A' || c == u'a') && j < qt.size() && qt[j].toLower() == u'p') ++j;
            out += TranslateQtRun(c, static_cast<int>(j - i));
            i = j;
            continue;
        }
        if (c == separator)
            out += runtimeSeparator;
        else if (c == u'/' || c == u':' || c == u'"')
            out += QuoteLiteral(QString(c));
        else
            out += c;
        ++i;
    }
    return out.trimmed();
}

}  // namespace

// ---- settings -------------------------------------------------------------

const TFormatSettings& FormatSettings() {
    return GlobalSettings();
}

void SetFormatSettings(const TFormatSettings& settings) {
    GlobalSettings() = settings;
}

TFormatSettings FormatSettingsFromLocale(const QLocale& locale) {
    TFormatSettings fs;
    const QString qtShortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString qtLongTime = locale.timeFormat(QLocale::LongFormat);
    fs.DateSeparator = FirstSeparator(qtShortDate, u'/');
    fs.TimeSeparator = FirstSeparator(qtLongTime, u':');
    auto date = [&](const QString& f) { return TranslateQtFormat(f, fs.DateSeparator, u'/'); };
    auto time = [&](const QString& f) { return TranslateQtFormat(f, fs.TimeSeparator, u':'); };
    fs.ShortDateFormat = date(qtShortDate);
    if (!fs.ShortDateFormat.contains(QLatin1String("yyyy"), Qt::CaseInsensitive))
        fs.ShortDateFormat.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    fs.LongDateFormat = date(locale.dateFormat(QLocale::LongFormat));
    fs.ShortTimeFormat = time(locale.timeFormat(QLocale::ShortFormat));
    fs.LongTimeFormat = time(qtLongTime);
    const QString decimal = locale.decimalPoint();
    fs.DecimalSeparator = decimal.isEmpty() ? QChar(u'.') : decimal[0];
    if (!locale.amText().isEmpty()) fs.TimeAMString = locale.amText();
    if (!locale.pmText().isEmpty()) fs.TimePMString = locale.pmText();
    for (int m = 1; m <= 12; ++m) {
        fs.ShortMonthNames[m - 1] = locale.monthName(m, QLocale::ShortFormat);
        fs.LongMonthNames[m - 1] = locale.monthName(m, QLocale::LongFormat);
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;  // Qt counts Monday = 1 ... Sunday = 7
        fs.ShortDayNames[d] = locale.dayName(qtDay, QLocale::ShortFormat);
        fs.LongDayNames[d] = locale.dayName(qtDay, QLocale::LongFormat);
    }
    return fs;
}

TFormatSettings FallbackFormatSettings(const TFormatSettings& base) {
    TFormatSettings fs = base;
    fs.DateSeparator = u'/';
    fs.ShortDateFormat = QStringLiteral("M/d/yy");
    fs.LongDateFormat = QStringLiteral("dddd, MMMM dd, yyyy");
    fs.TimeSeparator = u':';
    fs.TimeAMString = QStringLiteral("AM");
    fs.TimePMString = QStringLiteral("PM");
    fs.ShortTimeFormat = QStringLiteral("h:mm AMPM");
    fs.LongTimeFormat = QStringLiteral("h:mm:ss AMPM");
    return fs;
}

void UseFallbackDateTimeFormats() {
    SetFormatSettings(FallbackFormatSettings(FormatSettings()));
}

// ---- writers --------------------------------------------------------------

QString FormatDateTime(const QString& pattern, TDateTime value, const TFormatSettings& fs) {
    QString out;
    Append(out, pattern, Decompose(value), fs, 0);
    return out;
}

QString FormatDateTime(const QString& pattern, TDateTime value) {
    return FormatDateTime(pattern, value, FormatSettings());
}

QString DateToStr(TDateTime value) {
    return FormatDateTime(QStringLiteral("ddddd"), value);
}

QString TimeToStr(TDateTime value) {
    return FormatDateTime(QStringLiteral("tt"), value);
}

QString DateTimeToStr(TDateTime value) {
    return FormatDateTime(QStringLiteral("c"), value);
}

QString DateTimeText(TDateTime value) {
    if (!(value >= 1)) return TimeToStr(value);
    return TimeOfDay(value) == 0 ? DateToStr(value) : DateToStr(value) + u' ' + TimeToStr(value);
}

// ---- readers --------------------------------------------------------------

bool TryStrToDate(const QString& text, TDateTime& result) {
    const TFormatSettings& fs = FormatSettings();
    ParseState st;
    return MatchWhole(text.trimmed(), fs.ShortDateFormat, fs, st) && BuildDate(st, fs, result);
}

bool TryStrToTime(const QString& text, TDateTime& result) {
    return ParseTimeOnly(text.trimmed(), FormatSettings(), result);
}

bool TryStrToDateTime(const QString& text, TDateTime& result) {
    const TFormatSettings& fs = FormatSettings();
    const QString t = text.trimmed();
    ParseState st;
    for (const QString& timeFormat : {fs.LongTimeFormat, fs.ShortTimeFormat}) {
        if (timeFormat.isEmpty()) continue;
        if (MatchWhole(t, fs.ShortDateFormat + u' ' + timeFormat, fs, st)) {
            TDateTime day = 0;
            double time = 0;
            if (!BuildDate(st, fs, day) || !BuildTime(st, time)) return false;
            result = ComposeDateTime(day, time);
            return true;
        }
    }
    if (TryStrToDate(t, result)) return true;
    return ParseTimeOnly(t, fs, result);
}

// ---- real numbers ---------------------------------------------------------

QString FloatToStr(double value, QChar decimalSeparator) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0) return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);  // d.dddddddddddddde[+-]x
    std::string s(buf);
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    const size_t ePos = s.find('e');
    const int exponent = std::stoi(s.substr(ePos + 1));
    std::string digits = s.substr(0, 1) + s.substr(2, ePos - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out;
    const std::string sep = QString(decimalSeparator).toStdString();
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out = "0" + sep + std::string(-exponent - 1, '0') + digits;
        } else if (static_cast<int>(digits.size()) <= exponent + 1) {
            out = digits + std::string(exponent + 1 - digits.size(), '0');
        } else {
            out = digits.substr(0, exponent + 1) + sep + digits.substr(exponent + 1);
        }
    } else {
        out = digits.substr(0, 1);
        if (digits.size() > 1) out += sep + digits.substr(1);
        out += "E" + std::to_string(exponent);
    }
    return QString::fromStdString((negative ? "-" : "") + out);
}

QString FloatToStr(double value) {
    return FloatToStr(value, FormatSettings().DecimalSeparator);
}

bool TryStrToFloat(const QString& text, double& result, QChar decimalSeparator) {
    const QString t = text.trimmed();
    std::string ascii;
    ascii.reserve(t.size());
    bool seenDigit = false, seenPoint = false, seenExp = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        const bool signAllowed = i == 0 || (seenExp && (t[i - 1] == u'e' || t[i - 1] == u'E'));
        if (c.unicode() < 128 && c.isDigit()) {
            seenDigit = true;
            ascii += static_cast<char>(c.unicode());
        } else if ((c == u'+' || c == u'-') && signAllowed) {
            if (c == u'-') ascii += '-';
        } else if (c == decimalSeparator && !seenPoint && !seenExp) {
            seenPoint = true;
            ascii += '.';
        } else if ((c == u'e' || c == u'E') && seenDigit && !seenExp) {
            seenExp = true;
            ascii += 'e';
        } else {
            return false;
        }
    }
    if (!seenDigit || ascii.back() == 'e' || ascii.back() == '-') return false;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (ec != std::errc() || ptr != ascii.data() + ascii.size() || !std::isfinite(v)) return false;
    result = v;
    return true;
}

bool TryStrToFloat(const QString& text, double& result) {
    return TryStrToFloat(text, result, FormatSettings().DecimalSeparator);
}
