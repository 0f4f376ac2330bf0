#include "platform/DatePicker.h"

#include <algorithm>
#include <cmath>

namespace {

qsizetype RunLength(const QString& f, qsizetype i) {
    qsizetype n = 1;
    while (i + n < f.size() && f[i + n].toLower() == f[i].toLower())
        ++n;
    return n;
}

bool StartsWithAt(const QString& f, qsizetype i, QLatin1String word) {
    return f.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

// One run of a time format: the Qt letters and the characters it used.
QString TimeRun(const QString& f, qsizetype& i, QChar separator) {
    for (QLatin1String marker :
         {QLatin1String("ampm"), QLatin1String("am/pm"), QLatin1String("a/p")})
        if (StartsWithAt(f, i, marker)) {
            i += marker.size();
            return QStringLiteral("AP");
        }
    const QChar c = f[i].toLower();
    const qsizetype n = RunLength(f, i);
    i += n;
    if (c == u'h') return QString(std::min<qsizetype>(n, 2), u'h');
    if (c == u'n') return QString(std::min<qsizetype>(n, 2), u'm');
    if (c == u's') return QString(std::min<qsizetype>(n, 2), u's');
    if (c == u':') return QString(n, separator);
    // Other letters and quoting have no place in a picker.
    if (c.isLetter() || c == u'\'' || c == u'"') return {};
    return QString(n, f[i - n]);
}

}  // namespace

QDate ToQDate(TDateTime value) {
    int y = 0, m = 0, d = 0;
    DecodeDate(value, y, m, d);
    return QDate(y, m, d);
}

QTime ToQTime(TDateTime value) {
    int h = 0, n = 0, s = 0, ms = 0;
    DecodeTime(value, h, n, s, ms);
    return QTime(h, n, s, ms);
}

TDateTime WholeDay(const QDate& date) {
    return EncodeDate(date.year(), date.month(), date.day());
}

double TimeOfQTime(const QTime& time) {
    return EncodeTime(time.hour(), time.minute(), time.second(), time.msec());
}

TDateTime FromQDateTime(const QDate& date, const QTime& time) {
    return ComposeDateTime(WholeDay(date), TimeOfQTime(time));
}

QString PickerDateFormat(const TFormatSettings& fs) {
    const QString& f = fs.ShortDateFormat;
    QString out;
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f[i].toLower();
        qsizetype n = RunLength(f, i);
        if (c == u'd')
            out += QString(std::min<qsizetype>(n, 4), u'd');
        else if (c == u'm')
            out += QString(std::min<qsizetype>(n, 4), u'M');
        else if (c == u'y')
            out += n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
        else if (c == u'/')
            out += QString(n, fs.DateSeparator);
        else if (c.isLetter() || c == u'\'' || c == u'"')
            n = 1;  // other letters and quoting have no place in a picker
        else
            out += QString(n, f[i]);
        i += n;
    }
    return out.contains(u'd') && out.contains(u'M') && out.contains(u'y') ? out : QString();
}

QString PickerTimeFormat(const TFormatSettings& fs) {
    const QString& f = fs.LongTimeFormat;
    QString out;
    for (qsizetype i = 0; i < f.size();)
        out += TimeRun(f, i, fs.TimeSeparator);
    return out.contains(u'h') && out.contains(u'm') ? out.trimmed() : QString();
}
