#include "reminder/Vneventfiles.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "platform/DateFormat.h"
#include "reminder/Vnparams.h"
#include "store/Vneventfields.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kGeneral = QStringLiteral("General");
const QString kSectionPrefix = QStringLiteral("EventID_");

QString YesNo(bool value) {
    return value ? QStringLiteral("YES") : QStringLiteral("NO");
}

// Every line of the report ends in CR LF, also those inside multi-line notes.
QString WithCrLf(const QString& text) {
    if (!text.contains(u'\r') && !text.contains(u'\n')) return text;
    QString t = text;
    t.replace(kCrLf, QStringLiteral("\n")).replace(u'\r', u'\n');
    return t.replace(u'\n', kCrLf);
}

QString SectionName(qint64 n) {
    return kSectionPrefix + QString::number(n);
}

TDateTime ReadDate(const TIniFile& ini, const QString& section, const QString& key) {
    const double v = ini.ReadFloat(section, key, 0);
    if (!std::isfinite(v)) return 0;
    const double day = std::trunc(v);
    return day >= MinDateTime && day <= std::trunc(MaxDateTime) ? v : 0;
}

int ReadNumber(const TIniFile& ini, const QString& section, const TvnEventField& f) {
    const int v = ini.ReadInteger(section, f.name, f.fileDefault);
    return v >= f.fileMin && v <= f.fileMax ? v : f.fileDefault;
}

void WriteField(TIniFile& ini, const QString& s, const TvnEventField& f, const TvnEventParams& e) {
    switch (f.kind) {
        case TvnEventFieldKind::Integer:
            return ini.WriteInteger(s, f.name, e.*f.integer);
        case TvnEventFieldKind::Boolean:
            return ini.WriteBool(s, f.name, e.*f.boolean);
        case TvnEventFieldKind::DateTime:
            return ini.WriteFloat(s, f.name, e.*f.dateTime);
        case TvnEventFieldKind::Text:
            return ini.WriteString(s, f.name, e.*f.text);
    }
}

void ReadField(const TIniFile& ini, const QString& s, const TvnEventField& f, TvnEventParams& e) {
    switch (f.kind) {
        case TvnEventFieldKind::Integer:
            e.*f.integer = ReadNumber(ini, s, f);
            return;
        case TvnEventFieldKind::Boolean:
            e.*f.boolean = ini.ReadBool(s, f.name, false);
            return;
        case TvnEventFieldKind::DateTime:
            e.*f.dateTime = ReadDate(ini, s, f.name);
            return;
        case TvnEventFieldKind::Text:
            e.*f.text = ini.ReadString(s, f.name, {});
            return;
    }
}

// Numbers n with 0 <= n < count of the "EventID_<n>" sections the file holds,
// ascending. Only canonical numbers count: "EventID_07" is not section 7.
std::vector<qint64> EventSectionNumbers(const TIniFile& ini, qint64 count) {
    std::vector<qint64> numbers;
    for (qsizetype i = 0; i < ini.SectionCount(); ++i) {
        const QString name = ini.SectionName(i);
        if (!name.startsWith(kSectionPrefix, Qt::CaseInsensitive)) continue;
        const QStringView digits = QStringView(name).sliced(kSectionPrefix.size());
        bool ok = false;
        const qint64 n = digits.toLongLong(&ok);
        if (ok && n >= 0 && n < count && QString::number(n) == digits) numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

}  // namespace

// ---- text report -----------------------------------------------------------

TvnTextReportWriter::TvnTextReportWriter(const QString& fileName, int categories)
    : file_(fileName), categories_(categories) {
    open_ = !fileName.isEmpty() && file_.open(QIODevice::WriteOnly);
    if (!open_) return;
    const QString header = QStringLiteral("Created ") + DateToStr(Date()) + kCrLf + kCrLf;
    failed_ = file_.write(header.toUtf8()) < 0;
}

QString TvnTextReportWriter::EventBlock(const TvnEventParams& e) {
    const QString lines[] = {
        QStringLiteral("Description | ") + e.Desc,
        QStringLiteral("Start Date  | ") + DateTimeToStr(e.Date),
        QStringLiteral("Run Date    | ") + (e.Completed ? QString() : DateTimeToStr(e.RunDate)),
        QStringLiteral("End Date    | ") + (e.UseEndDate ? DateTimeToStr(e.EndDate) : QString()),
        QStringLiteral("Notify      | ") + YesNo(e.Notify),
        QStringLiteral("Category    | ") + CategoryCaption(e.Category),
        QStringLiteral("Reccurence  | ") + RecurrenceCaption(e.Recurrence),
        QStringLiteral("Action file | ") + e.Action_File,
        QStringLiteral("Sound file  | ") + e.Sound_File,
        QStringLiteral("Notes       | ") + e.Notes,
        QStringLiteral("Completed   | ") + YesNo(e.Completed),
    };
    QString block;
    for (const QString& line : lines)
        block += WithCrLf(line) + kCrLf;
    return block + kCrLf;
}

bool TvnTextReportWriter::Add(const TvnEventParams& event) {
    if (!open_ || !CategoryInMask(event.Category, categories_)) return false;
    if (file_.write(EventBlock(event).toUtf8()) < 0) failed_ = true;
    return true;
}

bool TvnTextReportWriter::Commit() {
    if (!open_) return false;
    open_ = false;
    if (failed_) {
        file_.cancelWriting();
        file_.commit();
        return false;
    }
    return file_.commit();
}

// ---- event data file -------------------------------------------------------

TvnEventDataWriter::TvnEventDataWriter(const QString& fileName, int categories)
    : ini_(fileName), categories_(categories) {
    ini_.Clear();
}

bool TvnEventDataWriter::Add(const TvnEventParams& e) {
    if (!CategoryInMask(e.Category, categories_)) return false;
    const QString s = SectionName(count_);
    for (const TvnEventField& f : EventFields())
        if (f.inDataFile) WriteField(ini_, s, f, e);
    ++count_;
    return true;
}

bool TvnEventDataWriter::Commit() {
    ini_.WriteInteger(kGeneral, QStringLiteral("Count"), count_);
    return ini_.UpdateFile();
}

// ---- reader ----------------------------------------------------------------

TvnEventParams ReadEventSection(const TIniFile& ini, const QString& s) {
    TvnEventParams e;
    // The fields the file does not carry.
    e.ID = 0;
    e.Completed = true;
    for (const TvnEventField& f : EventFields())
        if (f.inDataFile) ReadField(ini, s, f, e);
    return e;
}

TvnEventDataReader::TvnEventDataReader(const QString& fileName) {
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile() || info.size() > MaxEventDataFileSize) return;
    QFile probe(fileName);
    if (!probe.open(QIODevice::ReadOnly)) return;
    probe.close();
    ini_ = std::make_unique<TIniFile>(fileName);
    const int count = ini_->ReadInteger(kGeneral, QStringLiteral("Count"), -1);
    isEventData_ = count >= 0;
    if (isEventData_) numbers_ = EventSectionNumbers(*ini_, count);
}

TvnEventParams TvnEventDataReader::Event(qsizetype i) const {
    return ReadEventSection(*ini_, SectionName(numbers_[i]));
}

TvnEventDataFile ReadEventDataFile(const QString& fileName) {
    const TvnEventDataReader reader(fileName);
    TvnEventDataFile result;
    result.Readable = reader.Readable();
    result.IsEventData = reader.IsEventData();
    result.Events.reserve(reader.Count());
    for (qsizetype i = 0; i < reader.Count(); ++i)
        result.Events.push_back(reader.Event(i));
    return result;
}

bool IsImportableEvent(const TvnEventParams& event) {
    return !event.Desc.isEmpty() && event.Date != 0;
}
