// The readers of date-time texts in the current formats (declared in DateFormat.h).
#include <algorithm>

#include "platform/DateFormat.h"
#include "platform/DatePattern.h"

namespace {

using date_pattern::Tok;
using date_pattern::Token;
using date_pattern::Tokenize;

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

}  // namespace

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
