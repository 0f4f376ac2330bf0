#include "platform/DatePattern.h"

#include <algorithm>
#include <optional>

namespace date_pattern {
namespace {

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

}  // namespace

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

bool UsesTwelveHourClock(const QList<Token>& tokens) {
    for (const Token& t : tokens) {
        const Tok k = t.kind;
        if (k == Tok::AmPmWord || k == Tok::AmPmText || k == Tok::APText) return true;
    }
    return false;
}

}  // namespace date_pattern
