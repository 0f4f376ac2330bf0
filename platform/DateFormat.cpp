#include "platform/DateFormat.h"

#include "platform/DatePattern.h"

namespace {

using date_pattern::Tok;
using date_pattern::Token;
using date_pattern::Tokenize;
using date_pattern::UsesTwelveHourClock;

TFormatSettings& GlobalSettings() {
    static TFormatSettings settings = FormatSettingsFromLocale(QLocale::system());
    return settings;
}

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

}  // namespace

const TFormatSettings& FormatSettings() {
    return GlobalSettings();
}

void SetFormatSettings(const TFormatSettings& settings) {
    GlobalSettings() = settings;
}

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

QString FloatToStr(double value) {
    return FloatToStr(value, FormatSettings().DecimalSeparator);
}

bool TryStrToFloat(const QString& text, double& result) {
    return TryStrToFloat(text, result, FormatSettings().DecimalSeparator);
}
