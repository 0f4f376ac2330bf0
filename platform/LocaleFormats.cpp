// The locale's formats translated into the runtime's pattern letters, and the fixed
// formats the program falls back on (declared in DateFormat.h).
#include "platform/DateFormat.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// Qt's C locale (LANG=C.UTF-8 on many systems) gives "HH:mm:ss" as its short
// time; a short time is hours and minutes, as every other locale has it.
QString WithoutSeconds(const QString& qtTime, QChar separator) {
    static const QRegularExpression quoted(QStringLiteral("'"));
    if (qtTime.contains(quoted)) return qtTime;
    QString out = qtTime;
    out.remove(QRegularExpression(QRegularExpression::escape(QString(separator)) +
                                  QStringLiteral("?s{1,2}")));
    return out.isEmpty() ? qtTime : out;
}

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
    fs.ShortTimeFormat =
        time(WithoutSeconds(locale.timeFormat(QLocale::ShortFormat), fs.TimeSeparator));
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
